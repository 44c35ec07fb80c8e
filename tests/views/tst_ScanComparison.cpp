// "Compare with": two scans of a tree changed in between, kept in a real
// history, and the pages' change columns against the earlier one.

#include "chart/Chart.h"
#include "platform/History.h"
#include "ScanFixture.h"
#include "views/AttributePage.h"
#include "views/DatePages.h"
#include "views/OverhangPage.h"
#include "views/ScanComparison.h"
#include "views/SizesPage.h"
#include "views/TimePage.h"
#include "views/TypesPage.h"
#include "widgets/StringGrid.h"

#include <QComboBox>
#include <QDate>
#include <QDirIterator>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>

namespace vorin::testing {

class TestScanComparison : public QObject
{
    Q_OBJECT

private:
    // The row of the Types table whose extension is key; -1 when none is.
    static int typeRow(const StringGrid &grid, const QString &key)
    {
        for (int row = 1; row < grid.rowCount() - 1; ++row)
            if (grid.cell(0, row) == key)
                return row;
        return -1;
    }
    static const chart::ChartSeries *seriesTitled(const chart::ChartModel &model, const char *title)
    {
        for (int i = 0; i < model.seriesCount(); ++i)
            if (model.series(i).title() == QLatin1String(title))
                return &model.series(i);
        return nullptr;
    }
    // The series of the earlier scan's bars; nullptr before there was one.
    static const chart::ChartSeries *earlierBars(chart::Chart &chart)
    {
        return seriesTitled(chart.model(), "Then");
    }
    static QStringList rowTexts(const StringGrid &grid, int row)
    {
        QStringList texts;
        for (int column = 0; column < grid.colCount(); ++column)
            texts << grid.cell(column, row);
        return texts;
    }

private slots:
    void changeColumnsShowWhatChangedSinceTheScanChosen()
    {
        const TempHistory kept;
        ScanHistory *const history = kept.history.get();
        ViewsEnvironment env;
        env.services.history = history;
        TfrmStatistics w(env.services);
        QComboBox &choice = *w.comparison->cbCompare;
        QVERIFY(!choice.isEnabled());
        // Modified at noon, whenever the test runs: a time of day in the
        // first half hour counts in no slot, and the files were made just now.
        const QDate today = QDate::currentDate();
        const std::time_t noon = localInstant(today.year(), today.month(), today.day(), 12, 0);
        for (QDirIterator file(env.c.path(), QDir::Files | QDir::Hidden,
                               QDirIterator::Subdirectories);
             file.hasNext();)
            QVERIFY(setFileTimes(file.next(), noon, noon));

        runAndWait(w, allFilesOf({"c: [sys]"}));
        QCOMPARE(history->scans(env.c.path().toStdString()).size(), std::size_t(1));
        QCOMPARE(choice.count(), 1); // the scan just made is not offered
        // Waits out the second, so that the runs' times differ.
        QTest::qWait(1100);

        // A type added, a file grown, a file removed.
        writeFile(env.c.path() + QStringLiteral("/new.iso"), 70000);
        writeFile(env.c.path() + QStringLiteral("/docs/deep/note 0.txt"), 400);
        QVERIFY(QFile::remove(env.c.path() + QStringLiteral("/with space/data0.bin")));
        QVERIFY(QFile::setPermissions(env.c.path() + QStringLiteral("/docs/deep/note 1.txt"),
                                      QFile::ReadOwner | QFile::ReadGroup));
        // A scan of another disk once mounted where c is now is not offered.
        KeptScan otherDisk;
        otherDisk.takenAt = 1000;
        otherDisk.drive = "c: [sys]";
        otherDisk.place = env.c.path().toStdString();
        otherDisk.identity = "fsid:another disk";
        history->keep(otherDisk, {});
        runAndWait(w, allFilesOf({"c: [sys]"}));
        QCOMPARE(choice.count(), 2);
        QVERIFY(choice.isEnabled());
        QVERIFY(choice.itemText(1).endsWith(QStringLiteral(", 7 files")));

        w.typesPage->rgTypesItems[0]->setChecked(true);
        choice.setCurrentIndex(1);
        emit choice.activated(1);
        const StringGrid &types = *w.typesPage->gridTypes;
        QCOMPARE(types.colCount(), 7);
        QCOMPARE(types.cell(5, 0), QStringLiteral("Size change"));
        const int iso = typeRow(types, QStringLiteral(".ISO"));
        QVERIFY(iso > 0);
        QVERIFY(types.cell(1, iso).endsWith(QStringLiteral(" (new)")));
        QCOMPARE(types.cell(5, iso), QStringLiteral("+70,000"));
        QCOMPARE(types.cell(6, iso), QStringLiteral("+1"));
        const int txt = typeRow(types, QStringLiteral(".TXT"));
        QCOMPARE(types.cell(5, txt), QStringLiteral("+300"));
        QCOMPARE(types.cell(6, txt), QStringLiteral("0"));
        const int bin = typeRow(types, QStringLiteral(".BIN"));
        QCOMPARE(types.cell(5, bin), QStringLiteral("-5,000"));
        QCOMPARE(types.cell(6, bin), QStringLiteral("-1"));
        const QStringList totals = rowTexts(types, types.rowCount() - 1);
        QCOMPARE(totals.mid(5), (QStringList{QStringLiteral("+65,300"), QStringLiteral("0")}));

        // 70,000 bytes are in band 4 (64K - 128K); the rest stays in band 1.
        const StringGrid &sizes = *w.sizesPage->gridSizes;
        QCOMPARE(sizes.colCount(), 5);
        QCOMPARE(rowTexts(sizes, kSizeBands + 1 - 4).mid(3),
                 (QStringList{QStringLiteral("+70,000"), QStringLiteral("+1")}));
        QCOMPARE(rowTexts(sizes, kSizeBands).mid(3),
                 (QStringList{QStringLiteral("-4,700"), QStringLiteral("-1")}));
        QCOMPARE(w.datePages->gridModify->colCount(), 5);
        // Every file was written this week: the week's row holds the changes.
        const StringGrid &combined = *w.datePages->gridCombine;
        QCOMPARE(combined.colCount(), 13);
        QCOMPARE(combined.cell(11, 0), QStringLiteral("Modify size change"));
        int week = -1;
        for (int row = 1; row < combined.rowCount(); ++row)
            if (combined.cell(0, row) == QStringLiteral("<= 7 days"))
                week = row;
        QVERIFY(week > 0);
        QCOMPARE(rowTexts(combined, week).mid(11),
                 (QStringList{QStringLiteral("+65,300"), QStringLiteral("0")}));
        // The chart by number of files: then beside now, band 1 first.
        w.sizesPage->rgSize[2]->setChecked(true);
        const chart::ChartSeries *then = earlierBars(*w.sizesPage->Chart1);
        QVERIFY(then && then->isActive());
        QCOMPARE(then->unit(), QStringLiteral("files"));
        QCOMPARE(then->points().size(), std::size_t(kSizeBands));
        QCOMPARE(then->points()[0].value, 7.0);
        QCOMPARE(w.sizesPage->Series1->points()[0].value, 6.0);
        QCOMPARE(then->points()[3].value, 0.0);
        QVERIFY(then->pointColor(0).lightness() > w.sizesPage->Series1->pointColor(0).lightness());
        QVERIFY(w.StatusBar1->currentMessage().startsWith(
            QStringLiteral("Compared with the scan of ")));
        // The pie by size: the types of then beside those of now, paler.
        w.typesPage->rgTypesItems[1]->setChecked(true);
        QVERIFY(!w.typesPage->chartPieThen->isHidden());
        const auto &thenSlices = w.typesPage->SeriesThen->points();
        QCOMPARE(thenSlices.size(), std::size_t(2)); // .BIN and .TXT; .ISO was not there
        QCOMPARE(w.typesPage->SeriesThen->unit(), QStringLiteral("bytes"));
        QCOMPARE(thenSlices[0].value, 5000.0 + 5001 + 5002 + 5003);
        QCOMPARE(thenSlices[1].value, 100.0 + 101 + 102);
        QCOMPARE(w.typesPage->Series2->points().size(), std::size_t(3));
        w.typesPage->rgTypesItems[0]->setChecked(true);
        QVERIFY(w.typesPage->chartPieThen->isHidden());
        // The Combined chart: each date's bars then, paler, behind its own.
        const chart::ChartSeries *combinedThen =
            seriesTitled(w.datePages->chartCombine->model(), "Modified then");
        QVERIFY(combinedThen && combinedThen->isActive());
        QCOMPARE(combinedThen->unit(), QStringLiteral("MB"));
        QCOMPARE(combinedThen->points().size(), std::size_t(kAgeBuckets));
        // The Overhang page: the shares then beside those of now, each sum's change on its tooltip.
        const chart::ChartSeries *overhangThen = earlierBars(*w.overhangPage->chartOverhang);
        QVERIFY(overhangThen && overhangThen->isActive());
        QCOMPARE(overhangThen->unit(), QStringLiteral("%"));
        QCOMPARE(overhangThen->points().size(), std::size_t(5));
        QVERIFY(!w.overhangPage->pnlOverChanges->isHidden());
        QVERIFY(w.overhangPage->Memo1->isHidden());
        QVERIFY(w.overhangPage->lblOverChange[0]->text().startsWith(u'+'));
        // The Attribute page: one file more is read-only, of 101 bytes.
        QVERIFY(!w.attributePage->pnlChanges->isHidden());
        QCOMPARE(w.attributePage->lblChangeFiles[1]->text(), QStringLiteral("+1"));
        QCOMPARE(w.attributePage->lblChangeSize[1]->text(), QStringLiteral("+101"));
        QCOMPARE(w.attributePage->lblChangeFiles[0]->text(), QStringLiteral("0"));
        // The Time page's curves of then, paler, beside those of now.
        const chart::ChartModel &times = w.timePage->Chart4->model();
        const chart::ChartSeries *modifiedThen = seriesTitled(times, "Modified time then");
        QVERIFY(modifiedThen && modifiedThen->isActive());
        QCOMPARE(modifiedThen->unit(), QStringLiteral("files"));
        QCOMPARE(modifiedThen->points().size(), std::size_t(kTimeSlots));
        double filesThen = 0;
        for (const chart::ChartPoint &point : modifiedThen->points())
            filesThen += point.value;
        QCOMPARE(filesThen, 7.0);
        QVERIFY(modifiedThen->color().lightness() > w.timePage->Series10->color().lightness());

        // "(none)" gives the pages back as they were.
        choice.setCurrentIndex(0);
        emit choice.activated(0);
        QCOMPARE(types.colCount(), 5);
        QCOMPARE(typeRow(types, QStringLiteral(".ISO")) > 0, true);
        QVERIFY(!types.cell(1, typeRow(types, QStringLiteral(".ISO"))).endsWith(")"));
        QCOMPARE(sizes.colCount(), 3);
        QCOMPARE(w.datePages->gridCombine->colCount(), 7);
        QVERIFY(!earlierBars(*w.sizesPage->Chart1)->isActive());
        QVERIFY(!modifiedThen->isActive());
        QVERIFY(w.attributePage->pnlChanges->isHidden());
        QVERIFY(!overhangThen->isActive());
        QVERIFY(!combinedThen->isActive());
        QVERIFY(w.overhangPage->pnlOverChanges->isHidden());
        QVERIFY(!w.overhangPage->Memo1->isHidden());
        w.typesPage->rgTypesItems[1]->setChecked(true);
        QVERIFY(w.typesPage->chartPieThen->isHidden());
        QCOMPARE(w.typesPage->chartPie->width(), 616);
        QVERIFY(w.StatusBar1->currentMessage().startsWith(QStringLiteral("Finished - ")));
    }

    // A run of two drives is compared with an earlier run of both, added
    // together as the pages add them.
    void aRunOfSeveralDrivesIsComparedWithAnEarlierRunOfThem()
    {
        const TempHistory kept;
        ScanHistory *const history = kept.history.get();
        ViewsEnvironment env;
        env.services.history = history;
        TfrmStatistics w(env.services);
        runAndWait(w, allFilesOf({"c: [sys]", "d: [data]"}));
        QTest::qWait(1100);
        runAndWait(w, allFilesOf({"c: [sys]", "d: [data]"}));
        QComboBox &choice = *w.comparison->cbCompare;
        QCOMPARE(choice.count(), 2);
        QVERIFY(choice.itemText(1).endsWith(QStringLiteral(", 11 files")));
        choice.setCurrentIndex(1);
        emit choice.activated(1);
        QVERIFY(w.comparison->earlier());
        QCOMPARE(w.comparison->earlier()->filesProcessed, 11);
        QCOMPARE(*w.comparison->earlier(), w.statistics());
    }

    void aHistoryThatCannotKeepIsToldOnTheStatusLine()
    {
        ViewsEnvironment env;
        env.services.historyProblem =
            "The history of scans (h) can't be used: another program holds it locked.";
        TfrmStatistics w(env.services);
        runAndWait(w, allFilesOf({"c: [sys]"}));
        QVERIFY(w.StatusBar1->currentMessage().endsWith(
            QStringLiteral("  (The history of scans (h) can't be used: another program holds it "
                           "locked. This scan is not kept.)")));
        QVERIFY(!w.comparison->cbCompare->isEnabled());
    }
};

} // namespace vorin::testing

QTEST_MAIN(vorin::testing::TestScanComparison)
#include "tst_ScanComparison.moc"
