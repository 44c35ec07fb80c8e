#include "chart/ChartModel.h"
#include "dialogs/WhichDrive.h"
#include "engine/report/Report.h"
#include "engine/report/ReportFile.h"
#include "engine/Walk.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "platform/FolderVolumes.h"
#include "shell/Main.h"
#include "shell/Startup.h"
#include "support/Utility.h"
#include "views/Services.h"
#include "views/SpacePage.h"
#include "views/Statistics.h"
#include "widgets/PickList.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vorin;

namespace {

constexpr double kGb = 1024.0 * 1024 * 1024;

Volume fixedVolume(char letter, const QString &root, const std::string &label)
{
    Volume v;
    v.letter = letter;
    v.type = kDriveFixed;
    v.root = root.toStdString();
    v.label = label;
    v.fileSystem = "ext4";
    return v;
}

// Two drives over small trees; nothing is ever shown in a box.
struct Machine
{
    Machine()
    {
        for (const QTemporaryDir *root : {&c, &d}) {
            QDir dir(root->path());
            dir.mkpath(QStringLiteral("sub dir"));
            for (int i = 0; i < 5; ++i) {
                QFile file(dir.filePath(QStringLiteral("sub dir/file %1.txt").arg(i)));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(QByteArray(100 + i, 'x'));
            }
        }
        volumes.add(fixedVolume('c', c.path(), "sys"), {10 * kGb, 40 * kGb}, 4096);
        volumes.add(fixedVolume('d', d.path(), "data"), {5 * kGb, 20 * kGb}, 4096);
        volumes.setCurrentDrive('c');
    }

    QTemporaryDir c, d;
    FakeVolumes volumes;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    RecordingMessages messages;
    Services services{volumes, settings, registry, LocaleSeparators{}, 1};
};

void writeFile(const QString &path, int size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
}

// A machine whose c: holds a user's folders, started as `vorin99 FOLDER...`:
// the drives are the machine's with the folders added after them, as program
// entry makes them.
struct FolderStart
{
    FolderStart()
    {
        QDir dir(c.path());
        for (const char *folder : {"home/ann/Music/Live", "home/ann/Photos", "home/ann/beside"})
            dir.mkpath(QString::fromLatin1(folder));
        writeFile(dir.filePath(QStringLiteral("home/ann/Music/a.mp3")), 3000);
        writeFile(dir.filePath(QStringLiteral("home/ann/Music/Live/b.mp3")), 5000);
        writeFile(dir.filePath(QStringLiteral("home/ann/Music/Live/notes.txt")), 7);
        writeFile(dir.filePath(QStringLiteral("home/ann/Photos/p.jpg")), 40000);
        // Beside the folder and above it: never counted in a scan of it.
        writeFile(dir.filePath(QStringLiteral("home/ann/beside/c.mp3")), 11);
        writeFile(dir.filePath(QStringLiteral("home/ann/d.mp3")), 13);
        writeFile(dir.filePath(QStringLiteral("top.txt")), 17);
        machine->add(fixedVolume('c', c.path(), "sys"), {10 * kGb, 40 * kGb}, 4096);
        machine->add(fixedVolume('d', d.path(), "data"), {5 * kGb, 20 * kGb}, 4096);
        machine->setCurrentDrive('c');
        services.walkThreads = 1;
    }

    QString folder(const char *relative) const
    {
        return QDir(c.path()).filePath(QString::fromLatin1(relative));
    }
    // What program entry does with its arguments.
    void start(const QStringList &arguments)
    {
        std::vector<std::string> paths;
        for (const QString &argument : arguments)
            paths.push_back(QFile::encodeName(argument).toStdString());
        named = volumes->addFolders(paths);
        services.namedDrives = folderDriveLetters(named);
    }

    QTemporaryDir c, d;
    std::shared_ptr<FakeVolumes> machine = std::make_shared<FakeVolumes>();
    std::shared_ptr<FolderVolumes> volumes = std::make_shared<FolderVolumes>(machine);
    std::vector<FolderOutcome> named;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    RecordingMessages messages;
    Services services{*volumes, settings, registry, LocaleSeparators{}, 1};
};

QString realPath(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

// Holds the walk at its first file until the window asks it to stop, so
// that the main window is certainly closed while a scan runs.
class HoldUntilAbort final : public WalkObserver
{
public:
    void fileCounted(std::string_view, const DirectoryEntry &) override
    {
        std::unique_lock lock(m_mutex);
        m_entered = true;
        m_cv.notify_all();
        while (!(window && window->abortRequested()) && !m_released)
            m_cv.wait_for(lock, std::chrono::milliseconds(2));
    }
    // Blocks until the walk has reached its first file (or a minute passed).
    bool waitEntered()
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::minutes(1), [this] { return m_entered; });
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
    }

    const TfrmStatistics *window = nullptr;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_entered = false;
    bool m_released = false;
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void statisticsWindowIsBuiltAfterTheMainWindowAndBelongsToIt()
    {
        Machine machine;
        const MainWindows windows = createMainWindows(machine.services);
        QVERIFY(windows.main);
        QVERIFY(windows.statistics);
        QCOMPARE(windows.statistics->parentWidget(), windows.main.get());
        QCOMPARE(windows.main->statistics().window, windows.statistics);
        QCOMPARE(windows.main->statistics().driveList, windows.statistics->pckStatDrive);
        QVERIFY(!windows.statistics->isVisible());
        QCOMPARE(windows.main->windowTitle(), QStringLiteral("Vorin 99"));
    }

    void mainChartShowsTheStatisticsWindowsDrives()
    {
        Machine machine;
        const MainWindows windows = createMainWindows(machine.services);
        QCOMPARE(windows.statistics->pckStatDrive->count(), 2);
        windows.main->doDiskSize();
        QStringList labels;
        for (const auto &point : windows.main->Series4().points())
            labels << point.label;
        QCOMPARE(labels,
                 (QStringList{QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("Total")}));
    }

    void collectButtonShowsTheStatisticsWindowWithoutBlocking()
    {
        Machine machine;
        const MainWindows windows = createMainWindows(machine.services);
        windows.main->btStatistic->click();
        QVERIFY(windows.statistics->isVisible());
        QVERIFY(!windows.statistics->isModal());
        windows.main->btStatistic->click();
        QVERIFY(windows.statistics->isVisible());
    }

    void closingTheMainWindowDuringAScanStopsItAndEndsCleanly()
    {
        Machine machine;
        HoldUntilAbort hold;
        MainWindows windows = createMainWindows(machine.services);
        TfrmStatistics *statistics = windows.statistics;
        hold.window = statistics;
        statistics->walkObserver = &hold;
        statistics->runWizard = [] {
            WizardResult result;
            result.drives = {"c: [sys]", "d: [data]"};
            return std::optional<WizardResult>(result);
        };
        windows.main->show();
        windows.main->btStatistic->click();
        statistics->btOK->click();
        const bool entered = hold.waitEntered();
        if (!entered)
            hold.release();
        QVERIFY(entered);
        QVERIFY(statistics->scanRunning());

        QVERIFY(windows.main->close());
        QVERIFY(!statistics->scanRunning());
        QVERIFY(!statistics->isVisible());
        QVERIFY(!windows.main->isVisible());
        windows.main.reset();
        QCoreApplication::processEvents();
    }

    void closingTheMainWindowEndsTheEventLoopEvenWithTheStatisticsWindowOpen()
    {
        Machine machine;
        HoldUntilAbort hold;
        MainWindows windows = createMainWindows(machine.services);
        TfrmStatistics *statistics = windows.statistics;
        hold.window = statistics;
        statistics->walkObserver = &hold;
        statistics->runWizard = [] {
            WizardResult result;
            result.drives = {"c: [sys]"};
            return std::optional<WizardResult>(result);
        };
        windows.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(windows.main.get()));
        windows.main->btStatistic->click();
        QVERIFY(QTest::qWaitForWindowExposed(statistics));
        bool scanning = false;
        QTimer::singleShot(0, windows.main.get(), [&] {
            statistics->btOK->click();
            if (hold.waitEntered())
                scanning = statistics->scanRunning();
            windows.main->btClose->click();
        });
        // Only a loop that never ends trips this; it is no time limit on the test.
        QTimer::singleShot(std::chrono::minutes(2), qApp, [] { QCoreApplication::exit(2); });
        const int result = QCoreApplication::exec();
        hold.release();
        QCOMPARE(result, 0);
        QVERIFY(scanning);
        QVERIFY(!statistics->scanRunning());
        windows.main.reset();
    }

    void startedWithTwoFoldersListsThemAsTheNextDrivesAndSelectsThemInTheWizard()
    {
        FolderStart start;
        start.start({start.folder("home/ann/Music"), start.folder("home/ann/Photos")});
        const MainWindows windows = createMainWindows(start.services);
        showMainWindow(windows, start.named);
        QVERIFY(windows.main->isVisible());

        const QString music =
            QStringLiteral("e: [%1]").arg(realPath(start.folder("home/ann/Music")));
        const QString photos =
            QStringLiteral("f: [%1]").arg(realPath(start.folder("home/ann/Photos")));
        QCOMPARE(
            windows.statistics->pckStatDrive->items(),
            (QStringList{QStringLiteral("c: [sys]"), QStringLiteral("d: [data]"), music, photos}));

        // The main window's chart: a bar pair for each, with the space of the
        // drive that holds them.
        windows.main->doDiskSize();
        QStringList labels;
        QList<double> free;
        for (const auto &point : windows.main->Series4().points()) {
            labels << point.label;
            free << point.value;
        }
        QCOMPARE(labels, (QStringList{QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e"),
                                      QStringLiteral("f"), QStringLiteral("Total")}));
        QCOMPARE(free.mid(0, 4), (QList<double>{10240, 5120, 10240, 10240}));

        // The Space page likewise.
        SpacePage &space = *windows.statistics->spacePage;
        space.pckStatDrive->setAllSelected(false);
        space.pckStatDrive->setSelected(2, true);
        space.doDiskSize();
        QCOMPARE(space.measuredDrives(), 1);
        QCOMPARE(space.Series4().points().size(), 1);
        QCOMPARE(space.Series4().points().front().label, QStringLiteral("e"));
        QCOMPARE(space.Series4().points().front().value, 10240.0);

        // The wizard opens with the two folders chosen, not the current drive.
        QStringList rows;
        QList<bool> chosen;
        bool seen = false;
        QTimer::singleShot(0, windows.statistics, [&] {
            auto *wizard = qobject_cast<TfrmWhichDrive *>(QApplication::activeModalWidget());
            if (!wizard)
                return;
            seen = true;
            rows = wizard->pckDrive->items();
            for (int i = 0; i < wizard->pckDrive->count(); ++i)
                chosen << wizard->pckDrive->selected(i);
            wizard->reject();
        });
        windows.statistics->show();
        windows.statistics->btOK->click();
        QVERIFY(seen);
        QCOMPARE(rows, windows.statistics->pckStatDrive->items());
        QCOMPARE(chosen, (QList<bool>{false, false, true, true}));
        QVERIFY(start.messages.shown().empty());
    }

    void aMissingFolderIsToldAndTheProgramStillStarts()
    {
        FolderStart start;
        const QString missing = start.folder("home/ann/Musik");
        start.start({missing, start.folder("home/ann/Photos")});
        const MainWindows windows = createMainWindows(start.services);
        showMainWindow(windows, start.named);

        QVERIFY(windows.main->isVisible());
        QTRY_COMPARE(start.messages.shown().size(), std::size_t(1));
        const RecordingMessages::Shown &box = start.messages.shown().front();
        QCOMPARE(box.kind, RecordingMessages::Shown::Error);
        QCOMPARE(QString::fromStdString(box.text),
                 QStringLiteral("The folder \"%1\" does not exist; it is left out.").arg(missing));
        // The folder that is there comes right after the machine's drives.
        QCOMPARE(windows.statistics->pckStatDrive->items(),
                 (QStringList{
                     QStringLiteral("c: [sys]"), QStringLiteral("d: [data]"),
                     QStringLiteral("e: [%1]").arg(realPath(start.folder("home/ann/Photos")))}));
        QCOMPARE(start.services.namedDrives, std::vector<char>{'e'});
    }

    void reportIsTakenFromTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("report"); // "-": none; "?": asked for without its file
        QTest::newRow("folders only") << QStringList{"a", "b"} << QStringList{"a", "b"} << "-";
        QTest::newRow("between folders")
            << QStringList{"a", "--report", "r.json", "b"} << QStringList{"a", "b"} << "r.json";
        QTest::newRow("with =") << QStringList{"--report=my r.json"} << QStringList{}
                                << "my r.json";
        QTest::newRow("without its file")
            << QStringList{"a", "--report"} << QStringList{"a"} << "?";
    }
    void reportIsTakenFromTheCommandLine()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, folders);
        QFETCH(QString, report);
        std::vector<std::string> given;
        for (const QString &word : words)
            given.push_back(word.toStdString());
        const StartArguments arguments = parseStartArguments(given);
        QStringList taken;
        for (const std::string &folder : arguments.folders)
            taken << QString::fromStdString(folder);
        QCOMPARE(taken, folders);
        QCOMPARE(arguments.reportMissing, report == "?");
        QCOMPARE(arguments.report.has_value(), report != "-" && report != "?");
        if (arguments.report)
            QCOMPARE(QString::fromStdString(*arguments.report), report);
    }

    // vorin99 --report far.json: the statistics window comes up over the
    // main window with the report's figures and drives.
    void aReportOnTheCommandLineOpensInTheStatisticsWindow()
    {
        FolderStart start;
        start.start({});
        QTemporaryDir place;
        const QString path = place.filePath(QStringLiteral("far.json"));
        {
            Statistics figures;
            figures.filesProcessed = figures.filesSelected = 3;
            std::ofstream out(path.toStdString());
            writeReportJson(out, figures, 4096, {1}, {{"z: [/far/away]", 100, 40}}, {}, 0, 0, true,
                            start.registry);
        }
        const MainWindows windows = createMainWindows(start.services);
        showMainWindow(windows, start.named);
        openReportAtStart(windows, parseStartArguments({"--report", path.toStdString()}));
        QTRY_VERIFY(windows.statistics->isVisible());
        QCOMPARE(windows.statistics->windowTitle(), QStringLiteral("Statistics from far.json"));
        QCOMPARE(windows.statistics->pckStatDrive->items(), QStringList{"z: [/far/away]"});
        QCOMPARE(windows.statistics->statistics().filesProcessed, 3);
        QVERIFY(start.messages.shown().empty());
    }

    void startedWithoutFoldersNothingIsToldAndNoDriveIsAdded()
    {
        FolderStart start;
        start.start({});
        const MainWindows windows = createMainWindows(start.services);
        showMainWindow(windows, start.named);
        QCoreApplication::processEvents();
        QVERIFY(start.messages.shown().empty());
        QCOMPARE(windows.statistics->pckStatDrive->count(), 2);
        QVERIFY(start.services.namedDrives.empty());
    }

    void aScanOfAFolderDriveCountsOnlyBelowTheFolder()
    {
        FolderStart start;
        start.start({start.folder("home/ann/Music")});
        const MainWindows windows = createMainWindows(start.services);
        TfrmStatistics &statistics = *windows.statistics;
        const QString entry = statistics.pckStatDrive->items().at(2);
        QVERIFY(entry.startsWith(QStringLiteral("e: [")));
        statistics.runWizard = [entry] {
            WizardResult result;
            result.drives = {entry.toStdString()};
            result.allFiles = true;
            return std::optional<WizardResult>(result);
        };
        QSignalSpy finished(&statistics, &TfrmStatistics::runFinished);
        statistics.btOK->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);

        // a.mp3, Live/b.mp3 and Live/notes.txt; nothing beside or above.
        const Statistics &counted = statistics.statistics();
        QCOMPARE(counted.filesProcessed, std::int64_t(3));
        QCOMPARE(counted.lbTypes.size(), std::size_t(2));
        QCOMPARE(counted.lbTypes[0].key, std::string(".MP3"));
        QCOMPARE(counted.lbTypes[0].files, std::int64_t(2));
        QCOMPARE(counted.lbTypes[0].bytes, std::int64_t(8000));
        QCOMPARE(counted.lbTypes[1].key, std::string(".TXT"));
        QCOMPARE(counted.lbTypes[1].bytes, std::int64_t(7));
        // The one-drive run measured the folder's drive with its holder's clusters.
        QCOMPARE(statistics.clusterSize(), 4096);
        for (const RecordingMessages::Shown &box : start.messages.shown())
            QVERIFY2(box.kind != RecordingMessages::Shown::Error, box.text.c_str());
    }

    void endingWhileAScanRunsStopsItBeforeTheWindowsGo()
    {
        Machine machine;
        HoldUntilAbort hold;
        MainWindows windows = createMainWindows(machine.services);
        hold.window = windows.statistics;
        windows.statistics->walkObserver = &hold;
        windows.statistics->runWizard = [] {
            WizardResult result;
            result.drives = {"c: [sys]"};
            return std::optional<WizardResult>(result);
        };
        windows.statistics->btOK->click();
        const bool entered = hold.waitEntered();
        if (!entered)
            hold.release();
        QVERIFY(entered);
        windows.main.reset(); // stops and joins the walk before anything is freed
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(TestStartup)
#include "tst_Startup.moc"
