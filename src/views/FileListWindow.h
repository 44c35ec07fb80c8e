#pragma once

#include "engine/FigureFiles.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <QString>
#include <QWidget>
#include <thread>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QTimer;

namespace vorin {

class FigureListing;
class FileActions;
class FileListModel;
struct Services;

// The window of the files behind one figure of the statistics window (a
// row, bar, slice or point of a page): the files the scan kept for it, the
// largest first, with what the user can do with them: open them, show them
// in their folder, copy their paths, save the list as CSV, move them to the
// trash, and list every file of the figure as the drives hold it now.
//
// A top-level window of its own, not modal, deleted when it is closed; the
// statistics window keeps a guarded pointer to it per figure and calls
// bringToFront() when the figure is asked for again.
//
// GUI thread. Listing every file walks the drives on one thread of its own
// (which the walk may fan out), read on a timer ten times a second; the
// window never waits for it, except when it is closed, when it asks the walk
// to stop and waits for its thread. The list costs one record per file and
// nothing per row of the table (see FileListModel).
class FileListWindow final : public QWidget
{
    Q_OBJECT

public:
    // Makes the walk that lists every file of the figure, or nothing.
    using ListingFactory = std::function<std::unique_ptr<FigureListing>()>;

    // title: the window's caption. total: the figure's files and bytes as
    // its page gives them (for the overhang, the space left empty). files:
    // the files the scan kept for it. An empty listAll hides "List all
    // files". services and actions are not owned and outlive the window.
    FileListWindow(const QString &title, const Figure &figure, const FigureTotal &total,
                   std::vector<KeptFile> files, Services &services, FileActions &actions,
                   ListingFactory listAll, QWidget *parent = nullptr);
    ~FileListWindow() override;
    FileListWindow(const FileListWindow &) = delete;
    FileListWindow &operator=(const FileListWindow &) = delete;

    [[nodiscard]] const Figure &figure() const { return m_figure; }
    // The figure's files and bytes as the footer gives them now.
    [[nodiscard]] const FigureTotal &total() const { return m_total; }
    [[nodiscard]] FileListModel &model() const { return *m_model; }
    [[nodiscard]] bool listingRunning() const { return m_listing != nullptr; }

    // Shows the window (restored when minimised) above the others, with the
    // keyboard.
    void bringToFront();
    // Takes files that went to the trash from another list out of this one;
    // the footer's count drops by the files it held.
    void forgetFiles(const std::vector<KeptFile> &gone);
    // The figure's files and bytes after its page changed (files trashed
    // elsewhere that this list did not hold); once "List all files" has
    // filled the list, its footer counts what the walk found instead.
    void setTotal(const FigureTotal &total);

    // The rows selected, top to bottom.
    [[nodiscard]] std::vector<int> selectedRows() const;

    // --- handlers
    void btListAllClick();
    // Asks a running listing to stop; it ends on its own soon after.
    void btStopClick();
    void btOpenClick();
    void btShowInFolderClick();
    void btCopyClick();
    // True when a file was written.
    bool btSaveCsvClick();
    void btTrashClick();
    // Opens the right-click menu at the current row, as the menu key and
    // Shift+F10 do.
    void showMenuAtCurrentRow();
    // Sorts by the column as a click on its heading does.
    void sortByColumn(int column);

    // --- controls, named as their objectName
    QTableView *gridFiles = nullptr;
    QLabel *lblFooter = nullptr;
    QLabel *lblStatus = nullptr;
    QPushButton *btListAll = nullptr;
    QPushButton *btStop = nullptr;
    QPushButton *btOpen = nullptr;
    QPushButton *btShowInFolder = nullptr;
    QPushButton *btCopy = nullptr;
    QPushButton *btSaveCsv = nullptr;
    QPushButton *btTrash = nullptr;
    QMenu *mnuFiles = nullptr;
    QMenu *mnuSort = nullptr; // "Sort by", the headings' sorting in mnuFiles
    QTimer *tmrListing = nullptr;
    QAction *actOpen = nullptr;
    QAction *actShowInFolder = nullptr;
    QAction *actCopy = nullptr;
    QAction *actSaveCsv = nullptr;
    QAction *actTrash = nullptr;

signals:
    // Files the user moved to the trash here, as they were listed: the
    // statistics window takes them out of every figure.
    void filesTrashed(const std::vector<KeptFile> &moved);
    // A listing ended and its files are shown; complete when every drive was
    // walked to its end.
    void listingFinished(bool complete);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // One walk of "List all files", shared with its thread.
    struct Listing
    {
        std::unique_ptr<FigureListing> walk;
        std::thread thread;
        std::atomic<bool> done{false};
        std::exception_ptr error; // set by the thread, read after the join
    };

    void buildWindow();
    void enableActions();
    void showFooter();
    void showListingProgress();
    // Waits for the finished walk's thread and shows what it found.
    void finishListing();
    // Asks a running walk to stop and waits for its thread; its files are
    // dropped.
    void stopAndJoin();
    void escapePressed();
    [[nodiscard]] std::vector<std::string> selectedPaths() const;
    // What the footer counts of a file: its bytes, or for the overhang the
    // bytes its last cluster leaves empty.
    [[nodiscard]] double footerBytes(const KeptFile &file) const;
    void sortIndicatorToSize();

    Figure m_figure;
    FigureTotal m_total;
    bool m_listedFromDisk = false; // the list holds a walk's files
    Services &m_services;
    FileActions &m_actions;
    ListingFactory m_listAll;
    FileListModel *m_model = nullptr;
    std::unique_ptr<Listing> m_listing;
};

} // namespace vorin
