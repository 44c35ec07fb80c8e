#include "chart/ChartModel.h"
#include "engine/Walk.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "shell/Main.h"
#include "shell/Startup.h"
#include "support/Utility.h"
#include "views/Services.h"
#include "views/Statistics.h"
#include "widgets/PickList.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <QDir>
#include <QFile>
#include <QPushButton>
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
