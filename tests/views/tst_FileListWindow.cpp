#include "engine/FigureListing.h"
#include "ExportFixture.h"
#include "FileActionsFake.h"
#include "FileListFixture.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/FixedUtcOffset.h"
#include "platform/fake/ForwardingDirectoryReader.h"
#include "platform/fake/RecordingMessages.h"
#include "views/FileListModel.h"
#include "views/FileListWindow.h"
#include "views/Services.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace vorin;
using namespace vorin::testing;

namespace {

const std::string kOddName = "two\nlines\xff.iso"; // a line feed, and a byte that is no UTF-8
const std::string kOddPath = "/data/music/" + kOddName;

// Four files of two folders, largest first: a.iso, the odd name, b.iso, c.iso.
std::vector<KeptFile> fourFiles()
{
    return {keptFile("/data/music", "a.iso", 5000, utc(2024, 3, 5, 13, 7)),
            keptFile("/data/music", kOddName, 3000, utc(2025, 1, 1, 0, 0), kAttrHidden),
            keptFile("/data/other", "b.iso", 2000, utc(2023, 1, 1, 0, 0)),
            keptFile("/data/other", "c.iso", 1000)};
}

const FigureTotal kManyMore{1204, 6120388412.0};

QStringList names(const FileListModel &model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << QString::fromStdString(model.file(row).name);
    return texts;
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
                        const LocaleSeparators &separators = kUs,
                        FileListWindow::ListingFactory listAll = {},
                        Figure figure = Figure{FigureKind::Type, 0, ".ISO"})
        : services{volumes, settings, registry, separators, 1}
    {
        window = new FileListWindow(QStringLiteral("Files: .ISO on f: [/data]"), figure, total,
                                    std::move(files), services, actions, std::move(listAll));
    }
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
    void select(std::initializer_list<int> rows)
    {
        QItemSelectionModel &selection = *window->gridFiles->selectionModel();
        selection.clear();
        for (const int row : rows)
            selection.select(window->model().index(row, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (rows.size() > 0)
            selection.setCurrentIndex(window->model().index(*rows.begin(), 0),
                                      QItemSelectionModel::NoUpdate);
    }
    [[nodiscard]] std::string path(int row) const { return window->model().file(row).path(); }
    [[nodiscard]] std::vector<std::string> errors() const
    {
        std::vector<std::string> texts;
        for (const RecordingMessages::Shown &shown : messages.shown())
            if (shown.kind == RecordingMessages::Shown::Error)
                texts.push_back(shown.text);
        return texts;
    }
    [[nodiscard]] std::vector<std::string> confirmations() const
    {
        std::vector<std::string> texts;
        for (const RecordingMessages::Shown &shown : messages.shown())
            if (shown.kind == RecordingMessages::Shown::Confirm)
                texts.push_back(shown.text);
        return texts;
    }

    FakeVolumes volumes;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    RecordingMessages messages;
    Services services;
    RecordingFileActions actions;
    QPointer<FileListWindow> window;
};

void clickHeading(QTableView &table, int section)
{
    QHeaderView &header = *table.horizontalHeader();
    const QPoint middle(header.sectionViewportPosition(section) + header.sectionSize(section) / 2,
                        header.height() / 2);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier, middle);
}

// Holds the listing's walk at the first file it describes until the test
// lets it go or the window asks the walk to stop, so that a test can act
// while a listing certainly runs.
class Gate
{
public:
    void pass()
    {
        m_entered.store(true);
        while (!m_released.load() && !(m_listing.load() && m_listing.load()->stopRequested()))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        m_stopSeen.store(!m_released.load());
    }
    void watch(const FigureListing *listing) { m_listing.store(listing); }
    void release() { m_released.store(true); }
    [[nodiscard]] bool entered() const { return m_entered.load(); }
    [[nodiscard]] bool stopSeen() const { return m_stopSeen.load(); }

private:
    std::atomic<const FigureListing *> m_listing{nullptr};
    std::atomic<bool> m_entered{false};
    std::atomic<bool> m_released{false};
    std::atomic<bool> m_stopSeen{false};
};

class GatedReader final : public ForwardingDirectoryReader
{
public:
    GatedReader(std::unique_ptr<DirectoryReader> inner, Gate &gate)
        : ForwardingDirectoryReader(std::move(inner)), m_gate(gate)
    {}
    Described describe(Handle dir, std::string_view name, DirectoryEntry &entry) override
    {
        if (!m_passed) {
            m_passed = true;
            m_gate.pass();
        }
        return ForwardingDirectoryReader::describe(dir, name, entry);
    }
    [[nodiscard]] std::unique_ptr<DirectoryReader> clone() const override
    {
        return std::make_unique<GatedReader>(inner().clone(), m_gate);
    }

private:
    Gate &m_gate;
    bool m_passed = false;
};

// Lets the gate go on every way out of a test, before the window goes.
struct ReleaseOnExit
{
    Gate &gate;
    ~ReleaseOnExit() { gate.release(); }
};

// A drive f over a temporary tree of text files (100, 200 and 300 bytes)
// and one other file, and the recipe of a scan of it.
struct ListingDrive
{
    ListingDrive()
    {
        QDir(tree.path()).mkpath(QStringLiteral("docs"));
        for (int size : {100, 200, 300})
            write(QStringLiteral("docs/note%1.txt").arg(size), size);
        write(QStringLiteral("other.bin"), 5000);
        Volume volume;
        volume.letter = 'f';
        volume.type = kDriveFixed;
        volume.root = tree.path().toStdString();
        volume.label = "tree";
        volumes.add(volume, {1, 2}, 4096);
        recipe.drives = {"f: [tree]"};
        recipe.zone = &zone;
        recipe.today = std::time(nullptr) / 86400;
        recipe.threads = 1;
    }
    void write(const QString &relative, int size) const
    {
        QFile file(tree.path() + QLatin1Char('/') + relative);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
    }
    // The listing of the .txt files, watched by gate when one is given.
    FileListWindow::ListingFactory listTextFiles(Gate *gate = nullptr)
    {
        return [this, gate] {
            auto listing =
                std::make_unique<FigureListing>(volumes, recipe, *parseFigure("types:.txt"));
            if (gate)
                gate->watch(listing.get());
            return listing;
        };
    }

    QTemporaryDir tree;
    FakeVolumes volumes;
    FixedUtcOffset zone{0};
    ScanRecipe recipe;
};

} // namespace

class tst_FileListWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void isAWindowOfItsOwnWithItsControlsNamedAndCaptioned();
    void listAllIsOfferedOnlyWhenTheFigureCanBeListed();
    void footerSaysWhetherTheListHoldsEveryFileOfTheFigure_data();
    void footerSaysWhetherTheListHoldsEveryFileOfTheFigure();
    void tableShowsTheFilesLargestFirstWithTheSizeHeadingMarked();
    void clickingAHeadingSortsByItsColumn_data();
    void clickingAHeadingSortsByItsColumn();
    void commandsForTheSelectionWaitForASelection();
    void copyPutsTheExactBytesOfThePathsAsTextAndAsUris();
    void copyOfUtf8PathsIsPlainTextToo();
    void saveWritesEveryRowAsCsvInTheOrderShown();
    void cancelledSaveWritesNothing();
    void declinedTrashMovesNothing();
    void confirmedTrashMovesTheSelectedFilesOnly();
    void aFileThatWillNotGoIsNamedInOneErrorWhileTheOthersGo();
    void deleteKeyAsksToMoveTheSelectedFileToTheTrash();
    void openingTheSelectionGoesToTheDesktopWithTheExactPaths_data();
    void openingTheSelectionGoesToTheDesktopWithTheExactPaths();
    void doubleClickOpensTheFileClicked();
    void enterOnAFocusedButtonPressesItAndOpensNothing();
    void openingManyFilesAsksFirst();
    void showInFolderGoesToTheDesktopWithTheSelectedPaths();
    void rightClickMenuOffersTheCommands();
    void menuKeysOpenTheMenuAtTheCurrentRow_data();
    void menuKeysOpenTheMenuAtTheCurrentRow();
    void escapeClosesTheWindowWhenNothingIsListed();
    void bringingToFrontShowsTheWindowAgainAndActivatesIt();
    void filesTrashedElsewhereLeaveTheListAndTheFooter();
    void listAllShowsEveryFileOfTheFigureAsTheDiskHoldsItNow();
    void escapeStopsAListingAndTheListSaysItIsIncomplete();
    void aDriveThatCannotBeWalkedLeavesTheListIncomplete();
    void closingDuringAListingStopsItAndWaitsForItsThread();
};

void tst_FileListWindow::initTestCase()
{
    useGermanClockAndLocale();
}

void tst_FileListWindow::isAWindowOfItsOwnWithItsControlsNamedAndCaptioned()
{
    ListWindow w;
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Files: .ISO on f: [/data]"));
    QVERIFY(w.window->isWindow());
    QCOMPARE(w.window->windowModality(), Qt::NonModal);
    QVERIFY(w.window->testAttribute(Qt::WA_DeleteOnClose));
    const struct
    {
        const char *name;
        const char *caption;
    } buttons[] = {{"btListAll", "List all files"},
                   {"btStop", "Stop"},
                   {"btOpen", "Open"},
                   {"btShowInFolder", "Show in folder"},
                   {"btCopy", "Copy"},
                   {"btSaveCsv", "Save list as CSV…"},
                   {"btTrash", "Move to Trash"}};
    for (const auto &b : buttons) {
        const auto *button = w.window->findChild<QPushButton *>(QString::fromLatin1(b.name));
        QVERIFY2(button, b.name);
        QCOMPARE(button->text(), QString::fromUtf8(b.caption));
    }
    QVERIFY(w.window->findChild<QTableView *>(QStringLiteral("gridFiles")));
    QVERIFY(w.window->findChild<QLabel *>(QStringLiteral("lblFooter")));
    QVERIFY(w.window->findChild<QLabel *>(QStringLiteral("lblStatus")));
    QVERIFY(w.window->btStop->isHidden());
    QCOMPARE(w.window->gridFiles->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(w.window->gridFiles->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(w.window->gridFiles->isSortingEnabled());
}

void tst_FileListWindow::listAllIsOfferedOnlyWhenTheFigureCanBeListed()
{
    ListWindow without;
    QVERIFY(without.window->btListAll->isHidden());
    ListingDrive drive;
    ListWindow with(fourFiles(), kManyMore, kUs, drive.listTextFiles());
    QVERIFY(!with.window->btListAll->isHidden());
    QVERIFY(with.window->btListAll->isEnabled());
}

void tst_FileListWindow::footerSaysWhetherTheListHoldsEveryFileOfTheFigure_data()
{
    QTest::addColumn<int>("listed");
    QTest::addColumn<qint64>("files");
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("footer");
    QTest::newRow("the largest of more") << 4 << qint64(1204) << 6120388412.0 << ","
                                         << "4 largest of 1,204 files (6,120,388,412 bytes)";
    QTest::newRow("German separators") << 4 << qint64(1204) << 6120388412.0 << "."
                                       << "4 largest of 1.204 files (6.120.388.412 bytes)";
    QTest::newRow("every file") << 4 << qint64(4) << 11000.0 << ","
                                << "4 files (11,000 bytes)";
    QTest::newRow("one of one") << 1 << qint64(1) << 5000.0 << ","
                                << "1 file (5,000 bytes)";
    QTest::newRow("one of more") << 1 << qint64(7) << 5100.0 << ","
                                 << "The largest of 7 files (5,100 bytes)";
    QTest::newRow("bytes of a whole terabyte and more")
        << 4 << qint64(123456) << 1234567890123.0 << ","
        << "4 largest of 123,456 files (1,234,567,890,123 bytes)";
}

void tst_FileListWindow::footerSaysWhetherTheListHoldsEveryFileOfTheFigure()
{
    QFETCH(int, listed);
    QFETCH(qint64, files);
    QFETCH(double, bytes);
    QFETCH(QString, thousands);
    QFETCH(QString, footer);
    std::vector<KeptFile> kept = fourFiles();
    kept.resize(static_cast<std::size_t>(listed));
    ListWindow w(kept, FigureTotal{files, bytes}, LocaleSeparators{thousands.toStdString(), "#"});
    QCOMPARE(w.window->lblFooter->text(), footer);
}

void tst_FileListWindow::tableShowsTheFilesLargestFirstWithTheSizeHeadingMarked()
{
    std::vector<KeptFile> files = fourFiles();
    std::swap(files.front(), files.back());
    ListWindow w(files);
    QCOMPARE(names(w.window->model()),
             QStringList({"a.iso", QString::fromStdString(kOddName), "b.iso", "c.iso"}));
    const QHeaderView &header = *w.window->gridFiles->horizontalHeader();
    QVERIFY(header.isSortIndicatorShown());
    QCOMPARE(header.sortIndicatorSection(), int(FileListModel::kSize));
    QCOMPARE(header.sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(w.window->gridFiles->model()->data(w.window->model().index(1, 0)).toString(),
             QStringLiteral("two\u240Alines\uFFFD.iso"));
}

void tst_FileListWindow::clickingAHeadingSortsByItsColumn_data()
{
    QTest::addColumn<QList<int>>("headings");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Qt::SortOrder>("order");
    const QString odd = QString::fromStdString(kOddName);
    QTest::newRow("name: A first")
        << QList<int>{FileListModel::kName} << QStringList{"a.iso", "b.iso", "c.iso", odd}
        << Qt::AscendingOrder;
    QTest::newRow("name twice: Z first")
        << QList<int>{FileListModel::kName, FileListModel::kName}
        << QStringList{odd, "c.iso", "b.iso", "a.iso"} << Qt::DescendingOrder;
    QTest::newRow("size, sorted largest first: now smallest first")
        << QList<int>{FileListModel::kSize} << QStringList{"c.iso", "b.iso", odd, "a.iso"}
        << Qt::AscendingOrder;
    QTest::newRow("modified: latest first, unrecorded last")
        << QList<int>{FileListModel::kModified} << QStringList{odd, "a.iso", "b.iso", "c.iso"}
        << Qt::DescendingOrder;
    QTest::newRow("name, then size: largest first again")
        << QList<int>{FileListModel::kName, FileListModel::kSize}
        << QStringList{"a.iso", odd, "b.iso", "c.iso"} << Qt::DescendingOrder;
}

void tst_FileListWindow::clickingAHeadingSortsByItsColumn()
{
    QFETCH(QList<int>, headings);
    QFETCH(QStringList, names);
    QFETCH(Qt::SortOrder, order);
    ListWindow w;
    QVERIFY(w.show());
    for (const int section : headings)
        clickHeading(*w.window->gridFiles, section);
    QCOMPARE(::names(w.window->model()), names);
    QCOMPARE(w.window->gridFiles->horizontalHeader()->sortIndicatorSection(), headings.back());
    QCOMPARE(w.window->gridFiles->horizontalHeader()->sortIndicatorOrder(), order);
}

void tst_FileListWindow::commandsForTheSelectionWaitForASelection()
{
    ListWindow w;
    FileListWindow &window = *w.window;
    for (QPushButton *button :
         {window.btOpen, window.btShowInFolder, window.btCopy, window.btTrash})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(window.btSaveCsv->isEnabled());
    w.select({2});
    for (QPushButton *button :
         {window.btOpen, window.btShowInFolder, window.btCopy, window.btTrash})
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QTest::mouseClick(window.btOpen, Qt::LeftButton);
    QCOMPARE(w.actions.opened, (std::vector<std::vector<std::string>>{{"/data/other/b.iso"}}));
}

void tst_FileListWindow::copyPutsTheExactBytesOfThePathsAsTextAndAsUris()
{
    ListWindow w;
    markClipboard();
    w.select({1, 0});
    QTest::mouseClick(w.window->btCopy, Qt::LeftButton);
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    QCOMPARE(copied->data(QStringLiteral("text/plain;charset=utf-8")),
             QByteArray("/data/music/a.iso\n") + QByteArray::fromStdString(kOddPath));
    QCOMPARE(copied->data(QStringLiteral("text/uri-list")),
             QByteArray("file:///data/music/a.iso\r\n"
                        "file:///data/music/two%0Alines%FF.iso\r\n"));
    QCOMPARE(copied->data(QStringLiteral("x-special/gnome-copied-files")),
             QByteArray("copy\n"
                        "file:///data/music/a.iso\n"
                        "file:///data/music/two%0Alines%FF.iso"));
    QVERIFY(!copied->formats().contains(QStringLiteral("text/plain")));
    QCOMPARE(w.window->lblStatus->text(), QStringLiteral("The paths of 2 files copied."));
}

void tst_FileListWindow::copyOfUtf8PathsIsPlainTextToo()
{
    ListWindow w({keptFile("/home/ann/Música", "été.mp3", 10)});
    QVERIFY(w.show());
    markClipboard();
    w.select({0});
    w.window->gridFiles->setFocus();
    QTest::keyClick(w.window->gridFiles, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), QStringLiteral("/home/ann/Música/été.mp3"));
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/uri-list")),
             QByteArray("file:///home/ann/M%C3%BAsica/%C3%A9t%C3%A9.mp3\r\n"));
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
    QCOMPARE(chooser.asked, 1);
    QCOMPARE(chooser.suggestedName, QStringLiteral("File list.csv"));
    QCOMPARE(fileBytes(path), QByteArray("Name,Folder,Size,Modified,Accessed,Created,Attributes\r\n"
                                         "a.iso,/data/music,5000,2024-03-05T14:07:00+01:00,,,\r\n"
                                         "b.iso,/data/other,2000,2023-01-01T01:00:00+01:00,,,\r\n"
                                         "c.iso,/data/other,1000,,,,\r\n"
                                         "\"two\nlines\xff.iso\",/data/music,3000,"
                                         "2025-01-01T01:00:00+01:00,,,H\r\n"));
    QVERIFY(w.errors().empty());
}

void tst_FileListWindow::cancelledSaveWritesNothing()
{
    QTemporaryDir folder;
    const CsvChooserStub chooser{QString()};
    ListWindow w;
    QCOMPARE(w.window->btSaveCsvClick(), false);
    QCOMPARE(chooser.asked, 1);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList());
    QVERIFY(w.messages.shown().empty());
}

void tst_FileListWindow::declinedTrashMovesNothing()
{
    ListWindow w;
    QSignalSpy trashed(w.window.data(), &FileListWindow::filesTrashed);
    w.messages.queueAnswer(Answer::No);
    w.select({0, 2});
    QTest::mouseClick(w.window->btTrash, Qt::LeftButton);
    QCOMPARE(w.confirmations(),
             std::vector<std::string>{"Move 2 files (7,000 bytes) to the trash?"});
    QVERIFY(w.actions.trashed.empty());
    QCOMPARE(w.window->model().rowCount(), 4);
    QCOMPARE(trashed.count(), 0);
    QCOMPARE(w.window->lblFooter->text(),
             QStringLiteral("4 largest of 1,204 files (6,120,388,412 bytes)"));
}

void tst_FileListWindow::confirmedTrashMovesTheSelectedFilesOnly()
{
    ListWindow w;
    std::vector<KeptFile> moved;
    int emitted = 0;
    QObject::connect(w.window, &FileListWindow::filesTrashed,
                     [&](const std::vector<KeptFile> &files) {
                         moved = files;
                         ++emitted;
                     });
    w.select({2, 0});
    QTest::mouseClick(w.window->btTrash, Qt::LeftButton);
    QCOMPARE(w.confirmations(),
             std::vector<std::string>{"Move 2 files (7,000 bytes) to the trash?"});
    QCOMPARE(w.actions.trashed,
             (std::vector<std::string>{"/data/music/a.iso", "/data/other/b.iso"}));
    QCOMPARE(names(w.window->model()), QStringList({QString::fromStdString(kOddName), "c.iso"}));
    QCOMPARE(emitted, 1);
    QCOMPARE(names(moved), QStringList({"a.iso", "b.iso"}));
    QCOMPARE(moved[0].folder, std::string("/data/music"));
    QCOMPARE(moved[1].size(), std::int64_t(2000));
    QCOMPARE(w.window->total().files, std::int64_t(1202));
    QCOMPARE(w.window->lblFooter->text(),
             QStringLiteral("2 largest of 1,202 files (6,120,381,412 bytes)"));
    QCOMPARE(w.window->lblStatus->text(), QStringLiteral("2 files moved to the trash."));
    QVERIFY(w.errors().empty());
}

void tst_FileListWindow::aFileThatWillNotGoIsNamedInOneErrorWhileTheOthersGo()
{
    ListWindow w;
    w.actions.refuse(kOddPath, "permission denied");
    std::vector<KeptFile> moved;
    QObject::connect(w.window, &FileListWindow::filesTrashed,
                     [&moved](const std::vector<KeptFile> &files) { moved = files; });
    w.select({0, 1, 3});
    QTest::mouseClick(w.window->btTrash, Qt::LeftButton);
    QCOMPARE(w.confirmations(),
             std::vector<std::string>{"Move 3 files (9,000 bytes) to the trash?"});
    QCOMPARE(w.actions.trashed,
             (std::vector<std::string>{"/data/music/a.iso", kOddPath, "/data/other/c.iso"}));
    QCOMPARE(names(moved), QStringList({"a.iso", "c.iso"}));
    QCOMPARE(names(w.window->model()), QStringList({QString::fromStdString(kOddName), "b.iso"}));
    QCOMPARE(w.errors(),
             std::vector<std::string>{"This file could not be moved to the trash:\n"
                                      "/data/music/two\u240Alines\uFFFD.iso: permission denied"});
    QCOMPARE(w.window->lblStatus->text(),
             QStringLiteral("2 files moved to the trash; 1 could not be moved."));
    QCOMPARE(w.window->lblFooter->text(),
             QStringLiteral("2 largest of 1,202 files (6,120,382,412 bytes)"));
}

void tst_FileListWindow::deleteKeyAsksToMoveTheSelectedFileToTheTrash()
{
    ListWindow w;
    QVERIFY(w.show());
    w.select({3});
    w.window->gridFiles->setFocus();
    QTest::keyClick(w.window->gridFiles, Qt::Key_Delete);
    QCOMPARE(w.confirmations(),
             std::vector<std::string>{"Move \"c.iso\" (1,000 bytes) to the trash?"});
    QCOMPARE(w.actions.trashed, std::vector<std::string>{"/data/other/c.iso"});
    QCOMPARE(w.window->lblStatus->text(), QStringLiteral("1 file moved to the trash."));
}

void tst_FileListWindow::openingTheSelectionGoesToTheDesktopWithTheExactPaths_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("keypad Enter") << "keypad Enter";
    QTest::newRow("Open button") << "button";
    QTest::newRow("menu") << "menu";
}

void tst_FileListWindow::openingTheSelectionGoesToTheDesktopWithTheExactPaths()
{
    QFETCH(QString, how);
    ListWindow w;
    QVERIFY(w.show());
    w.select({3, 1});
    w.window->gridFiles->setFocus();
    if (how == QLatin1String("Enter"))
        QTest::keyClick(w.window->gridFiles, Qt::Key_Return);
    else if (how == QLatin1String("keypad Enter"))
        QTest::keyClick(w.window->gridFiles, Qt::Key_Enter, Qt::KeypadModifier);
    else if (how == QLatin1String("button"))
        QTest::mouseClick(w.window->btOpen, Qt::LeftButton);
    else
        w.window->actOpen->trigger();
    QCOMPARE(w.actions.opened,
             (std::vector<std::vector<std::string>>{{kOddPath, "/data/other/c.iso"}}));
    QVERIFY(w.messages.shown().empty());
}

void tst_FileListWindow::doubleClickOpensTheFileClicked()
{
    ListWindow w;
    QVERIFY(w.show());
    w.select({0, 3});
    const QRect row = w.window->gridFiles->visualRect(w.window->model().index(2, 1));
    // As the mouse sends it: a click, then the second press that makes it double.
    QTest::mouseClick(w.window->gridFiles->viewport(), Qt::LeftButton, Qt::NoModifier,
                      row.center());
    QTest::mouseDClick(w.window->gridFiles->viewport(), Qt::LeftButton, Qt::NoModifier,
                       row.center());
    QCOMPARE(w.actions.opened, (std::vector<std::vector<std::string>>{{"/data/other/b.iso"}}));
}

void tst_FileListWindow::enterOnAFocusedButtonPressesItAndOpensNothing()
{
    ListWindow w;
    QVERIFY(w.show());
    w.select({2});
    w.window->btShowInFolder->setFocus();
    QTest::keyClick(w.window->btShowInFolder, Qt::Key_Return);
    QCOMPARE(w.actions.shown, (std::vector<std::vector<std::string>>{{"/data/other/b.iso"}}));
    QVERIFY(w.actions.opened.empty());
}

void tst_FileListWindow::openingManyFilesAsksFirst()
{
    std::vector<KeptFile> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(keptFile("/d", "f" + std::to_string(i), 100 - i));
    ListWindow w(files);
    w.window->gridFiles->selectAll();
    w.messages.queueAnswer(Answer::No);
    w.window->btOpenClick();
    QCOMPARE(w.confirmations(), std::vector<std::string>{"Open 12 files at once?"});
    QVERIFY(w.actions.opened.empty());
    w.window->btOpenClick(); // Yes
    QCOMPARE(w.actions.opened.size(), std::size_t(1));
    QCOMPARE(w.actions.opened[0].size(), std::size_t(12));
    QCOMPARE(w.actions.opened[0][11], std::string("/d/f11"));
}

void tst_FileListWindow::showInFolderGoesToTheDesktopWithTheSelectedPaths()
{
    ListWindow w;
    w.select({1, 2});
    QTest::mouseClick(w.window->btShowInFolder, Qt::LeftButton);
    QCOMPARE(w.actions.shown,
             (std::vector<std::vector<std::string>>{{kOddPath, "/data/other/b.iso"}}));
    QVERIFY(w.actions.opened.empty());
}

void tst_FileListWindow::rightClickMenuOffersTheCommands()
{
    ListWindow w;
    QCOMPARE(captions(*w.window->mnuFiles),
             QStringList({"Open", "Show in folder", "-", "Copy", "Save list as CSV…", "-",
                          "Move to Trash"}));
    QCOMPARE(w.window->gridFiles->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(w.window->actCopy->shortcut(), QKeySequence(QKeySequence::Copy));
    QCOMPARE(w.window->actTrash->shortcut(), QKeySequence(QKeySequence::Delete));
    QCOMPARE(w.window->actOpen->shortcut(), QKeySequence(Qt::Key_Return));
}

void tst_FileListWindow::menuKeysOpenTheMenuAtTheCurrentRow_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
}

void tst_FileListWindow::menuKeysOpenTheMenuAtTheCurrentRow()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    ListWindow w;
    QVERIFY(w.show());
    w.select({2});
    w.window->gridFiles->setFocus();
    QTest::keyClick(w.window->gridFiles, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(w.window->mnuFiles->isVisible());
    const QRect row = w.window->gridFiles->visualRect(w.window->model().index(2, 0));
    const QPoint below = w.window->gridFiles->viewport()->mapToGlobal(row.bottomLeft());
    QCOMPARE(w.window->mnuFiles->pos().y(), below.y());
    w.window->mnuFiles->hide();
}

void tst_FileListWindow::escapeClosesTheWindowWhenNothingIsListed()
{
    ListWindow w;
    QVERIFY(w.show());
    QTest::keyClick(w.window->gridFiles, Qt::Key_Escape);
    QTRY_VERIFY(w.window.isNull());
}

void tst_FileListWindow::bringingToFrontShowsTheWindowAgainAndActivatesIt()
{
    ListWindow w;
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!w.window->isVisible());
    w.window->bringToFront();
    QVERIFY(w.window->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(w.window));
    QCOMPARE(QApplication::activeWindow(), w.window.data());
}

void tst_FileListWindow::filesTrashedElsewhereLeaveTheListAndTheFooter()
{
    ListWindow w;
    w.window->forgetFiles(
        {keptFile("/data/other", "b.iso", 2000), keptFile("/elsewhere", "b.iso", 2000)});
    QCOMPARE(names(w.window->model()),
             QStringList({"a.iso", QString::fromStdString(kOddName), "c.iso"}));
    QCOMPARE(w.window->lblFooter->text(),
             QStringLiteral("3 largest of 1,203 files (6,120,386,412 bytes)"));
    w.window->setTotal({3, 9000});
    QCOMPARE(w.window->lblFooter->text(), QStringLiteral("3 files (9,000 bytes)"));
}

void tst_FileListWindow::listAllShowsEveryFileOfTheFigureAsTheDiskHoldsItNow()
{
    ListingDrive drive;
    // The scan kept the largest of the three; a fourth was written since.
    ListWindow w({keptFile(drive.tree.path().toStdString() + "/docs", "note300.txt", 300)},
                 FigureTotal{3, 600}, kUs, drive.listTextFiles());
    drive.write(QStringLiteral("docs/later.txt"), 400);
    QCOMPARE(w.window->lblFooter->text(), QStringLiteral("The largest of 3 files (600 bytes)"));
    QSignalSpy finished(w.window.data(), &FileListWindow::listingFinished);

    QTest::mouseClick(w.window->btListAll, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(!w.window->listingRunning());
    QCOMPARE(names(w.window->model()),
             QStringList({"later.txt", "note300.txt", "note200.txt", "note100.txt"}));
    QCOMPARE(w.window->model().file(0).folder, drive.tree.path().toStdString() + "/docs");
    QCOMPARE(w.window->lblFooter->text(), QStringLiteral("4 files (1,000 bytes)"));
    QCOMPARE(w.window->lblStatus->text(),
             QStringLiteral("All files of the figure as the disk holds them now; the figures are "
                            "those of the scan."));
    QVERIFY(w.window->btStop->isHidden());
    QVERIFY(!w.window->btListAll->isHidden());
    QCOMPARE(w.window->gridFiles->horizontalHeader()->sortIndicatorSection(),
             int(FileListModel::kSize));
}

void tst_FileListWindow::escapeStopsAListingAndTheListSaysItIsIncomplete()
{
    ListingDrive drive;
    Gate gate;
    const ReleaseOnExit release{gate};
    auto reader = std::make_unique<GatedReader>(makeDirectoryReader(), gate);
    drive.recipe.reader = reader.get();
    ListWindow w(fourFiles(), kManyMore, kUs, drive.listTextFiles(&gate));
    QVERIFY(w.show());
    QSignalSpy finished(w.window.data(), &FileListWindow::listingFinished);

    QTest::mouseClick(w.window->btListAll, Qt::LeftButton);
    QTRY_VERIFY(gate.entered());
    QVERIFY(w.window->listingRunning());
    QVERIFY(!w.window->btStop->isHidden());
    QVERIFY(w.window->btListAll->isHidden());
    QVERIFY(!w.window->btTrash->isEnabled()); // the list is about to be replaced
    const QRegularExpression progress(QStringLiteral(
        "^Listing files \\.\\.\\. standby\\.  \\d+ files? looked at\\.  Press Esc or click "
        "Stop to stop\\.$"));
    QTRY_VERIFY2(progress.match(w.window->lblStatus->text()).hasMatch(),
                 qPrintable(w.window->lblStatus->text()));

    QTest::keyClick(w.window->gridFiles, Qt::Key_Escape);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(gate.stopSeen());
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(!w.window.isNull()); // Esc stopped the listing, not the window
    QVERIFY(w.window->btStop->isHidden());
    QVERIFY(!w.window->btListAll->isHidden());
    const int found = w.window->model().rowCount();
    QVERIFY(found <= 1);
    QCOMPARE(w.window->lblFooter->text(),
             found == 1 ? QStringLiteral("1 file (%1 bytes)").arg(w.window->model().file(0).size())
                        : QStringLiteral("0 files (0 bytes)"));
    QCOMPARE(w.window->lblStatus->text(),
             QStringLiteral("Listing stopped: the list holds the %1 found before it stopped, not "
                            "every file of the figure.")
                 .arg(found == 1 ? QStringLiteral("1 file") : QStringLiteral("0 files")));
}

void tst_FileListWindow::aDriveThatCannotBeWalkedLeavesTheListIncomplete()
{
    ListingDrive drive;
    drive.recipe.drives = {"f: [tree]", "g: [gone]"};
    ListWindow w(fourFiles(), kManyMore, kUs, drive.listTextFiles());
    QSignalSpy finished(w.window.data(), &FileListWindow::listingFinished);
    w.window->btListAllClick();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(names(w.window->model()), QStringList({"note300.txt", "note200.txt", "note100.txt"}));
    QCOMPARE(w.window->lblFooter->text(), QStringLiteral("3 files (600 bytes)"));
    QCOMPARE(w.window->lblStatus->text(),
             QStringLiteral("Not every drive could be walked: the list holds the 3 files found, "
                            "not every file of the figure."));
}

void tst_FileListWindow::closingDuringAListingStopsItAndWaitsForItsThread()
{
    ListingDrive drive;
    Gate gate;
    const ReleaseOnExit release{gate};
    auto reader = std::make_unique<GatedReader>(makeDirectoryReader(), gate);
    drive.recipe.reader = reader.get();
    ListWindow w(fourFiles(), kManyMore, kUs, drive.listTextFiles(&gate));
    QVERIFY(w.show());
    QTest::mouseClick(w.window->btListAll, Qt::LeftButton);
    QTRY_VERIFY(gate.entered());

    QVERIFY(w.window->close());
    QVERIFY(gate.stopSeen()); // the window waited for the walk, which saw the stop
    QTRY_VERIFY(w.window.isNull());
}

QTEST_MAIN(tst_FileListWindow)
#include "tst_FileListWindow.moc"
