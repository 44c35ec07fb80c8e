#include "engine/FigureListing.h"
#include "ExportFixture.h"
#include "FileActionsFake.h"
#include "FileListFixture.h"
#include "platform/fake/FixedUtcOffset.h"
#include "platform/fake/ForwardingDirectoryReader.h"
#include "views/FileListModel.h"
#include "views/FileListWindow.h"
#include "ViewsFixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <thread>

using namespace vorin;
using namespace vorin::testing;

namespace {

// A line feed, double quotes and a byte that is no UTF-8.
const std::string kOddName = "two\n\"lines\"\xff.iso";
const std::string kOddPath = "/data/music/" + kOddName;
const QString kOdd = QString::fromStdString(kOddName);
const FigureTotal kManyMore{1204, 6120388412.0};

// Four files of two folders, largest first: a.iso, the odd name, b.iso, c.iso.
std::vector<KeptFile> fourFiles()
{
    return {keptFile("/data/music", "a.iso", 5000, utc(2024, 3, 5, 13, 7)),
            keptFile("/data/music", kOddName, 3000, utc(2025, 1, 1, 0, 0), kAttrHidden),
            keptFile("/data/other", "b.iso", 2000, utc(2023, 7, 1, 0, 0)),
            keptFile("/data/other", "c.iso", 1000)};
}

QStringList names(const std::vector<KeptFile> &files)
{
    QStringList texts;
    for (const KeptFile &file : files)
        texts << QString::fromStdString(file.name);
    return texts;
}

// A list window over files, on fakes: no box, no program started, no file
// touched. Deleted with the fixture unless it closed itself.
struct ListWindow
{
    explicit ListWindow(std::vector<KeptFile> files = fourFiles(), FigureTotal total = kManyMore,
                        FileListWindow::ListingFactory listAll = {})
        : window(new FileListWindow(QStringLiteral("Files: .ISO on f: [/data]"),
                                    Figure{FigureKind::Type, 0, ".ISO"}, total, std::move(files),
                                    services, actions, std::move(listAll)))
    {}
    ~ListWindow() { delete window; }
    ListWindow(const ListWindow &) = delete;
    ListWindow &operator=(const ListWindow &) = delete;

    // Shown and active, so that its keys reach it.
    bool show()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }
    void select(const QList<int> &rows)
    {
        QItemSelectionModel &selection = *window->gridFiles->selectionModel();
        for (const int row : rows)
            selection.select(window->model().index(row, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection.setCurrentIndex(window->model().index(rows.front(), 0),
                                  QItemSelectionModel::NoUpdate);
    }
    // The boxes shown: "? " before a question, "! " before any other.
    [[nodiscard]] std::vector<std::string> boxes() const
    {
        std::vector<std::string> texts;
        for (const RecordingMessages::Shown &box : messages.shown())
            texts.push_back((box.kind == RecordingMessages::Shown::Confirm ? "? " : "! ") +
                            box.text);
        return texts;
    }

    FakeVolumes volumes;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    RecordingMessages messages;
    Services services{volumes, settings, registry, kUs, 1};
    RecordingFileActions actions;
    QPointer<FileListWindow> window;
};

// A held listing's walk waits at every file it would describe until the
// window asks it to stop, so that a test acts while the listing certainly runs.
struct Hold
{
    std::atomic<const FigureListing *> listing{nullptr};
    std::atomic<bool> entered{false};
    std::atomic<bool> stopSeen{false};
};

class HeldReader final : public ForwardingDirectoryReader
{
public:
    HeldReader(std::unique_ptr<DirectoryReader> inner, Hold &hold)
        : ForwardingDirectoryReader(std::move(inner)), m_hold(hold)
    {}
    Described describe(Handle dir, std::string_view name, DirectoryEntry &entry) override
    {
        m_hold.entered = true;
        while (!m_hold.listing.load()->stopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        m_hold.stopSeen = true;
        return ForwardingDirectoryReader::describe(dir, name, entry);
    }
    [[nodiscard]] std::unique_ptr<DirectoryReader> clone() const override
    {
        return std::make_unique<HeldReader>(inner().clone(), m_hold);
    }

private:
    Hold &m_hold;
};

// A drive f over a temporary tree of text files (100, 200 and 300 bytes) and
// one other file, and the listing of its .txt files, held when asked.
struct ListingDrive
{
    explicit ListingDrive(bool held = false)
    {
        QDir(tree.path()).mkpath(QStringLiteral("docs"));
        for (int size : {100, 200, 300})
            writeFile(tree.filePath(QStringLiteral("docs/note%1.txt").arg(size)), size);
        writeFile(tree.filePath(QStringLiteral("other.bin")), 5000);
        volumes.add(fixedVolume('f', tree.path(), "tree"), {1, 2}, 4096);
        recipe.drives = {"f: [tree]"};
        recipe.zone = &zone;
        recipe.today = std::time(nullptr) / 86400;
        recipe.threads = 1;
        recipe.reader = held ? &reader : nullptr;
    }
    FileListWindow::ListingFactory listTextFiles()
    {
        return [this] {
            auto listing =
                std::make_unique<FigureListing>(volumes, recipe, *parseFigure("types:.txt"));
            hold.listing = listing.get();
            return listing;
        };
    }

    QTemporaryDir tree;
    FakeVolumes volumes;
    FixedUtcOffset zone{0};
    ScanRecipe recipe;
    Hold hold;
    HeldReader reader{makeDirectoryReader(), hold};
};

} // namespace

class tst_FileListWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void footerSaysWhetherTheListHoldsEveryFileOfTheFigure_data();
    void footerSaysWhetherTheListHoldsEveryFileOfTheFigure();
    void filesShowLargestFirstAndAHeadingClickSortsByItsColumn_data();
    void filesShowLargestFirstAndAHeadingClickSortsByItsColumn();
    void copyPutsTheExactBytesOfThePathsAsTextAndAsUris_data();
    void copyPutsTheExactBytesOfThePathsAsTextAndAsUris();
    void saveWritesEveryRowAsCsvInTheOrderShown();
    void trashMovesOnlyTheConfirmedSelectionAndNamesAFileThatWillNotGo();
    void openingGivesTheDesktopTheExactPathsOfTheFilesPicked_data();
    void openingGivesTheDesktopTheExactPathsOfTheFilesPicked();
    void listAskedForAgainComesToFrontAndFollowsFilesTrashedElsewhere();
    void listAllShowsEveryFileOfTheFigureAsTheDiskHoldsItNow_data();
    void listAllShowsEveryFileOfTheFigureAsTheDiskHoldsItNow();
    void escapeStopsAListingAndClosingWaitsForItsThread();
    void keyboardOpensTheMenuAtTheCurrentRow_data();
    void keyboardOpensTheMenuAtTheCurrentRow();
};

void tst_FileListWindow::initTestCase()
{
    useGermanClockAndLocale();
}

void tst_FileListWindow::footerSaysWhetherTheListHoldsEveryFileOfTheFigure_data()
{
    QTest::addColumn<int>("listed");
    QTest::addColumn<qint64>("files");
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QString>("footer");
    QTest::newRow("cut") << 4 << qint64(1204) << 6120388412.0
                         << "4 largest of 1,204 files (6,120,388,412 bytes)";
    QTest::newRow("cut to one") << 1 << qint64(7) << 5100.0
                                << "The largest of 7 files (5,100 bytes)";
    QTest::newRow("complete") << 4 << qint64(4) << 11000.0 << "4 files (11,000 bytes)";
}

void tst_FileListWindow::footerSaysWhetherTheListHoldsEveryFileOfTheFigure()
{
    QFETCH(int, listed);
    QFETCH(qint64, files);
    QFETCH(double, bytes);
    QFETCH(QString, footer);
    std::vector<KeptFile> kept = fourFiles();
    kept.resize(static_cast<std::size_t>(listed));
    ListWindow w(kept, FigureTotal{files, bytes});
    QCOMPARE(w.window->lblFooter->text(), footer);
}

void tst_FileListWindow::filesShowLargestFirstAndAHeadingClickSortsByItsColumn_data()
{
    QTest::addColumn<int>("heading"); // -1: none clicked
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("none: largest first")
        << -1 << Qt::DescendingOrder << QStringList{"a.iso", kOdd, "b.iso", "c.iso"};
    QTest::newRow("name: A first") << int(FileListModel::kName) << Qt::AscendingOrder
                                   << QStringList{"a.iso", "b.iso", "c.iso", kOdd};
    QTest::newRow("size, sorted largest first: now smallest first")
        << int(FileListModel::kSize) << Qt::AscendingOrder
        << QStringList{"c.iso", "b.iso", kOdd, "a.iso"};
    QTest::newRow("modified: latest first, unrecorded last")
        << int(FileListModel::kModified) << Qt::DescendingOrder
        << QStringList{kOdd, "a.iso", "b.iso", "c.iso"};
}

void tst_FileListWindow::filesShowLargestFirstAndAHeadingClickSortsByItsColumn()
{
    QFETCH(int, heading);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, names);
    std::vector<KeptFile> files = fourFiles();
    std::reverse(files.begin(), files.end());
    ListWindow w(files);
    QVERIFY(w.show());
    QHeaderView &header = *w.window->gridFiles->horizontalHeader();
    if (heading >= 0)
        QTest::mouseClick(
            header.viewport(), Qt::LeftButton, Qt::NoModifier,
            QPoint(header.sectionViewportPosition(heading) + 10, header.height() / 2));
    QCOMPARE(::names(w.window->model().files()), names);
    QCOMPARE(header.sortIndicatorSection(), heading >= 0 ? heading : int(FileListModel::kSize));
    QCOMPARE(header.sortIndicatorOrder(), order);

    // The menu's "Sort by" does the same for the keyboard.
    ListWindow byMenu(files);
    if (heading >= 0)
        byMenu.window->mnuSort->actions().at(heading)->trigger();
    QCOMPARE(::names(byMenu.window->model().files()), names);
}

void tst_FileListWindow::copyPutsTheExactBytesOfThePathsAsTextAndAsUris_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("uris");
    QTest::addColumn<QByteArray>("gnome");
    QTest::addColumn<bool>("plainText"); // offered to programs that read only text/plain
    QTest::newRow("a name that is no UTF-8")
        << QList<int>{1, 0} << QByteArray("/data/music/a.iso\n") + kOddPath.c_str()
        << QByteArray("file:///data/music/a.iso\r\nfile:///data/music/two%0A%22lines%22%FF.iso\r\n")
        << QByteArray("copy\nfile:///data/music/a.iso\nfile:///data/music/two%0A%22lines%22%FF.iso")
        << false;
    QTest::newRow("UTF-8") << QList<int>{2} << QByteArray("/data/other/b.iso")
                           << QByteArray("file:///data/other/b.iso\r\n")
                           << QByteArray("copy\nfile:///data/other/b.iso") << true;
}

void tst_FileListWindow::copyPutsTheExactBytesOfThePathsAsTextAndAsUris()
{
    QFETCH(QList<int>, rows);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, uris);
    QFETCH(QByteArray, gnome);
    QFETCH(bool, plainText);
    ListWindow w;
    QVERIFY(w.show());
    markClipboard();
    w.select(rows);
    QTest::keyClick(w.window->gridFiles, Qt::Key_C, Qt::ControlModifier);
    const QMimeData &copied = *QGuiApplication::clipboard()->mimeData();
    QCOMPARE(copied.data(QStringLiteral("text/plain;charset=utf-8")), text);
    QCOMPARE(copied.data(QStringLiteral("text/uri-list")), uris);
    QCOMPARE(copied.data(QStringLiteral("x-special/gnome-copied-files")), gnome);
    QCOMPARE(copied.formats().contains(QStringLiteral("text/plain")), plainText);
    if (plainText)
        QCOMPARE(copied.data(QStringLiteral("text/plain")), text);
}

void tst_FileListWindow::saveWritesEveryRowAsCsvInTheOrderShown()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.csv"));
    const CsvChooserStub chooser(path);
    ListWindow w;
    w.window->model().sort(FileListModel::kName, Qt::AscendingOrder);
    w.select({0}); // the selection does not limit what is saved
    QTest::mouseClick(w.window->btSaveCsv, Qt::LeftButton);
    QCOMPARE(chooser.suggestedName, QStringLiteral("File list.csv"));
    QCOMPARE(fileBytes(path), QByteArray("Name,Folder,Size,Modified,Accessed,Created,Attributes\r\n"
                                         "a.iso,/data/music,5000,2024-03-05T14:07:00+01:00,,,\r\n"
                                         "b.iso,/data/other,2000,2023-07-01T02:00:00+02:00,,,\r\n"
                                         "c.iso,/data/other,1000,,,,\r\n"
                                         "\"two\n\"\"lines\"\"\xff.iso\",/data/music,3000,"
                                         "2025-01-01T01:00:00+01:00,,,H\r\n"));
}

void tst_FileListWindow::trashMovesOnlyTheConfirmedSelectionAndNamesAFileThatWillNotGo()
{
    ListWindow w;
    QVERIFY(w.show());
    w.actions.refuse(kOddPath, "permission denied");
    std::vector<std::vector<KeptFile>> emitted;
    QObject::connect(w.window, &FileListWindow::filesTrashed,
                     [&emitted](const std::vector<KeptFile> &files) { emitted.push_back(files); });
    w.select({0, 1, 3});
    w.messages.queueAnswer(Answer::No);
    QTest::mouseClick(w.window->btTrash, Qt::LeftButton);
    QVERIFY(w.actions.trashed.empty());
    QCOMPARE(w.window->model().rowCount(), 4);
    QVERIFY(emitted.empty());

    w.window->gridFiles->setFocus();
    QTest::keyClick(w.window->gridFiles, Qt::Key_Delete); // and Yes this time
    QCOMPARE(w.actions.trashed,
             (std::vector<std::string>{"/data/music/a.iso", kOddPath, "/data/other/c.iso"}));
    QCOMPARE(emitted.size(), std::size_t(1));
    QCOMPARE(names(emitted[0]), QStringList({"a.iso", "c.iso"}));
    QCOMPARE(names(w.window->model().files()), QStringList({kOdd, "b.iso"}));
    QCOMPARE(w.boxes(), (std::vector<std::string>{
                            "? Move 3 files (9,000 bytes) to the trash?",
                            "? Move 3 files (9,000 bytes) to the trash?",
                            "! This file could not be moved to the trash:\n"
                            "/data/music/two\u240A\"lines\"\uFFFD.iso: permission denied"}));
    QCOMPARE(w.window->lblStatus->text(),
             QStringLiteral("2 files moved to the trash; 1 could not be moved."));
    QCOMPARE(w.window->lblFooter->text(),
             QStringLiteral("2 largest of 1,202 files (6,120,382,412 bytes)"));
}

void tst_FileListWindow::openingGivesTheDesktopTheExactPathsOfTheFilesPicked_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QByteArrayList>("opened");
    QTest::newRow("Enter opens the selection")
        << false << QByteArrayList{kOddPath.c_str(), "/data/other/c.iso"};
    QTest::newRow("a double-click opens the file clicked")
        << true << QByteArrayList{"/data/other/b.iso"};
}

void tst_FileListWindow::openingGivesTheDesktopTheExactPathsOfTheFilesPicked()
{
    QFETCH(bool, doubleClick);
    QFETCH(QByteArrayList, opened);
    ListWindow w;
    QVERIFY(w.show());
    w.select({3, 1});
    QTableView &table = *w.window->gridFiles;
    const QPoint row = table.visualRect(w.window->model().index(2, 1)).center();
    if (doubleClick) { // as the mouse sends it: a click, then the press that makes it double
        QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, row);
        QTest::mouseDClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, row);
    } else {
        QTest::keyClick(&table, Qt::Key_Return);
    }
    std::vector<std::string> paths;
    for (const QByteArray &path : opened)
        paths.push_back(path.toStdString());
    QCOMPARE(w.actions.opened, std::vector<std::vector<std::string>>{paths});
}

void tst_FileListWindow::listAskedForAgainComesToFrontAndFollowsFilesTrashedElsewhere()
{
    ListWindow w;
    w.window->bringToFront(); // the first time
    QVERIFY(QTest::qWaitForWindowActive(w.window));
    w.window->showMinimized();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    w.window->bringToFront(); // again, from behind another window
    QVERIFY(QTest::qWaitForWindowActive(w.window));
    QVERIFY(!w.window->isMinimized());

    // Only the file of the same folder and name leaves, with its bytes as listed.
    w.window->forgetFiles({keptFile("/data/other", "b.iso", 0), keptFile("/else", "c.iso", 1000)});
    QCOMPARE(names(w.window->model().files()), QStringList({"a.iso", kOdd, "c.iso"}));
    QCOMPARE(w.window->lblFooter->text(),
             QStringLiteral("3 largest of 1,203 files (6,120,386,412 bytes)"));
    w.window->setTotal({3, 9000});
    QCOMPARE(w.window->lblFooter->text(), QStringLiteral("3 files (9,000 bytes)"));
}

void tst_FileListWindow::listAllShowsEveryFileOfTheFigureAsTheDiskHoldsItNow_data()
{
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("status");
    QTest::newRow("every drive walked") << true
                                        << "All files of the figure as the disk holds them now; "
                                           "the figures are those of the scan.";
    QTest::newRow("a drive that cannot be walked")
        << false
        << "Not every drive could be walked: the list holds the 4 files found, not every file "
           "of the figure.";
}

void tst_FileListWindow::listAllShowsEveryFileOfTheFigureAsTheDiskHoldsItNow()
{
    QFETCH(bool, complete);
    QFETCH(QString, status);
    ListingDrive drive;
    if (!complete)
        drive.recipe.drives.push_back("g: [gone]");
    // The scan kept the largest of the three; a fourth was written since.
    const std::string docs = drive.tree.path().toStdString() + "/docs";
    ListWindow w({keptFile(docs, "note300.txt", 300)}, FigureTotal{3, 600}, drive.listTextFiles());
    writeFile(drive.tree.filePath(QStringLiteral("docs/later.txt")), 400);
    QSignalSpy finished(w.window.data(), &FileListWindow::listingFinished);

    QTest::mouseClick(w.window->btListAll, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), complete);
    QCOMPARE(names(w.window->model().files()),
             QStringList({"later.txt", "note300.txt", "note200.txt", "note100.txt"}));
    QCOMPARE(w.window->model().file(0).folder, docs);
    QCOMPARE(w.window->lblFooter->text(), QStringLiteral("4 files (1,000 bytes)"));
    QCOMPARE(w.window->lblStatus->text(), status);
}

void tst_FileListWindow::escapeStopsAListingAndClosingWaitsForItsThread()
{
    ListingDrive drive(true);
    ListWindow w(fourFiles(), kManyMore, drive.listTextFiles());
    QVERIFY(w.show());
    QSignalSpy finished(w.window.data(), &FileListWindow::listingFinished);
    QTest::mouseClick(w.window->btListAll, Qt::LeftButton);
    QTRY_VERIFY(drive.hold.entered);
    QVERIFY(!w.window->btTrash->isEnabled()); // the list is about to be replaced

    QTest::keyClick(w.window->gridFiles, Qt::Key_Escape);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(drive.hold.stopSeen);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    const int found = w.window->model().rowCount(); // the file held, or none
    QVERIFY(found <= 1);
    QCOMPARE(w.window->lblStatus->text(),
             QStringLiteral("Listing stopped: the list holds the %1 found before it stopped, not "
                            "every file of the figure.")
                 .arg(found ? QStringLiteral("1 file") : QStringLiteral("0 files")));

    // Closed while a second listing runs, the window stops it and waits for it.
    drive.hold.entered = false;
    drive.hold.stopSeen = false;
    QTest::mouseClick(w.window->btListAll, Qt::LeftButton);
    QTRY_VERIFY(drive.hold.entered);
    QVERIFY(w.window->close());
    QVERIFY(drive.hold.stopSeen);
    QTRY_VERIFY(w.window.isNull());
}

void tst_FileListWindow::keyboardOpensTheMenuAtTheCurrentRow_data()
{
    QTest::addColumn<int>("key"); // 0: the platform asks for the menu of the focused table
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers();
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("platform's request") << 0 << Qt::KeyboardModifiers();
}

void tst_FileListWindow::keyboardOpensTheMenuAtTheCurrentRow()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    ListWindow w;
    QVERIFY(w.show());
    w.select({2});
    QTableView &table = *w.window->gridFiles;
    if (key != 0) {
        QTest::keyClick(&table, Qt::Key(key), modifiers);
    } else {
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                  table.mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(&table, &request);
    }
    QMenu &menu = *w.window->mnuFiles;
    QTRY_VERIFY(menu.isVisible());
    const QRect row = table.visualRect(w.window->model().index(2, 0));
    QCOMPARE(menu.y(), table.viewport()->mapToGlobal(row.bottomLeft()).y());
    menu.hide();
}

QTEST_MAIN(tst_FileListWindow)
#include "tst_FileListWindow.moc"
