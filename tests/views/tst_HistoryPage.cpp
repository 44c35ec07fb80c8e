// The "History" tab over a real history of made-up scans: the drive list,
// the table and the chart of the five largest types, forgetting, and the
// switch that keeps scans or not.

#include "ScanFixture.h"

#include "chart/Chart.h"
#include "platform/History.h"
#include "selection/StatFiles.h"
#include "views/HistoryPage.h"
#include "widgets/MenuButton.h"
#include "widgets/Notebook.h"
#include "widgets/StringGrid.h"
#include "widgets/TiledPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

namespace vorin::testing {

namespace {

constexpr int kHistoryTab = 10;
constexpr double kMB = 1048576.0;

KeptScan scanAt(const std::string &place, const std::string &identity, std::int64_t takenAt,
                std::int64_t files)
{
    KeptScan scan;
    scan.takenAt = takenAt;
    scan.drive = "f: [" + place + "]";
    scan.place = place;
    scan.identity = identity;
    scan.capacity = 100 * kMB;
    scan.freeSpace = 100 * kMB - double(files) * kMB;
    scan.files = files;
    return scan;
}

// Six types, so that one is left out of the five largest; .ISO grows scan by scan.
std::vector<HistoryFigure> typesOf(int scan)
{
    std::vector<HistoryFigure> figures;
    const std::pair<const char *, double> types[] = {{".ISO", 10.0 * (scan + 1)},
                                                     {".TXT", 5}, {".DOC", 4}, {".MP3", 3},
                                                     {".JPG", 2}, {".LOG", 1}};
    for (const auto &[key, mb] : types)
        figures.push_back({"types", key, scan + 1, mb * kMB});
    return figures;
}

} // namespace

class TestHistoryPage : public QObject
{
    Q_OBJECT

private slots:
    void showsEachKeptDriveOverItsScansAndForgetsIt()
    {
        const TempHistory kept;
        ScanHistory *const history = kept.history.get();
        for (int i = 0; i < 3; ++i)
            history->keep(scanAt("/x", "fsid:1", 1000000 + i * 86400, 10 + i), typesOf(i));
        // Another disk mounted at /x before, and a drive scanned last.
        history->keep(scanAt("/x", "fsid:0", 900000, 5), typesOf(0));
        history->keep(scanAt("/y", "fsid:2", 2000000, 1), typesOf(0));
        ViewsEnvironment env;
        env.services.history = history;
        TfrmStatistics w(env.services);
        HistoryPage &page = *w.historyPage;
        w.show();
        QVERIFY(w.OvcNotebook1->setPageIndex(kHistoryTab));
        QVERIFY(!w.pnlNotYet->isVisible());

        QComboBox &drives = *page.cbHistoryDrive;
        QCOMPARE(drives.count(), 3);
        QCOMPARE(drives.itemText(0), QStringLiteral("f: [/y]"));
        QCOMPARE(drives.itemText(1), QStringLiteral("f: [/x]"));
        QVERIFY(drives.itemText(2).startsWith(QStringLiteral("f: [/x] until ")));
        drives.setCurrentIndex(1);
        emit drives.activated(1);

        page.rgHistory[0]->setChecked(true);
        const StringGrid &grid = *page.gridHistory;
        QVERIFY(grid.isVisible());
        QCOMPARE(grid.rowCount(), 4);
        QStringList headings;
        for (int column = 0; column < grid.colCount(); ++column)
            headings << grid.cell(column, 0);
        QCOMPARE(headings, (QStringList{"Scan", "Used space", "Files", ".ISO", ".TXT", ".DOC",
                                        ".MP3", ".JPG"}));
        QCOMPARE(grid.cell(2, 3), QStringLiteral("12"));
        QCOMPARE(grid.cell(1, 3), QStringLiteral("12,582,912"));
        QCOMPARE(grid.cell(3, 1), QStringLiteral("10,485,760"));
        QCOMPARE(grid.cell(3, 3), QStringLiteral("31,457,280"));

        page.rgHistory[1]->setChecked(true);
        const chart::ChartModel &model = page.chartHistory->model();
        QVERIFY(page.chartHistory->isVisible());
        QCOMPARE(model.seriesCount(), 6);
        QCOMPARE(model.series(0).title(), QStringLiteral("Used space"));
        QCOMPARE(model.series(0).points().size(), std::size_t(3));
        QCOMPARE(model.series(0).points()[2].value, 12.0);
        QCOMPARE(model.series(1).title(), QStringLiteral(".ISO"));
        QCOMPARE(model.series(1).points()[2].value, 30.0);
        QCOMPARE(model.series(1).unit(), QStringLiteral("MB"));
        page.rgHistory[2]->setChecked(true);
        QCOMPARE(model.series(0).title(), QStringLiteral("Files"));
        QCOMPARE(model.series(1).points()[2].value, 3.0);
        QCOMPARE(model.series(1).unit(), QStringLiteral("files"));
        QCOMPARE(page.gridHistory->accessibleName(), QStringLiteral("History"));

        // Forgetting asks first; No keeps everything.
        env.messages.queueAnswer(Answer::No);
        page.forgetClick(false);
        QCOMPARE(history->scans().size(), std::size_t(5));
        page.forgetClick(false);
        QCOMPARE(env.messages.shown().back().text, "Forget the 4 kept scans of f: [/x]?");
        QCOMPARE(history->scans().size(), std::size_t(1));
        QCOMPARE(drives.count(), 1);
        page.forgetClick(true);
        QCOMPARE(env.messages.shown().back().text, "Forget all 1 kept scan of every drive?");
        QVERIFY(history->scans().empty());
        QVERIFY(page.lblNoHistory->isVisible());
        QCOMPARE(page.lblNoHistory->text(), QStringLiteral("No scans are kept yet."));
        QVERIFY(!page.btForget->isEnabled());
    }

    // Switched off, a scan keeps nothing; the switch is stored with the
    // other settings, and a settings file that cannot be written is told.
    void theSwitchDecidesWhetherScansAreKept()
    {
        const TempHistory kept;
        ScanHistory *const history = kept.history.get();
        ViewsEnvironment env;
        env.services.history = history;
        TfrmStatistics w(env.services);
        QCheckBox &keep = *w.historyPage->cbKeepHistory;
        QVERIFY(keep.isChecked());
        keep.click();
        QVERIFY(!ReadKeepHistory(env.settings));
        runAndWait(w, allFilesOf({"c: [sys]"}));
        QVERIFY(history->scans().empty());

        keep.click();
        QVERIFY(ReadKeepHistory(env.settings));
        runAndWait(w, allFilesOf({"c: [sys]"}));
        QCOMPARE(history->scans().size(), std::size_t(1));

        env.settings.setFailing(true);
        keep.click();
        QVERIFY(keep.isChecked());
        QCOMPARE(env.messages.shown().back().kind, RecordingMessages::Shown::Error);
    }
};

} // namespace vorin::testing

QTEST_MAIN(vorin::testing::TestHistoryPage)
#include "tst_HistoryPage.moc"
