#include "views/FileListWindow.h"

#include "engine/FigureListing.h"
#include "platform/Messages.h"
#include "support/Utility.h"
#include "views/FileActions.h"
#include "views/FileListModel.h"
#include "views/Services.h"
#include "widgets/SaveFile.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace vorin {
namespace {

// Opening more files than this at once starts as many programs; the user
// is asked first.
constexpr std::size_t kOpenWithoutAsking = 10;
// The files an error names one by one; the rest are counted.
constexpr qsizetype kProblemsNamed = 20;

const int kColumnWidths[FileListModel::kColumnCount] = {220, 260, 105, 115, 115, 115, 70};

QString filesText(std::int64_t files, const LocaleSeparators &locale)
{
    return files == 1 ? QStringLiteral("1 file")
                      : toQt(formatInt(files, locale)) + QStringLiteral(" files");
}

QString bytesText(double bytes, const LocaleSeparators &locale)
{
    return bytes == 1 ? QStringLiteral("1 byte")
                      : toQt(formatWhole(bytes, locale)) + QStringLiteral(" bytes");
}

bool isUtf8(std::string_view bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = utf8SequenceLength(bytes, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

// The table of the files, whose menu opens where a right click asks for it,
// and at the current row when the keyboard does.
class FileTable final : public QTableView
{
public:
    FileTable(QWidget *parent, std::function<void(const QPoint &)> atPointer,
              std::function<void()> atCurrentRow)
        : QTableView(parent), m_atPointer(std::move(atPointer)),
          m_atCurrentRow(std::move(atCurrentRow))
    {}

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (event->reason() == QContextMenuEvent::Mouse)
            m_atPointer(event->globalPos());
        else
            m_atCurrentRow();
        event->accept();
    }

private:
    std::function<void(const QPoint &)> m_atPointer;
    std::function<void()> m_atCurrentRow;
};

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &hint)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    // Enter on a focused button presses it, as in the program's dialogs;
    // a plain window's buttons would leave Enter alone.
    button->setAutoDefault(true);
    return button;
}

} // namespace

FileListWindow::FileListWindow(const QString &title, const Figure &figure, const FigureTotal &total,
                               std::vector<KeptFile> files, Services &services,
                               FileActions &actions, ListingFactory listAll, QWidget *parent)
    : QWidget(parent, Qt::Window), m_figure(figure), m_total(total), m_services(services),
      m_actions(actions), m_listAll(std::move(listAll))
{
    setObjectName(QStringLiteral("frmFileList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    m_model = new FileListModel(std::move(files), services.locale, this);
    buildWindow();
    showFooter();
    enableActions();
}

FileListWindow::~FileListWindow()
{
    // The walk must not outlive the window that reads it.
    stopAndJoin();
}

void FileListWindow::buildWindow()
{
    resize(900, 460);
    centreOnScreen(*this);

    gridFiles = new FileTable(
        this, [this](const QPoint &at) { mnuFiles->popup(at); },
        [this] { showMenuAtCurrentRow(); });
    gridFiles->setObjectName(QStringLiteral("gridFiles"));
    gridFiles->setModel(m_model);
    gridFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    gridFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridFiles->setWordWrap(false);
    gridFiles->setTextElideMode(Qt::ElideMiddle);
    gridFiles->setAlternatingRowColors(true);
    gridFiles->setTabKeyNavigation(false);
    // Every row as high as the pages' table rows, and never measured: a list
    // of millions of files must not be laid out row by row.
    QHeaderView *rows = gridFiles->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(std::max(19, gridFiles->fontMetrics().height() + 4));
    QHeaderView *headings = gridFiles->horizontalHeader();
    headings->setHighlightSections(false);
    headings->setSectionsClickable(true);
    headings->setSortIndicatorShown(true);
    // The date columns as wide as the longest date of the user's format, which
    // a long month name or a 12-hour clock makes wider than the default.
    const QString longestDate =
        QLocale().toString(QDateTime(QDate(2026, 12, 28), QTime(23, 59, 59)), QLocale::ShortFormat);
    const int dateWidth = gridFiles->fontMetrics().horizontalAdvance(longestDate) + 16;
    for (int column = 0; column < FileListModel::kColumnCount; ++column) {
        const bool date = column == FileListModel::kModified ||
                          column == FileListModel::kAccessed || column == FileListModel::kCreated;
        gridFiles->setColumnWidth(column, date ? std::max(kColumnWidths[column], dateWidth)
                                               : kColumnWidths[column]);
    }
    sortIndicatorToSize();
    gridFiles->setSortingEnabled(true);
    connect(gridFiles, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &) { btOpenClick(); });
    connect(gridFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileListWindow::enableActions);
    connect(m_model, &QAbstractItemModel::modelReset, this, &FileListWindow::enableActions);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &FileListWindow::enableActions);

    lblFooter = new QLabel(this);
    lblFooter->setObjectName(QStringLiteral("lblFooter"));
    QFont bold = lblFooter->font();
    bold.setBold(true);
    lblFooter->setFont(bold);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);

    btListAll = makeButton(this, "btListAll", QStringLiteral("List all files"),
                           QStringLiteral("Walk the drives again and list every file of this "
                                          "figure, not only the largest"));
    btStop = makeButton(this, "btStop", QStringLiteral("Stop"),
                        QStringLiteral("Stop listing and show the files found so far"));
    btOpen = makeButton(this, "btOpen", QStringLiteral("Open"),
                        QStringLiteral("Open the selected files"));
    btShowInFolder = makeButton(this, "btShowInFolder", QStringLiteral("Show in folder"),
                                QStringLiteral("Show the selected files in their folders"));
    btCopy = makeButton(this, "btCopy", QStringLiteral("Copy"),
                        QStringLiteral("Copy the paths of the selected files"));
    btSaveCsv = makeButton(this, "btSaveCsv", QStringLiteral("Save list as CSV…"),
                           QStringLiteral("Save every file of the list in a CSV file"));
    btTrash = makeButton(this, "btTrash", QStringLiteral("Move to Trash"),
                         QStringLiteral("Move the selected files to the trash"));
    btListAll->setVisible(static_cast<bool>(m_listAll));
    btStop->hide();
    connect(btListAll, &QPushButton::clicked, this, &FileListWindow::btListAllClick);
    connect(btStop, &QPushButton::clicked, this, &FileListWindow::btStopClick);
    connect(btOpen, &QPushButton::clicked, this, &FileListWindow::btOpenClick);
    connect(btShowInFolder, &QPushButton::clicked, this, &FileListWindow::btShowInFolderClick);
    connect(btCopy, &QPushButton::clicked, this, &FileListWindow::btCopyClick);
    connect(btSaveCsv, &QPushButton::clicked, this, &FileListWindow::btSaveCsvClick);
    connect(btTrash, &QPushButton::clicked, this, &FileListWindow::btTrashClick);

    // The same commands in the table's right-click menu, with their keys
    // while the table has the focus.
    const auto makeAction = [this](const char *name, const QString &caption,
                                   const QList<QKeySequence> &keys, auto run) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, [this, run] { (this->*run)(); });
        gridFiles->addAction(action);
        return action;
    };
    actOpen = makeAction("actOpen", QStringLiteral("Open"),
                         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
                         &FileListWindow::btOpenClick);
    actShowInFolder = makeAction("actShowInFolder", QStringLiteral("Show in folder"), {},
                                 &FileListWindow::btShowInFolderClick);
    actCopy = makeAction("actCopy", QStringLiteral("Copy"), {QKeySequence(QKeySequence::Copy)},
                         &FileListWindow::btCopyClick);
    actSaveCsv = makeAction("actSaveCsv", QStringLiteral("Save list as CSV…"), {},
                            &FileListWindow::btSaveCsvClick);
    actTrash = makeAction("actTrash", QStringLiteral("Move to Trash"),
                          {QKeySequence(QKeySequence::Delete)}, &FileListWindow::btTrashClick);
    mnuFiles = new QMenu(this);
    mnuFiles->setObjectName(QStringLiteral("mnuFiles"));
    mnuFiles->addAction(actOpen);
    mnuFiles->addAction(actShowInFolder);
    mnuFiles->addSeparator();
    mnuFiles->addAction(actCopy);
    mnuFiles->addAction(actSaveCsv);
    mnuFiles->addSeparator();
    mnuFiles->addAction(actTrash);
    mnuFiles->addSeparator();
    // What a click on a heading does, for the keyboard: the column sorted
    // again turns its order round, another starts in its own first order.
    mnuSort = mnuFiles->addMenu(QStringLiteral("Sort by"));
    mnuSort->setObjectName(QStringLiteral("mnuSort"));
    auto *columns = new QActionGroup(mnuSort);
    for (int column = 0; column < FileListModel::kColumnCount; ++column) {
        QAction *action = mnuSort->addAction(FileListModel::heading(column));
        action->setCheckable(true);
        columns->addAction(action);
        connect(action, &QAction::triggered, this, [this, column] { sortByColumn(column); });
    }
    connect(mnuSort, &QMenu::aboutToShow, this, [this] {
        const int sorted = gridFiles->horizontalHeader()->sortIndicatorSection();
        const QList<QAction *> items = mnuSort->actions();
        for (qsizetype column = 0; column < items.size(); ++column)
            items[column]->setChecked(column == sorted);
    });
    makeAction("actMenu", QString(),
               {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)},
               &FileListWindow::showMenuAtCurrentRow);

    // Esc stops a listing, and otherwise closes the window, wherever the focus is.
    auto *escape = new QAction(this);
    escape->setObjectName(QStringLiteral("actEscape"));
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WindowShortcut);
    connect(escape, &QAction::triggered, this, &FileListWindow::escapePressed);
    addAction(escape);

    tmrListing = new QTimer(this);
    tmrListing->setObjectName(QStringLiteral("tmrListing"));
    tmrListing->setInterval(100);
    connect(tmrListing, &QTimer::timeout, this, &FileListWindow::showListingProgress);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btListAll);
    buttons->addWidget(btStop);
    buttons->addStretch(1);
    for (QPushButton *button : {btOpen, btShowInFolder, btCopy, btSaveCsv, btTrash})
        buttons->addWidget(button);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(gridFiles, 1);
    column->addWidget(lblFooter);
    column->addWidget(lblStatus);
    column->addLayout(buttons);
    gridFiles->setFocus();
}

void FileListWindow::sortIndicatorToSize()
{
    // The model is sorted already; the heading only shows it.
    QHeaderView *headings = gridFiles->horizontalHeader();
    const QSignalBlocker quiet(headings);
    headings->setSortIndicator(FileListModel::kSize, Qt::DescendingOrder);
}

void FileListWindow::bringToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

// --- what the footer and the status line say

double FileListWindow::footerBytes(const KeptFile &file) const
{
    return m_figure.kind == FigureKind::Overhang ? double(file.facts.wasted) : double(file.size());
}

void FileListWindow::showFooter()
{
    const LocaleSeparators &locale = m_services.locale;
    const auto listed = static_cast<std::int64_t>(m_model->rowCount());
    const QString bytes = bytesText(m_total.bytes, locale);
    if (listed >= m_total.files) {
        lblFooter->setText(QStringLiteral("%1 (%2)").arg(filesText(listed, locale), bytes));
        return;
    }
    const QString of = filesText(m_total.files, locale);
    if (listed == 0)
        lblFooter->setText(QStringLiteral("None of %1 listed (%2)").arg(of, bytes));
    else if (listed == 1)
        lblFooter->setText(QStringLiteral("The largest of %1 (%2)").arg(of, bytes));
    else
        lblFooter->setText(QStringLiteral("%1 largest of %2 (%3)")
                               .arg(toQt(formatInt(listed, locale)), of, bytes));
}

void FileListWindow::setTotal(const FigureTotal &total)
{
    // A list from a walk counts what the walk found, not the scan's figure.
    if (m_listedFromDisk)
        return;
    m_total = total;
    showFooter();
}

void FileListWindow::forgetFiles(const std::vector<KeptFile> &gone)
{
    const std::vector<KeptFile> held = m_model->forget(gone);
    if (held.empty())
        return;
    m_total.files = std::max<std::int64_t>(0, m_total.files - std::int64_t(held.size()));
    for (const KeptFile &file : held)
        m_total.bytes = std::max(0.0, m_total.bytes - footerBytes(file));
    showFooter();
}

void FileListWindow::enableActions()
{
    const bool selected = gridFiles->selectionModel()->hasSelection();
    for (QAction *action : {actOpen, actShowInFolder, actCopy})
        action->setEnabled(selected);
    // A list being replaced by a walk's is not one to take files out of.
    actTrash->setEnabled(selected && !listingRunning());
    actSaveCsv->setEnabled(m_model->rowCount() > 0);
    btOpen->setEnabled(actOpen->isEnabled());
    btShowInFolder->setEnabled(actShowInFolder->isEnabled());
    btCopy->setEnabled(actCopy->isEnabled());
    btSaveCsv->setEnabled(actSaveCsv->isEnabled());
    btTrash->setEnabled(actTrash->isEnabled());
    btListAll->setEnabled(!listingRunning());
}

// --- the selection

std::vector<int> FileListWindow::selectedRows() const
{
    // From the selection's ranges rather than its indexes: a whole list
    // selected is one range, not a million indexes.
    std::vector<int> rows;
    for (const QItemSelectionRange &range : gridFiles->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::vector<std::string> FileListWindow::selectedPaths() const
{
    std::vector<std::string> paths;
    for (const int row : selectedRows())
        paths.push_back(m_model->file(row).path());
    return paths;
}

void FileListWindow::showMenuAtCurrentRow()
{
    // Some platforms report the menu key both as a key and as a request for
    // the menu: one menu is enough.
    if (mnuFiles->isVisible())
        return;
    const QModelIndex current = gridFiles->currentIndex();
    QPoint at(0, 0);
    if (current.isValid()) {
        gridFiles->scrollTo(current);
        const QRect cell = gridFiles->visualRect(current);
        at = cell.isValid() ? QPoint(cell.left() + 4, cell.bottom()) : at;
    }
    mnuFiles->popup(gridFiles->viewport()->mapToGlobal(at));
}

void FileListWindow::sortByColumn(int column)
{
    const QHeaderView &headings = *gridFiles->horizontalHeader();
    Qt::SortOrder order = static_cast<Qt::SortOrder>(
        m_model->headerData(column, Qt::Horizontal, Qt::InitialSortOrderRole).toInt());
    if (headings.sortIndicatorSection() == column)
        order = headings.sortIndicatorOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                    : Qt::AscendingOrder;
    gridFiles->sortByColumn(column, order);
}

// --- the commands

void FileListWindow::btOpenClick()
{
    const std::vector<std::string> paths = selectedPaths();
    if (paths.empty())
        return;
    if (paths.size() > kOpenWithoutAsking &&
        confirm(QStringLiteral("Open %1 at once?")
                    .arg(filesText(std::int64_t(paths.size()), m_services.locale))
                    .toStdString()) != Answer::Yes)
        return;
    m_actions.open(paths);
}

void FileListWindow::btShowInFolderClick()
{
    const std::vector<std::string> paths = selectedPaths();
    if (!paths.empty())
        m_actions.showInFolder(paths);
}

void FileListWindow::btCopyClick()
{
    const std::vector<std::string> paths = selectedPaths();
    if (paths.empty())
        return;
    // The paths as their bytes, one a line, for a terminal or an editor; as
    // URIs for a file manager to paste the files themselves.
    QByteArray text;
    QByteArray uris;
    QByteArray gnome("copy");
    bool utf8 = true;
    for (const std::string &path : paths) {
        if (!text.isEmpty())
            text += '\n';
        text.append(path.data(), static_cast<qsizetype>(path.size()));
        const QByteArray uri = fileUri(path);
        uris += uri + "\r\n";
        gnome += '\n' + uri;
        utf8 = utf8 && isUtf8(path);
    }
    auto *mime = new QMimeData;
    if (utf8)
        mime->setText(QString::fromUtf8(text));
    mime->setData(QStringLiteral("text/plain;charset=utf-8"), text);
    mime->setData(QStringLiteral("text/uri-list"), uris);
    mime->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    QGuiApplication::clipboard()->setMimeData(mime);
    lblStatus->setText(paths.size() == 1
                           ? QStringLiteral("The path of 1 file copied.")
                           : QStringLiteral("The paths of %1 copied.")
                                 .arg(filesText(std::int64_t(paths.size()), m_services.locale)));
}

bool FileListWindow::btSaveCsvClick()
{
    static const SaveFileKind kCsv{QStringLiteral("Save list as CSV"),
                                   QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"),
                                   QStandardPaths::DocumentsLocation};
    const QString path = askSaveFileName(this, kCsv, QStringLiteral("File list.csv"));
    if (path.isEmpty())
        return false;
    return saveWhole(path, QStringLiteral("list"),
                     [this](QIODevice &file) { return writeFileListCsv(m_model->files(), file); });
}

void FileListWindow::btTrashClick()
{
    if (listingRunning())
        return;
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    const LocaleSeparators &locale = m_services.locale;
    double bytes = 0;
    for (const int row : rows)
        bytes += double(m_model->file(row).size());
    const QString what = rows.size() == 1 ? QStringLiteral("\"%1\"").arg(FileListModel::readable(
                                                m_model->file(rows.front()).name))
                                          : filesText(std::int64_t(rows.size()), locale);
    if (confirm(QStringLiteral("Move %1 (%2) to the trash?")
                    .arg(what, bytesText(bytes, locale))
                    .toStdString()) != Answer::Yes)
        return;

    std::vector<int> movedRows;
    QStringList problems;
    {
        const HourglassCursor busy;
        for (const int row : rows) {
            const KeptFile &file = m_model->file(row);
            const TrashOutcome result = m_actions.moveToTrash(file.path());
            if (result.moved)
                movedRows.push_back(row);
            else
                problems << QStringLiteral("%1: %2").arg(FileListModel::readable(file.path()),
                                                         toQt(result.problem));
        }
    }
    const std::vector<KeptFile> moved = m_model->takeRows(movedRows);
    m_total.files = std::max<std::int64_t>(0, m_total.files - std::int64_t(moved.size()));
    for (const KeptFile &file : moved)
        m_total.bytes = std::max(0.0, m_total.bytes - footerBytes(file));
    showFooter();

    QString status;
    if (moved.empty())
        status = QStringLiteral("No file was moved to the trash.");
    else if (problems.empty())
        status = QStringLiteral("%1 moved to the trash.")
                     .arg(filesText(std::int64_t(moved.size()), locale));
    else
        status = QStringLiteral("%1 moved to the trash; %2 could not be moved.")
                     .arg(filesText(std::int64_t(moved.size()), locale),
                          toQt(formatInt(problems.size(), locale)));
    lblStatus->setText(status);
    if (!moved.empty())
        emit filesTrashed(moved);

    if (!problems.empty()) {
        const qsizetype named = std::min(problems.size(), kProblemsNamed);
        QString message = problems.size() == 1
                              ? QStringLiteral("This file could not be moved to the trash:\n")
                              : QStringLiteral("These files could not be moved to the trash:\n");
        message += problems.mid(0, named).join(QLatin1Char('\n'));
        if (problems.size() > named)
            message += QStringLiteral("\n… and %1 more.")
                           .arg(toQt(formatInt(problems.size() - named, locale)));
        showError(message.toStdString());
    }
}

// --- listing every file of the figure

void FileListWindow::btListAllClick()
{
    if (listingRunning() || !m_listAll)
        return;
    std::unique_ptr<FigureListing> walk = m_listAll();
    if (!walk)
        return;
    m_listing = std::make_unique<Listing>();
    m_listing->walk = std::move(walk);
    Listing &listing = *m_listing;
    // The walk reports only through its atomics; the timer reads them.
    listing.thread = std::thread([&listing] {
        try {
            listing.walk->run();
        } catch (...) {
            listing.error = std::current_exception();
        }
        listing.done.store(true, std::memory_order_release);
    });
    btStop->show();
    btListAll->hide();
    enableActions();
    showListingProgress();
    tmrListing->start();
}

void FileListWindow::btStopClick()
{
    if (m_listing)
        m_listing->walk->requestStop();
}

void FileListWindow::escapePressed()
{
    if (listingRunning())
        btStopClick();
    else
        close();
}

void FileListWindow::showListingProgress()
{
    if (!m_listing)
        return;
    if (m_listing->done.load(std::memory_order_acquire)) {
        finishListing();
        return;
    }
    const QString seen = filesText(m_listing->walk->filesSeen(), m_services.locale);
    lblStatus->setText(m_listing->walk->stopRequested()
                           ? QStringLiteral("Stopping ... %1 looked at.").arg(seen)
                           : QStringLiteral("Listing files ... standby.  %1 looked at.  "
                                            "Press Esc or click Stop to stop.")
                                 .arg(seen));
}

void FileListWindow::finishListing()
{
    tmrListing->stop();
    std::unique_ptr<Listing> listing = std::move(m_listing);
    listing->thread.join();
    btStop->hide();
    btListAll->setVisible(static_cast<bool>(m_listAll));

    QString problem;
    if (listing->error) {
        try {
            std::rethrow_exception(listing->error);
        } catch (const std::exception &e) {
            problem = QString::fromUtf8(e.what());
        } catch (...) {
            problem = QStringLiteral("an unknown error");
        }
    }
    if (!problem.isEmpty()) {
        lblStatus->setText(QStringLiteral("The files could not be listed."));
        enableActions();
        showError(QStringLiteral("The files could not be listed:\n%1").arg(problem).toStdString());
        emit listingFinished(false);
        return;
    }

    const bool stopped = listing->walk->stopRequested();
    const bool complete = listing->walk->complete() && !stopped;
    std::vector<KeptFile> found = listing->walk->takeFiles();
    FigureTotal total;
    total.files = static_cast<std::int64_t>(found.size());
    for (const KeptFile &file : found)
        total.bytes += footerBytes(file);
    m_model->setFiles(std::move(found));
    sortIndicatorToSize();
    m_total = total;
    m_listedFromDisk = true;
    showFooter();
    const QString files = filesText(total.files, m_services.locale);
    if (complete)
        lblStatus->setText(QStringLiteral("All files of the figure as the disk holds them now; "
                                          "the figures are those of the scan."));
    else if (stopped)
        lblStatus->setText(QStringLiteral("Listing stopped: the list holds the %1 found before "
                                          "it stopped, not every file of the figure.")
                               .arg(files));
    else // a drive not ready, or its root not to be opened
        lblStatus->setText(QStringLiteral("Not every drive could be walked: the list holds the "
                                          "%1 found, not every file of the figure.")
                               .arg(files));
    enableActions();
    emit listingFinished(complete);
}

void FileListWindow::stopAndJoin()
{
    if (!m_listing)
        return;
    tmrListing->stop();
    m_listing->walk->requestStop();
    m_listing->thread.join();
    m_listing.reset();
}

void FileListWindow::closeEvent(QCloseEvent *event)
{
    stopAndJoin();
    QWidget::closeEvent(event);
}

} // namespace vorin
