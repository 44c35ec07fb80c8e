#include "views/Statistics.h"

#include "chart/Chart.h"
#include "engine/Drives.h"
#include "engine/report/ReportFile.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "selection/StatFiles.h"
#include "support/Utility.h"
#include "views/AttributePage.h"
#include "views/DatePages.h"
#include "views/FileLists.h"
#include "views/HistoryPage.h"
#include "views/OverhangPage.h"
#include "views/PageParts.h"
#include "views/ScanComparison.h"
#include "views/SizesPage.h"
#include "views/SpacePage.h"
#include "views/StatisticsTabs.h"
#include "views/TimePage.h"
#include "views/TypesPage.h"
#include "widgets/DialogKeys.h"
#include "widgets/HeadingLabel.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"
#include "widgets/StringGrid.h"
#include "widgets/TiledPanel.h"
#include "widgets/WindowSupport.h"

#ifdef VORIN_HAVE_WHICHDRIVE
#include "dialogs/WhichDrive.h"
#endif

#include <exception>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <utility>

namespace vorin {

namespace {

constexpr int kClientWidth = 632;
constexpr int kClientHeight = 431;

const char *const kNotYet = "Statistics haven't been collected yet!";
const char *const kCollecting =
    "Collecting statistics ... standby.  Press Esc or click Abort to stop.";

// The cover's lettering is one line; a longer text gets smaller letters
// rather than losing its end at the panel's edge.
void fitHeading(HeadingLabel &label)
{
    int pixels = 36;
    label.applyHeadingStyle(pixels);
    while (pixels > 12 && label.sizeHint().width() > label.width()) {
        pixels -= 2;
        label.applyHeadingStyle(pixels);
    }
}

} // namespace

TfrmStatistics::TfrmStatistics(Services &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmStatistics"));
    setAcceptDrops(true);
    runWizard = [this] { return showWhichDrive(); };
    choosePrinter = [this] { return askPrinter(); };
    previewChart = [this](chart::Chart &chart) { showChartPreview(chart); };
    buildWindow();
    enterPressesFocusedButton(*this);
    FormCreate();
}

TfrmStatistics::~TfrmStatistics()
{
    // The walk must not outlive the accumulators it fills.
    if (m_worker.joinable()) {
        if (m_run)
            m_run->requestAbort();
        m_worker.join();
    }
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
}

// --- building the window

void TfrmStatistics::buildWindow()
{
    setWindowTitle(QStringLiteral("File Statistics Not Yet Collected"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    centreOnScreen(*this);

    OvcNotebook1 = new Notebook(this);
    OvcNotebook1->setObjectName(QStringLiteral("OvcNotebook1"));
    OvcNotebook1->setGeometry(0, 0, kClientWidth, 382);
    // Eleven tabs, each as wide as its caption, fill the window's width.
    OvcNotebook1->setTabSize(QSize(0, 18));
    OvcNotebook1->setActiveCaptionColor(Qt::red);
    const char *const captions[] = {"Space",     "Types",   "Sizes",    "Overhang",
                                    "Access",    "Created", "Modified", "Combined",
                                    "Attribute", "Time",    "History"};
    for (const char *caption : captions)
        OvcNotebook1->addPage(QString::fromLatin1(caption));
    connect(OvcNotebook1, &Notebook::pageChanged, this, &TfrmStatistics::OvcNotebook1PageChanged);

    btOK = new QPushButton(QStringLiteral("&Collect statistics"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setGeometry(256, 384, 155, 25);
    btOK->setToolTip(QStringLiteral("Start collecting statistics"));
    btOK->setDefault(true);
    connect(btOK, &QPushButton::clicked, this, &TfrmStatistics::btOKClick);

    btPrint = new QPushButton(QStringLiteral("&Print page"), this);
    btPrint->setObjectName(QStringLiteral("btPrint"));
    btPrint->setGeometry(424, 384, 105, 25);
    btPrint->setToolTip(QStringLiteral("Print this page only"));
    btPrint->setAutoDefault(false);
    connect(btPrint, &QPushButton::clicked, this, &TfrmStatistics::btPrintClick);

    btCancel = new QPushButton(QStringLiteral("Close"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setGeometry(544, 384, 81, 25);
    btCancel->setToolTip(QStringLiteral("Cancel operation or close window"));
    btCancel->setAutoDefault(false);
    connect(btCancel, &QPushButton::clicked, this, &TfrmStatistics::btCancelClick);

    comparison = new ScanComparison(this, m_services);
    connect(comparison, &ScanComparison::changed, this, &TfrmStatistics::comparisonChanged);
    comparison->cbCompare->setEnabled(false); // nothing to compare before a run

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(0, kClientHeight - 22, kClientWidth, 22);
    StatusBar1->setSizeGripEnabled(false);
    // The bar paints its message itself; a screen reader reads it as the
    // bar's name.
    // A screen reader reads the status line by its name. During a walk the
    // line names a new folder many times a second; the name says only
    // which drive is walked, so that a reader is not told each folder.
    connect(StatusBar1, &QStatusBar::messageChanged, StatusBar1, [this](const QString &message) {
        static const QString kWalking = QStringLiteral(" ... standby");
        const qsizetype walking = message.indexOf(kWalking + QStringLiteral(" : "));
        const QString name = message.startsWith(QStringLiteral("Processing drive ")) && walking > 0
                                 ? message.left(walking + kWalking.size())
                                 : message;
        if (StatusBar1->accessibleName() != name)
            StatusBar1->setAccessibleName(name);
    });

    pnlNotYet = new TiledPanel(this);
    pnlNotYet->setObjectName(QStringLiteral("pnlNotYet"));
    pnlNotYet->setBevel(TiledPanel::Bevel::RaisedDouble);
    pnlNotYet->resize(625, 359);
    lblNotYet = new HeadingLabel(QString::fromLatin1(kNotYet), pnlNotYet);
    lblNotYet->setObjectName(QStringLiteral("lblNotYet"));
    lblNotYet->applyHeadingStyle(36);
    lblNotYet->setAlignment(Qt::AlignCenter);
    lblNotYet->setGeometry(8, 100, 609, 120);
    btAbort = new QPushButton(QStringLiteral("Abort"), pnlNotYet);
    btAbort->setObjectName(QStringLiteral("btAbort"));
    btAbort->setGeometry(250, 269, 121, 41);
    btAbort->setAutoDefault(false);
    connect(btAbort, &QPushButton::clicked, this, &TfrmStatistics::btAbortClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, &TfrmStatistics::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(50);
    connect(Timer2, &QTimer::timeout, this, &TfrmStatistics::Timer2Timer);

    // Progress is read from the walk's counters at most twenty times a
    // second; the walk itself never waits for the window.
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(50);
    connect(m_progressTimer, &QTimer::timeout, this, &TfrmStatistics::showProgress);

    buildPages();
}

void TfrmStatistics::buildPages()
{
    m_pageContext.reset(new PageContext{m_services, aColors, *OvcNotebook1, *Timer1, *Timer2,
                                        [this]() -> const Statistics & { return statistics(); }});
    m_pageContext->earlier = [this] { return comparison->earlier(); };
    PageContext &context = *m_pageContext;
    fileLists = new FileLists(
        *this, m_services, [this] { return m_run.get(); },
        [this](std::size_t moved) { filesTrashed(moved); });
    context.showFiles = [this](const Figure &figure) {
        if (m_run && m_run->fromReport()) {
            showInfo("These figures come from a report: their files were counted where the "
                     "report was made.");
            return;
        }
        fileLists->show(figure);
    };
    Notebook &book = *OvcNotebook1;
    spacePage = new SpacePage(book.page(kSpacePage), context);
    typesPage = new TypesPage(book.page(kTypesPage), context);
    sizesPage = new SizesPage(book.page(kSizesPage), context);
    overhangPage = new OverhangPage(book.page(kOverhangPage), context);
    datePages = new DatePages({book.page(kAccessPage), book.page(kCreatedPage),
                               book.page(kModifiedPage), book.page(kCombinedPage)},
                              context);
    attributePage = new AttributePage(book.page(kAttributePage), context);
    timePage = new TimePage(book.page(kTimePage), context);
    historyPage = new HistoryPage(book.page(kHistoryPage), context);
    pckStatDrive = spacePage->pckStatDrive;
    // The notebook's page widgets are made before the pages' controls; the
    // cover must stay above them all.
    pnlNotYet->raise();
    // The command row was made before the pages' controls, but stands below
    // them: Tab goes from the tabs through the page shown, then along the
    // row from left to right.
    QWidget *lastOfPages = previousInFocusChain();
    while (lastOfPages->focusPolicy() == Qt::NoFocus)
        lastOfPages = lastOfPages->previousInFocusChain();
    chainTabOrder({lastOfPages, comparison->cbCompare, btOK, btPrint, btCancel});
}

void TfrmStatistics::FormCreate()
{
    OvcNotebook1->setPageIndex(0);
    m_statisticsCollected = false;

    pnlNotYet->show();
    btAbort->hide();
    pnlNotYet->move(0, 19);
    pnlNotYet->raise();

    for (QLabel *label : {spacePage->lblTotal, spacePage->lblFree, spacePage->lblUsed,
                          spacePage->lblTot, spacePage->lblPct, spacePage->lblPct2})
        label->clear();

    fillMachineDrives();
    initAColors(true, Qt::blue);
}

void TfrmStatistics::fillMachineDrives()
{
    const std::vector<std::string> entries =
        makeDriveEntries(m_services.volumes, UnlabelledCdRoms::LeftOut);
    QStringList items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string &entry : entries)
        items << toQt(entry);
    pckStatDrive->setItems(items);
    const std::vector<bool> selection = defaultDriveSelection(entries, m_services.volumes);
    for (std::size_t i = 0; i < selection.size(); ++i)
        if (selection[i])
            pckStatDrive->setSelected(static_cast<int>(i), true);
}

bool TfrmStatistics::openReport(const QString &path)
{
    if (m_worker.joinable()) {
        showError("A scan is under way: open the report when it has ended.");
        return false;
    }
    ReportFile report;
    try {
        report = readReportFile(path.toStdString());
    } catch (const ReportFileError &e) {
        showError(e.what());
        return false;
    }
    RunOptions options;
    options.locale = m_services.locale;
    fileLists->closeAll();
    RunHooks &hooks = *this;
    m_run = std::make_unique<ScanRun>(m_services.volumes, hooks, options);
    m_runStarted = 0;
    m_historyProblem.clear();
    spacePage->showReportDrives(report.drives);
    m_run->showReport(report, QFileInfo(path).fileName().toStdString());
    return true;
}

void TfrmStatistics::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void TfrmStatistics::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return;
    event->acceptProposedAction();
    // Opened once the drop has ended: an error box must not hold up the
    // file manager the file came from.
    const QString path = urls.front().toLocalFile();
    QTimer::singleShot(0, this, [this, path] { openReport(path); });
}

QList<QWidget *> TfrmStatistics::viewControls() const
{
    const DatePages &d = *datePages;
    const SizesPage &z = *sizesPage;
    return {btPrint,
            btOK,
            d.rbCombine1,
            d.rbCombine2,
            spacePage->rgSpace1,
            spacePage->rgSpace2,
            pckStatDrive,
            typesPage->rgTypes,
            z.rgSize[0],
            z.rgSize[1],
            z.rgSize[2],
            d.rgAccess[0],
            d.rgAccess[1],
            d.rgAccess[2],
            d.rgCreate[0],
            d.rgCreate[1],
            d.rgCreate[2],
            d.rgModify[0],
            d.rgModify[1],
            d.rgModify[2]};
}

// --- colours

void TfrmStatistics::changeBackgroundColor(const QColor &color)
{
    QPalette own = palette();
    own.setColor(QPalette::Window, color);
    setPalette(own);
    for (Notebook *notebook : findChildren<Notebook *>())
        notebook->setBackgroundColor(color);
    for (PickList *list : findChildren<PickList *>())
        list->setBackgroundColor(color);
    for (chart::Chart *c : findChildren<chart::Chart *>())
        c->model().edit([&color](chart::ChartSettings &s) { s.background = color; });
    // The file-type table keeps its own colours: its rows are read on paper
    // against the white of the cells.
    for (StringGrid *grid : findChildren<StringGrid *>()) {
        if (grid == typesPage->gridTypes)
            continue;
        grid->setCellColor(color);
        grid->setFixedColor(color);
    }
}

// --- page change, notes, show

void TfrmStatistics::showOverlay(bool shown)
{
    pnlNotYet->setVisible(shown);
    if (!shown)
        return;
    pnlNotYet->raise();
    // The keys must not stay with a control nobody can see.
    if (coveredByOverlay(focusWidget()))
        focusNextPrevChild(true);
}

bool TfrmStatistics::coveredByOverlay(const QWidget *w) const
{
    if (w == nullptr || !pnlNotYet->isVisible() || w == pnlNotYet || pnlNotYet->isAncestorOf(w) ||
        !isAncestorOf(w))
        return false;
    return pnlNotYet->geometry().contains(QRect(w->mapTo(this, QPoint(0, 0)), w->size()));
}

bool TfrmStatistics::focusNextPrevChild(bool next)
{
    if (!pnlNotYet->isVisible())
        return QDialog::focusNextPrevChild(next);
    // The page's controls under the cover stay in the chain (the cover comes
    // and goes with the page shown), but a Tab that would land on one goes
    // on to the next the user can see: the tabs, the cover's Abort button,
    // the command row.
    QWidget *const from = focusWidget() ? focusWidget() : this;
    for (QWidget *w = next ? from->nextInFocusChain() : from->previousInFocusChain(); w != from;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (w->window() == this && w != this && w->isEnabled() && w->isVisible() &&
            (w->focusPolicy() & Qt::TabFocus) && w->focusProxy() == nullptr &&
            !coveredByOverlay(w)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void TfrmStatistics::OvcNotebook1PageChanged(int index)
{
    if (index == kSpacePage) {
        spacePage->chartSpaceBar->model().setDepthPercent(1);
        spacePage->doDiskSize();
        showOverlay(false);
        Timer2->start();
    } else if (index == kHistoryPage) {
        // The history needs no scan of this window: it reads what is kept.
        historyPage->refresh();
        showOverlay(false);
    } else {
        showOverlay(!m_statisticsCollected);
    }
}

void TfrmStatistics::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    typesPage->writeHeadings();
    spacePage->doDiskSize();
    OvcNotebook1PageChanged(OvcNotebook1->pageIndex());
}

void TfrmStatistics::closeEvent(QCloseEvent *event)
{
    // Closing the window while a drive is walked ends the walk first, so
    // nothing is left running behind a hidden window or a closing program.
    requestAbortAndWait();
    QDialog::closeEvent(event);
}

void TfrmStatistics::reject()
{
    // Escape and the title bar's close go the same way as "Close".
    btCancelClick();
}

// --- the run

bool TfrmStatistics::scanRunning() const
{
    return m_run && m_run->scanRunning();
}

const Statistics &TfrmStatistics::statistics() const
{
    return m_run ? m_run->statistics() : m_noStatistics;
}

QString TfrmStatistics::currentDrive() const
{
    return m_run ? toQt(m_run->currentDrive()) : QString();
}

std::int32_t TfrmStatistics::clusterSize() const
{
    return m_run ? m_run->clusterSize() : 0;
}

std::optional<WizardResult> TfrmStatistics::showWhichDrive()
{
#ifdef VORIN_HAVE_WHICHDRIVE
    // Made for one use and freed whatever its answer.
    auto wizard = std::make_unique<TfrmWhichDrive>(m_services.volumes, m_services.settings,
                                                   m_services.registry, this);
    wizard->namedDrives = m_services.namedDrives;
    if (wizard->exec() != QDialog::Accepted)
        return std::nullopt;
    WizardResult result;
    for (const QString &entry : wizard->pckDrive->selectedItems())
        result.drives.push_back(entry.toStdString());
    result.allFiles = wizard->allFiles;
    result.includeTypes = wizard->includeTypes;
    result.excludeTypes = wizard->excludeTypes;
    for (const QString &entry : wizard->PickList1->selectedItems())
        result.types.push_back(entry.toStdString());
    return result;
#else
    return std::nullopt;
#endif
}

void TfrmStatistics::btOKClick()
{
    if (m_worker.joinable())
        return; // a run is under way; btOK is disabled then anyway
    const std::optional<WizardResult> answer = runWizard ? runWizard() : std::nullopt;
    if (!answer || answer->drives.empty())
        return;

    TypeFilter filter;
    if (!answer->allFiles)
        filter = TypeFilter(false, answer->includeTypes, answer->excludeTypes, answer->types);

    RunOptions options;
    options.threads = m_services.walkThreads;
    options.locale = m_services.locale;
    options.observer = walkObserver;
    options.reader = directoryReader;
    options.keepPerFigure = kKeptPerFigure;
    options.history = ReadKeepHistory(m_services.settings) ? m_services.history : nullptr;
    RunHooks &hooks = *this;
    auto run = std::make_unique<ScanRun>(m_services.volumes, hooks, options);
    // A run that stops before its notice (no capacity, an entry that names
    // no drive) leaves the last results where they are.
    try {
        if (!run->begin(answer->drives, std::move(filter)))
            return;
    } catch (const std::exception &e) {
        showError(e.what());
        return;
    }
    // The lists open show files of the scan that is being replaced.
    fileLists->closeAll();
    // After a report, the Space page lists the machine's drives again.
    if (m_run && m_run->fromReport()) {
        spacePage->showReportDrives({});
        fillMachineDrives();
    }
    m_run = std::move(run);
    m_runStarted = QDateTime::currentSecsSinceEpoch();
    m_historyProblem = toQt(m_services.historyProblem);
    m_nextDrive = 0;
    scanNextDrive();
}

void TfrmStatistics::filesTrashed(std::size_t moved)
{
    // The files left the run's figures; the pages show them without.
    refreshPages(m_run->drives().size() == 1);
    const std::string count = formatInt(static_cast<std::int64_t>(moved), m_services.locale);
    setStatus(count + (moved == 1 ? " file moved to the trash." : " files moved to the trash."));
}

void TfrmStatistics::scanNextDrive()
{
    while (m_nextDrive < m_run->driveCount()) {
        ScanRun::DriveStep step = ScanRun::DriveStep::Stop;
        try {
            step = m_run->prepareDrive(m_nextDrive++);
        } catch (const std::exception &e) {
            // An entry that names no drive ends the run; what the drives
            // before it counted stays on the pages.
            showError(e.what());
            break;
        }
        if (step == ScanRun::DriveStep::Stop)
            break;
        if (step == ScanRun::DriveStep::Skip)
            continue;
        ScanRun *run = m_run.get();
        const unsigned walk = ++m_walkNumber;
        m_walkError = nullptr;
        m_worker = std::thread([this, run, walk] {
            // Nothing may escape the thread; the window reports it after the join.
            try {
                run->scanDrive();
            } catch (...) {
                m_walkError = std::current_exception();
            }
            // Queued to this window: dropped unread if the window is gone.
            QMetaObject::invokeMethod(
                this, [this, walk] { driveScanned(walk); }, Qt::QueuedConnection);
        });
        m_progressTimer->start();
        return;
    }
    m_run->end();
}

void TfrmStatistics::driveScanned(unsigned walk)
{
    // A stop that already finished this drive (requestAbortAndWait) leaves
    // nothing to do for its late notice, even when another walk runs by now.
    if (walk != m_walkNumber || !m_worker.joinable())
        return;
    joinWorker();
    m_run->finishDrive();
    scanNextDrive();
}

void TfrmStatistics::joinWorker()
{
    m_worker.join();
    m_progressTimer->stop();
    if (m_walkError) {
        const std::exception_ptr error = std::exchange(m_walkError, nullptr);
        try {
            std::rethrow_exception(error);
        } catch (const std::exception &e) {
            showError(e.what());
        } catch (...) {
            showError("The scan stopped on an unknown error.");
        }
    }
}

void TfrmStatistics::showProgress()
{
    if (!m_run)
        return;
    // Until the walk of this drive reports, the counters still hold the
    // last directory of the drive before; that text is not shown again.
    const std::string text = m_run->progress().statusText();
    const std::string prefix = "Processing drive " + m_run->currentDrive() + " ... standby : ";
    if (text.compare(0, prefix.size(), prefix) == 0)
        StatusBar1->showMessage(toQt(text));
}

void TfrmStatistics::requestAbortAndWait()
{
    if (!m_worker.joinable())
        return;
    m_run->requestAbort();
    joinWorker();
    m_run->finishDrive();
    m_nextDrive = m_run->driveCount();
    m_run->end();
}

void TfrmStatistics::btCancelClick()
{
    if (scanRunning()) {
        m_run->requestAbort();
        return;
    }
    setResult(QDialog::Rejected);
    hide();
}

void TfrmStatistics::btAbortClick()
{
    if (scanRunning())
        m_run->requestAbort();
}

// --- RunHooks

void TfrmStatistics::clearTypesTable()
{
    typesPage->clearTable();
}

void TfrmStatistics::setOverhangPageEnabled(bool enabled)
{
    OvcNotebook1->setPageEnabled(kOverhangPage, enabled);
}

void TfrmStatistics::scanRunningChanged(bool running)
{
    if (running) {
        lblNotYet->setText(QString::fromLatin1(kCollecting));
        fitHeading(*lblNotYet);
        btAbort->show();
        m_timer1WasActive = Timer1->isActive();
        Timer1->stop();
    } else {
        m_statisticsCollected = true;
        // The animation gets the state it had before the drive: the rebuilt
        // pages leave it alone.
        if (m_timer1WasActive)
            Timer1->start();
    }
}

void TfrmStatistics::disenable(bool enabled)
{
    for (QWidget *control : viewControls())
        control->setEnabled(enabled);
    comparison->cbCompare->setEnabled(enabled && comparison->cbCompare->count() > 1);
    if (!enabled && !m_busyCursor) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        m_busyCursor = true;
    } else if (enabled && m_busyCursor) {
        QApplication::restoreOverrideCursor();
        m_busyCursor = false;
    }
}

void TfrmStatistics::setStatus(std::string_view text)
{
    StatusBar1->showMessage(toQt(text));
}

void TfrmStatistics::setCaption(std::string_view text)
{
    setWindowTitle(toQt(text));
}

void TfrmStatistics::refreshPages(bool withOverhang)
{
    const Statistics &s = m_run->statistics();
    DatePages &dates = *datePages;
    // Named as the pages' builders, so that the order can be checked.
    const auto call = [this](const QString &name, auto &&build) {
        m_builderCalls << name;
        build();
    };
    if (withOverhang)
        call(QStringLiteral("doOverHang"), [&] { overhangPage->doOverHang(m_run->clusterSize()); });
    call(QStringLiteral("doFileTypes"), [&] { typesPage->doFileTypes(m_run->filter()); });
    call(QStringLiteral("doFileSizes"), [&] { sizesPage->doFileSizes(); });
    call(QStringLiteral("doFileAttrs"), [&] { attributePage->doFileAttrs(); });
    // The earlier scan's ages, when one is compared with, else the run's own
    // (unused then).
    const Statistics *earlier = comparison ? comparison->earlier() : nullptr;
    const Statistics &e = earlier ? *earlier : s;
    const struct
    {
        StringGrid *grid;
        QString title;
        const std::array<double, kAgeBuckets> &counts;
        const std::array<double, kAgeBuckets> &bytes;
        DatePages::AgeTable then;
    } tables[] = {
        {dates.gridAccess,
         QStringLiteral("Accessed Date"),
         s.accessAgeCount,
         s.accessAgeBytes,
         {e.accessAgeCount, e.accessAgeBytes}},
        {dates.gridCreate,
         QStringLiteral("Created Date"),
         s.createdAgeCount,
         s.createdAgeBytes,
         {e.createdAgeCount, e.createdAgeBytes}},
        {dates.gridModify,
         QStringLiteral("Modified Date"),
         s.modifiedAgeCount,
         s.modifiedAgeBytes,
         {e.modifiedAgeCount, e.modifiedAgeBytes}},
    };
    for (const auto &t : tables)
        call(QStringLiteral("fillGridDates ") + t.title, [&] {
            dates.fillGridDates(t.grid, t.title, t.counts, t.bytes, earlier ? &t.then : nullptr);
        });
    call(QStringLiteral("fillCombinedGridDates"), [&] { dates.fillCombinedGridDates(); });
    call(QStringLiteral("doFileTimes"), [&] { timePage->doFileTimes(); });
    call(QStringLiteral("doFileAges"), [&] { dates.doFileAges(); });
    call(QStringLiteral("SortbyExtensionClick"),
         [&] { typesPage->SortbyExtensionClick(typesPage->SortbyExtension); });
}

void TfrmStatistics::unreadableDirectories(std::int64_t count)
{
    // Said after the counts, on the status line: a directory the user may not
    // read is common (other users' homes) and no reason for a box, but the
    // figures leave it out and the user should know that.
    std::string note = "  (";
    note += formatInt(count, m_services.locale);
    note += count == 1 ? " directory" : " directories";
    note += " could not be read)";
    StatusBar1->showMessage(StatusBar1->currentMessage() + toQt(note));
}

void TfrmStatistics::historyNotKept(std::string_view message)
{
    // Said once the run is over, after its counts.
    m_historyProblem = toQt(message);
}

void TfrmStatistics::comparisonChanged()
{
    if (m_run && m_statisticsCollected)
        refreshPages(m_run->drives().size() == 1);
    const QString compared = comparison->statusText();
    if (!compared.isEmpty())
        StatusBar1->showMessage(compared);
    else if (!comparison->problem().isEmpty())
        StatusBar1->showMessage(comparison->problem());
    else if (m_run)
        StatusBar1->showMessage(toQt(m_run->status()));
}

void TfrmStatistics::runEnded(bool statisticsCollected)
{
    m_statisticsCollected = m_statisticsCollected || statisticsCollected;
    // A report's drives may be another machine's: no kept scan compares.
    if (m_run) {
        std::vector<ScanComparison::Place> places;
        if (!m_run->fromReport())
            for (const std::string &drive : m_run->drives())
                if (const auto volume =
                        m_services.volumes.find(asciiLower(drive.empty() ? '\0' : drive[0])))
                    places.push_back({volume->root, fileSystemIdentity(volume->root)});
        comparison->refill(places, m_runStarted);
    }
    const QString problem = !m_historyProblem.isEmpty()
                                ? m_historyProblem + QStringLiteral(" This scan is not kept.")
                                : comparison->problem();
    if (!problem.isEmpty())
        StatusBar1->showMessage(StatusBar1->currentMessage() + QStringLiteral("  (") + problem +
                                QStringLiteral(")"));
    // The Space page needs no scan, so the cover never hides it.
    showOverlay(!m_statisticsCollected && OvcNotebook1->pageIndex() != kSpacePage &&
                OvcNotebook1->pageIndex() != kHistoryPage);
    if (OvcNotebook1->pageIndex() == kHistoryPage)
        historyPage->refresh();
    emit runFinished();
}

// --- the animations

void TfrmStatistics::Timer1Timer()
{
    if (m_pieTimerBusy)
        return;
    m_pieTimerBusy = true;
    if (OvcNotebook1->pageIndex() == kSpacePage)
        spacePage->turnPies();
    else if (OvcNotebook1->pageIndex() == kTypesPage)
        typesPage->turnPie();
    m_pieTimerBusy = false;
}

void TfrmStatistics::Timer2Timer()
{
    if (OvcNotebook1->pageIndex() != kSpacePage || !spacePage->growBarDepth())
        Timer2->stop();
}

} // namespace vorin
