#include "views/Statistics.h"

#include "chart/Chart.h"
#include "chart/ChartPrinting.h"
#include "engine/Drives.h"
#include "platform/Messages.h"
#include "selection/StatFiles.h"
#include "support/Utility.h"
#include "widgets/HeadingLabel.h"
#include "widgets/MenuButton.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"
#include "widgets/StringGrid.h"
#include "widgets/TiledPanel.h"
#include "widgets/WindowSupport.h"

#ifdef VORIN_HAVE_WHICHDRIVE
#include "selection/ui/WhichDrive.h"
#endif

#include <exception>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <utility>

namespace vorin {

namespace {

constexpr int kClientWidth = 632;
constexpr int kClientHeight = 431;
constexpr int kOverhangPage = 3;

const char *const kNotYet = "Statistics haven't been collected yet!";
const char *const kCollecting =
    "Collecting statistics ... standby.  Press Esc or click Abort to stop.";

const char *const kAccessNote =
    "Note: prior versions of Windows and DOS did not store the file access date.  Files never "
    "recorded as being accessed are probably old files that were converted to Windows 95.";
const char *const kCreatedNote =
    "Files never recorded as being created are probably old files that were converted to "
    "Windows 95.  Note: prior versions of Windows and DOS did not store the file creation date "
    "independent of the last file modification or file write date.";
const char *const kModifiedNote =
    "Note: prior versions of Windows and DOS treated the file creation date synonomously  with "
    "the last file modification date.  Therefore all files have a file modification date.";
const char *const kCombinedNote = "This chart combines the Accessed, Created and Modified charts";

// The colour of the window's own face, which the listing tables share.
QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Window);
}

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

QRadioButton *radio(QWidget *parent, const QString &name, const QString &caption, int x, int y,
                    int width)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, width, 17);
    return button;
}

// A framed strip under a chart holding a page's three view buttons.
QFrame *viewStrip(QWidget *page, const QRect &geometry)
{
    auto *strip = new QFrame(page);
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setGeometry(geometry);
    return strip;
}

} // namespace

TfrmStatistics::TfrmStatistics(Services &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmStatistics"));
    runWizard = [this] { return showWhichDrive(); };
    choosePrinter = [this] { return askPrinter(); };
    previewChart = [this](chart::Chart &chart) { showChartPreview(chart); };
    buildWindow();
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
    OvcNotebook1->setTabSize(QSize(63, 18));
    OvcNotebook1->setActiveCaptionColor(Qt::red);
    const char *const captions[] = {"Space",   "Types",    "Sizes",    "Overhang",  "Access",
                                    "Created", "Modified", "Combined", "Attribute", "Time"};
    for (const char *caption : captions)
        OvcNotebook1->addPage(QString::fromLatin1(caption));
    buildSpacePage(OvcNotebook1->page(0));
    buildTypesPage(OvcNotebook1->page(1));
    buildSizesPage(OvcNotebook1->page(2));
    for (int which = 0; which < 3; ++which)
        buildDatePage(OvcNotebook1->page(4 + which), which);
    buildCombinedPage(OvcNotebook1->page(7));
    buildTimePage(OvcNotebook1->page(9));
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

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(0, kClientHeight - 22, kClientWidth, 22);
    StatusBar1->setSizeGripEnabled(false);

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
}

chart::Chart *TfrmStatistics::makeChart(QWidget *page, const QString &name, const QRect &geometry)
{
    auto *c = new chart::Chart(page);
    c->setObjectName(name);
    c->setGeometry(geometry);
    c->model().setSeparators(m_services.locale);
    return c;
}

StringGrid *TfrmStatistics::makeListingGrid(QWidget *page, const QString &name, int columns,
                                            int rows, const QList<int> &widths)
{
    auto *grid = new StringGrid(page);
    grid->setObjectName(name);
    grid->setColCount(columns);
    grid->setRowCount(rows);
    grid->setFixedRows(1);
    grid->setColWidths(widths);
    grid->setRowHeight(19);
    grid->setGridLines(DrawGrid::HorizontalLines);
    grid->setCellColor(buttonFace());
    grid->setFixedColor(buttonFace());
    grid->setGeometry(4, 4, 616, 300);
    grid->setEnabled(false);
    grid->hide();
    return grid;
}

QToolButton *TfrmStatistics::makeNoteButton(QWidget *page, const QString &name)
{
    auto *button = new QToolButton(page);
    button->setObjectName(name);
    button->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    button->setGeometry(593, 337, 25, 22);
    return button;
}

void TfrmStatistics::buildSpacePage(QWidget *page)
{
    auto *panel4 = new QFrame(page);
    panel4->setObjectName(QStringLiteral("Panel4"));
    panel4->setFrameShape(QFrame::Panel);
    panel4->setFrameShadow(QFrame::Sunken);
    panel4->setGeometry(5, 5, 183, 353);
    pckStatDrive = new PickList(panel4);
    pckStatDrive->setObjectName(QStringLiteral("pckStatDrive"));
    pckStatDrive->setGeometry(2, 2, 179, 349);
    pckStatDrive->setFont(QFont(QStringLiteral("Arial"), -1));
    pckStatDrive->setRowHeight(16);

    const struct
    {
        QLabel **label;
        const char *name;
        int x, y, width;
    } figures[] = {
        {&lblTotal, "lblTotal", 340, 5, 160}, {&lblTot, "lblTot", 505, 5, 40},
        {&lblFree, "lblFree", 340, 34, 160},  {&lblPct, "lblPct", 505, 34, 40},
        {&lblUsed, "lblUsed", 340, 64, 160},  {&lblPct2, "lblPct2", 505, 64, 40},
    };
    const struct
    {
        const char *name;
        const char *caption;
        int y;
    } captions[] = {{"lblTotalC", "Total Capacity:", 5},
                    {"lblFreeC", "Free Space:", 34},
                    {"label26", "Used Space:", 64}};
    QFont figureFont(QStringLiteral("Times New Roman"));
    figureFont.setPixelSize(21);
    for (const auto &c : captions) {
        auto *label = new QLabel(QString::fromLatin1(c.caption), page);
        label->setObjectName(QString::fromLatin1(c.name));
        label->setFont(figureFont);
        label->setGeometry(200, c.y, 140, 26);
    }
    for (const auto &f : figures) {
        *f.label = new QLabel(page);
        (*f.label)->setObjectName(QString::fromLatin1(f.name));
        (*f.label)->setFont(figureFont);
        (*f.label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*f.label)->setGeometry(f.x, f.y, f.width, 26);
    }
    chartSpaceBar = makeChart(page, QStringLiteral("chartSpaceBar"), QRect(190, 87, 436, 255));

    rgSpace2 =
        radio(page, QStringLiteral("rgSpace2"), QStringLiteral("Bar - totals"), 200, 342, 110);
    rgSpace1 =
        radio(page, QStringLiteral("rgSpace1"), QStringLiteral("Pie - percent"), 320, 342, 110);
    rgSpace2->setChecked(true);
    cbTotal = new QCheckBox(QStringLiteral("Show Cumulative Total"), page);
    cbTotal->setObjectName(QStringLiteral("cbTotal"));
    cbTotal->setGeometry(440, 342, 180, 17);
    cbTotal->setChecked(true);
}

void TfrmStatistics::buildTypesPage(QWidget *page)
{
    gridTypes = new StringGrid(page);
    gridTypes->setObjectName(QStringLiteral("gridTypes"));
    gridTypes->setColCount(5);
    gridTypes->setRowCount(3);
    gridTypes->setFixedRows(1);
    gridTypes->setFixedBottomRows(1);
    gridTypes->setColWidths({80, 219, 120, 75, 82});
    gridTypes->setRowHeight(19);
    gridTypes->setGridLines(DrawGrid::AllLines);
    gridTypes->setRowSelect(true);
    gridTypes->setGeometry(4, 4, 616, 300);
    gridTypes->setAlignmentHandler([](int column, int) {
        return Qt::AlignVCenter | (column >= 2 ? Qt::AlignRight : Qt::AlignLeft);
    });
    gridTypes->hide();

    chartPie = makeChart(page, QStringLiteral("chartPie"), QRect(4, 4, 616, 300));
    chartPie->setHint(QStringLiteral("Click on pie to toggle animation"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const struct
    {
        QAction **action;
        const char *name;
        const char *caption;
    } sorts[] = {
        {&SortbyExtension, "SortbyExtension", "Sort by &Extension"},
        {&SortbyType, "SortbyType", "Sort by &Type"},
        {&SortbySize, "SortbySize", "Sort by &Size"},
        {&SortbyNumFiles, "SortbyNumFiles", "Sort by &Number of files"},
        {&SortbyAverageFileSize1, "SortbyAverageFileSize1", "Sort by &Average File Size"},
    };
    for (const auto &s : sorts) {
        QAction *action = PopupMenu1->addAction(QString::fromLatin1(s.caption));
        action->setObjectName(QString::fromLatin1(s.name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
                [this, action] { SortbyExtensionClick(action); });
        *s.action = action;
    }
    SortbyExtension->setChecked(true);
    gridTypes->setContextMenu(PopupMenu1);

    rgTypes = new QGroupBox(page);
    rgTypes->setObjectName(QStringLiteral("rgTypes"));
    rgTypes->setGeometry(4, 310, 500, 44);
    auto *row = new QHBoxLayout(rgTypes);
    const char *const views[] = {"Listing", "Pie by Size", "Pie by # Files", "Pie by Average Size"};
    int item = 0;
    for (const char *view : views) {
        auto *button = new QRadioButton(QString::fromLatin1(view), rgTypes);
        button->setObjectName(QStringLiteral("rgTypes%1").arg(item));
        button->setChecked(item == 1);
        row->addWidget(button);
        ++item;
    }

    btSort = new MenuButton(QStringLiteral("&Sort"), page);
    btSort->setObjectName(QStringLiteral("btSort"));
    btSort->setGeometry(520, 320, 90, 25);
    btSort->setPopupMenu(PopupMenu1);
    btSort->hide(); // only the listing can be sorted
}

void TfrmStatistics::buildSizesPage(QWidget *page)
{
    Chart1 = makeChart(page, QStringLiteral("Chart1"), QRect(4, 4, 616, 300));
    gridSizes = makeListingGrid(page, QStringLiteral("gridSizes"), 3, 13, {194, 189, 140});
    QFrame *strip = viewStrip(page, QRect(4, 310, 580, 44));
    const char *const captions[] = {"Listing", "Chart by Size (in MB)", "Chart by Number of Files"};
    for (int i = 0; i < 3; ++i)
        rgSize.at(static_cast<std::size_t>(i)) =
            radio(strip, QStringLiteral("rgSize%1").arg(i), QString::fromLatin1(captions[i]),
                  10 + 190 * i, 13, 180);
    rgSize[1]->setChecked(true);
}

void TfrmStatistics::buildDatePage(QWidget *page, int which)
{
    static const char *const prefixes[] = {"Access", "Create", "Modify"};
    static const char *const charts[] = {"chartAccess", "chartCreate", "chartModify"};
    chart::Chart *c = makeChart(page, QString::fromLatin1(charts[which]), QRect(4, 4, 616, 300));
    StringGrid *grid = makeListingGrid(
        page, QStringLiteral("grid%1").arg(QLatin1String(prefixes[which])), 3, 11, {194, 189, 140});
    QFrame *strip = viewStrip(page, QRect(4, 310, 580, 44));
    std::array<QRadioButton *, 3> &buttons = which == 0   ? rgAccess
                                             : which == 1 ? rgCreate
                                                          : rgModify;
    const char *const captions[] = {"Listing", "Chart by Size (in MB)", "Chart by Number of Files"};
    for (int i = 0; i < 3; ++i)
        buttons.at(static_cast<std::size_t>(i)) =
            radio(strip, QStringLiteral("rg%1%2").arg(QLatin1String(prefixes[which])).arg(i),
                  QString::fromLatin1(captions[i]), 10 + 190 * i, 13, 180);
    buttons[1]->setChecked(true);

    if (which == 0) {
        chartAccess = c;
        gridAccess = grid;
        SpeedButton1 = makeNoteButton(page, QStringLiteral("SpeedButton1"));
        connect(SpeedButton1, &QToolButton::clicked, this, &TfrmStatistics::SpeedButton1Click);
    } else if (which == 1) {
        chartCreate = c;
        gridCreate = grid;
        SpeedButton2 = makeNoteButton(page, QStringLiteral("SpeedButton2"));
        connect(SpeedButton2, &QToolButton::clicked, this, &TfrmStatistics::SpeedButton2Click);
    } else {
        chartModify = c;
        gridModify = grid;
        SpeedButton3 = makeNoteButton(page, QStringLiteral("SpeedButton3"));
        connect(SpeedButton3, &QToolButton::clicked, this, &TfrmStatistics::SpeedButton3Click);
    }
}

void TfrmStatistics::buildCombinedPage(QWidget *page)
{
    chartCombine = makeChart(page, QStringLiteral("chartCombine"), QRect(4, 4, 616, 300));
    gridCombine =
        makeListingGrid(page, QStringLiteral("gridCombine"), 7, 11, {119, 97, 78, 86, 71, 85, 72});
    QFrame *strip = viewStrip(page, QRect(4, 310, 580, 44));
    rgCombine0 = radio(strip, QStringLiteral("rgCombine0"), QStringLiteral("Listing"), 10, 13, 180);
    rbCombine1 = radio(strip, QStringLiteral("rbCombine1"), QStringLiteral("Chart by Size (in MB)"),
                       200, 13, 180);
    rbCombine2 = radio(strip, QStringLiteral("rbCombine2"),
                       QStringLiteral("Chart by Number of Files"), 390, 13, 180);
    rbCombine1->setChecked(true);
    SpeedButton4 = makeNoteButton(page, QStringLiteral("SpeedButton4"));
    connect(SpeedButton4, &QToolButton::clicked, this, &TfrmStatistics::SpeedButton4Click);
}

void TfrmStatistics::buildTimePage(QWidget *page)
{
    Chart4 = makeChart(page, QStringLiteral("Chart4"), QRect(4, 4, 616, 330));
}

void TfrmStatistics::FormCreate()
{
    OvcNotebook1->setPageIndex(0);
    m_statisticsCollected = false;

    pnlNotYet->show();
    btAbort->hide();
    pnlNotYet->move(0, 19);
    pnlNotYet->raise();

    for (QLabel *label : {lblTotal, lblFree, lblUsed, lblTot, lblPct, lblPct2})
        label->clear();

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

    initAColors(true, Qt::blue);
}

QList<QWidget *> TfrmStatistics::viewControls() const
{
    return {btPrint,     btOK,         rbCombine1,  rbCombine2,  rgSpace1,
            rgSpace2,    pckStatDrive, rgTypes,     rgSize[0],   rgSize[1],
            rgSize[2],   rgAccess[0],  rgAccess[1], rgAccess[2], rgCreate[0],
            rgCreate[1], rgCreate[2],  rgModify[0], rgModify[1], rgModify[2]};
}

// --- palette and colours

void TfrmStatistics::initAColors(bool usePalette, const QColor &color)
{
    if (!usePalette) {
        for (std::size_t i = 1; i < aColors.size(); ++i)
            aColors[i] = color;
        return;
    }
    aColors = {QColor(),
               QColor(255, 0, 0),
               QColor(128, 0, 0),
               QColor(0, 0, 255),
               QColor(255, 255, 0),
               QColor(0, 128, 0),
               QColor(0, 255, 0),
               QColor(255, 0, 255),
               QColor(0, 128, 128),
               QColor(0, 0, 128),
               QColor(0, 255, 255),
               QColor(255, 255, 255),
               QColor(128, 128, 128)};
}

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
        if (grid == gridTypes)
            continue;
        grid->setCellColor(color);
        grid->setFixedColor(color);
    }
}

QImage TfrmStatistics::printableWindowImage()
{
    changeBackgroundColor(Qt::white);
    const QImage image = grab().toImage();
    changeBackgroundColor(buttonFace());
    return image;
}

// --- page change, notes, show

void TfrmStatistics::showOverlay(bool shown)
{
    pnlNotYet->setVisible(shown);
    if (shown)
        pnlNotYet->raise();
}

void TfrmStatistics::OvcNotebook1PageChanged(int index)
{
    if (index == 0) {
        chartSpaceBar->model().setDepthPercent(1);
        doDiskSize();
        showOverlay(false);
        Timer2->start();
    } else {
        showOverlay(!m_statisticsCollected);
    }
}

void TfrmStatistics::SpeedButton1Click()
{
    showInfo(kAccessNote);
}
void TfrmStatistics::SpeedButton2Click()
{
    showInfo(kCreatedNote);
}
void TfrmStatistics::SpeedButton3Click()
{
    showInfo(kModifiedNote);
}
void TfrmStatistics::SpeedButton4Click()
{
    showInfo(kCombinedNote);
}

void TfrmStatistics::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const char *const headings[] = {"Extension", "Type", "Size", "# Files", "Avg File Size"};
    for (int column = 0; column < 5; ++column)
        gridTypes->setCell(column, 0, QString::fromLatin1(headings[column]));
    doDiskSize();
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
    m_run = std::move(run);
    m_nextDrive = 0;
    scanNextDrive();
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
    gridTypes->setRowCount(3);
    for (int row = 1; row < 3; ++row)
        gridTypes->setRowTexts(row, {});
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
        if (m_timer1WasActive)
            Timer1->start();
    }
}

void TfrmStatistics::disenable(bool enabled)
{
    for (QWidget *control : viewControls())
        control->setEnabled(enabled);
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
    if (withOverhang)
        doOverHang();
    doFileTypes();
    doFileSizes();
    doFileAttrs();
    fillGridDates(gridAccess, QStringLiteral("Accessed Date"), s.accessAgeCount, s.accessAgeBytes);
    fillGridDates(gridCreate, QStringLiteral("Created Date"), s.createdAgeCount, s.createdAgeBytes);
    fillGridDates(gridModify, QStringLiteral("Modified Date"), s.modifiedAgeCount,
                  s.modifiedAgeBytes);
    fillCombinedGridDates();
    doFileTimes();
    doFileAges();
    SortbyExtensionClick(SortbyExtension);
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

void TfrmStatistics::runEnded(bool statisticsCollected)
{
    m_statisticsCollected = m_statisticsCollected || statisticsCollected;
    // The Space page needs no scan, so the cover never hides it.
    showOverlay(!m_statisticsCollected && OvcNotebook1->pageIndex() != 0);
    emit runFinished();
}

// --- page builders

void TfrmStatistics::doOverHang()
{
    m_builderCalls << QStringLiteral("doOverHang");
}

void TfrmStatistics::doFileTypes()
{
    m_builderCalls << QStringLiteral("doFileTypes");
    const std::vector<TypeTotal> &types = statistics().lbTypes;
    const int rows = static_cast<int>(types.size());
    gridTypes->setRowCount(rows + 2);
    const LocaleSeparators &locale = m_services.locale;
    for (int row = 1; row <= rows; ++row) {
        const TypeTotal &t = types[static_cast<std::size_t>(row - 1)];
        const QString average = t.files > 0
                                    ? toQt(formatWhole(double(t.bytes) / double(t.files), locale))
                                    : QStringLiteral("0");
        gridTypes->setRowTexts(row,
                               {toQt(t.key), toQt(describeExtension(t.key, m_services.registry)),
                                toQt(formatWhole(double(t.bytes), locale)),
                                toQt(formatWhole(double(t.files), locale)), average});
    }
    gridTypes->setRowTexts(rows + 1, {});
}

void TfrmStatistics::doFileSizes()
{
    m_builderCalls << QStringLiteral("doFileSizes");
}

void TfrmStatistics::doFileAttrs()
{
    m_builderCalls << QStringLiteral("doFileAttrs");
}

void TfrmStatistics::fillGridDates(StringGrid *grid, const QString &title,
                                   const std::array<double, kAgeBuckets> &counts,
                                   const std::array<double, kAgeBuckets> &bytes)
{
    m_builderCalls << QStringLiteral("fillGridDates ") + title;
    grid->setSelection(20, 20); // no row shows highlighted
    grid->setRowTexts(
        0, {title, QStringLiteral("Total file size"), QStringLiteral("Number of files")});
    for (int row = 1; row <= kAgeBuckets; ++row) {
        const auto bucket = static_cast<std::size_t>(kAgeBuckets - row);
        grid->setRowTexts(row, {toQt(ageBucketLabel(static_cast<int>(bucket))),
                                toQt(formatWhole(bytes[bucket], m_services.locale)),
                                toQt(formatWhole(counts[bucket], m_services.locale))});
    }
}

void TfrmStatistics::fillCombinedGridDates()
{
    m_builderCalls << QStringLiteral("fillCombinedGridDates");
    const Statistics &s = statistics();
    const LocaleSeparators &locale = m_services.locale;
    gridCombine->setSelection(20, 20);
    gridCombine->setRowTexts(0, {QStringLiteral("Combined dates"), QStringLiteral("Access Size"),
                                 QStringLiteral("Access # files"), QStringLiteral("Create Size"),
                                 QStringLiteral("Create # files"), QStringLiteral("Modify Size"),
                                 QStringLiteral("Modify # files")});
    const auto count = [&locale](double n) {
        return toQt(formatInt(static_cast<std::int64_t>(n), locale));
    };
    for (int row = 1; row <= kAgeBuckets; ++row) {
        const auto k = static_cast<std::size_t>(kAgeBuckets - row);
        // The labels come from the Modified table, which is filled just before.
        gridCombine->setRowTexts(
            row, {gridModify->cell(0, row), toQt(formatWhole(s.accessAgeBytes[k], locale)),
                  count(s.accessAgeCount[k]), toQt(formatWhole(s.createdAgeBytes[k], locale)),
                  count(s.createdAgeCount[k]), toQt(formatWhole(s.modifiedAgeBytes[k], locale)),
                  count(s.modifiedAgeCount[k])});
    }
}

void TfrmStatistics::doFileTimes()
{
    m_builderCalls << QStringLiteral("doFileTimes");
}

void TfrmStatistics::doFileAges()
{
    m_builderCalls << QStringLiteral("doFileAges");
}

void TfrmStatistics::SortbyExtensionClick(QAction *sender)
{
    if (sender == SortbyExtension)
        m_builderCalls << QStringLiteral("SortbyExtensionClick");
    for (QAction *action : PopupMenu1->actions())
        action->setChecked(action == sender);
}

void TfrmStatistics::doDiskSize() {}

void TfrmStatistics::Timer1Timer() {}

void TfrmStatistics::Timer2Timer()
{
    // The bar chart grows its depth here once the Space page draws its bars;
    // until then there is nothing to animate.
    Timer2->stop();
}

// --- printing

std::unique_ptr<QPrinter> TfrmStatistics::askPrinter()
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

void TfrmStatistics::showChartPreview(chart::Chart &c)
{
    chart::ChartPreviewDialog preview(this);
    preview.setChart(&c.model(), c.size());
    preview.exec();
}

void TfrmStatistics::printWindowImage()
{
    const std::unique_ptr<QPrinter> printer = choosePrinter ? choosePrinter() : nullptr;
    if (!printer)
        return;
    const QImage image = printableWindowImage();
    QPainter painter;
    if (!painter.begin(printer.get()))
        return;
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawImage(0, 0, image);
    painter.end();
}

void TfrmStatistics::printChartOrWindow(chart::Chart *c)
{
    if (c && !c->isHidden()) {
        if (previewChart)
            previewChart(*c);
        return;
    }
    printWindowImage();
}

void TfrmStatistics::btPrintClick()
{
    switch (OvcNotebook1->pageIndex()) {
    case 1:
        if (!chartPie->isHidden()) {
            if (previewChart)
                previewChart(*chartPie);
            return;
        }
        if (const std::unique_ptr<QPrinter> printer = choosePrinter ? choosePrinter() : nullptr) {
            gridTypes->setPrintTitle(QStringLiteral("File types for drive ") + currentDrive());
            gridTypes->print(*printer);
        }
        return;
    case 2:
        return printChartOrWindow(Chart1);
    case 4:
        return printChartOrWindow(chartAccess);
    case 5:
        return printChartOrWindow(chartCreate);
    case 6:
        return printChartOrWindow(chartModify);
    case 7:
        return printChartOrWindow(chartCombine);
    case 9:
        return printChartOrWindow(Chart4);
    default:
        return printWindowImage();
    }
}

} // namespace vorin
