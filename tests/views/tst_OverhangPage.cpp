#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "ChartReading.h"
#include "ExportFixture.h"
#include "PageFixture.h"
#include "ScanFixture.h"
#include "views/OverhangPage.h"
#include "widgets/FontSubstitutes.h"

#include <QAbstractTextDocumentLayout>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>

using namespace vorin;
using namespace vorin::testing;

namespace {

const QString kCover = QStringLiteral("Cluster overhang analysis is not applicable to this drive.");

const QStringList kMemo = {
    "This page is an illustration of the amount of disk space wasted due to 'cluster overhang.'  "
    "This is the smallest amount of space ",
    "a file will actually use.   The arrow points to your actual cluster size, the other numbers "
    "are hypothetical.",
    "",
    "Due to the design of both Windows 95 and DOS the hard disk is divided into clusters.  Files "
    "are stored in clusters. A file of ",
    "one byte will take an entire cluster and a file that's one byte larger than a cluster will "
    "take two clusters.  The larger the ",
    "partition, the more overhang or waste is involved.",
    "",
    "Solutions are to either repartition your hard disk or use disk compression.  Later versions "
    "of Win95 come with FAT32 which ",
    "uses 4K cluster sizes for drives up to 8GB in size and 8K clusters for up to 16GB."};

struct OverhangSetup
{
    OverhangSetup() { harness.notebook.setPageIndex(3); }

    // One file of `bytes` bytes, as the engine would count it.
    void oneFile(std::int64_t bytes)
    {
        Statistics s;
        s.filesSelected = 1;
        s.sizeBandBytes.at(static_cast<std::size_t>(sizeBand(bytes))) = double(bytes);
        double *sums[] = {&s.overhang4K, &s.overhang8K, &s.overhang16K, &s.overhang32K,
                          &s.overhang64K};
        for (std::size_t i = 0; i < 5; ++i) {
            const std::int64_t r = bytes % kOverhangClusterSizes[i];
            *sums[i] = r == 0 ? 0.0 : double(kOverhangClusterSizes[i] - r);
        }
        harness.stats = s;
    }

    ViewsEnvironment env;
    PageHarness harness{env.services};
    OverhangPage page{harness.page(3), harness.context};
};

QStringList wasted(const OverhangPage &p)
{
    QStringList texts;
    for (const QLabel *label : p.lblOver)
        texts << label->text();
    return texts;
}

using testing::marksOf;
using testing::valuesOf;

QLabel *labelWithText(QWidget &page, const QString &text)
{
    for (QLabel *label : page.findChildren<QLabel *>())
        if (label->text() == text)
            return label;
    return nullptr;
}

} // namespace

class tst_OverhangPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFontSubstitutes(); }
    void tableHasItsTextsInFiveRows24PixelsApart();
    void untilTheFirstAnalysisOnlyTheTableAndExplanationShow();
    void explanationHasItsNineLines();
    void arrowIsARedArrowPointingRightAboveNavyWords();
    void chartIsABareBarChartOfFiveBars();
    void wasteOfOneFile_data();
    void wasteOfOneFile();
    void arrowStandsAtTheRowOfTheClusterSize_data();
    void arrowStandsAtTheRowOfTheClusterSize();
    void otherClusterSizesCoverThePage_data();
    void otherClusterSizesCoverThePage();
    void noBytesCountedSwitchesTheTabOffAndChangesNothingElse();
    void sizesAreInTheUnitOfTheTotal_data();
    void sizesAreInTheUnitOfTheTotal();
    void barsAreTheWastedShareOfTheSpaceUsedAt64KTo4K();
    void barsStandLevelWithTheirRows();
    void scanOfOneFileShowsItsWaste_data();
    void scanOfOneFileShowsItsWaste();
    void scanOfADriveWith2KClustersOrNoAnswerIsCovered_data();
    void scanOfADriveWith2KClustersOrNoAnswerIsCovered();
    void scanOfEmptyFilesSwitchesTheTabOff();
    void twoSingleDriveRunsLeaveOnlyTheSecondRunsFigures();
    void runOverTwoDrivesLeavesTheTabOff();
    void copyAndCsvGiveTheTableWithItsHeadingsAndShares();
    void rightClickOnThePageOrItsCoverOffersTheTable();
};

void tst_OverhangPage::tableHasItsTextsInFiveRows24PixelsApart()
{
    OverhangSetup t;
    QWidget &page = *t.harness.page(3);
    QLabel *title =
        labelWithText(page, QStringLiteral("Cluster overhang for FAT and FAT32 drives"));
    QVERIFY(title);

    const char *const headings[] = {"FAT Partion size", "FAT 32 Size", "Cluster size",
                                    "Percent wasted", "Wasted space"};
    int previousX = -1;
    for (const char *text : headings) {
        QLabel *heading = labelWithText(page, QString::fromLatin1(text));
        QVERIFY2(heading, text);
        QVERIFY(heading->geometry().top() > title->geometry().top());
        QVERIFY(heading->geometry().bottom() < t.page.lblCSize[0]->geometry().top());
        QVERIFY(heading->geometry().left() > previousX);
        previousX = heading->geometry().left();
    }

    const struct
    {
        const char *fat;
        const char *fat32; // nullptr: none
        const char *cluster;
    } rows[] = {{"255 MB", "Less than 8GB", "4K"},
                {"256 MB - 511 MB", "Less than 16GB", "8K"},
                {"512 MB - 1023 MB", "Less than 32GB", "16K"},
                {"1 GB - 2 GB", "32GB or more", "32K"},
                {"2 GB - 4 GB", nullptr, "64K"}};
    for (std::size_t i = 0; i < 5; ++i) {
        const QString n = QString::number(i + 1);
        QLabel *cluster = t.page.lblCSize[i];
        QCOMPARE(cluster->objectName(), QStringLiteral("lblCSize") + n);
        QCOMPARE(cluster->text(), QString::fromLatin1(rows[i].cluster));
        QLabel *over = t.page.lblOver[i];
        QCOMPARE(over->objectName(), QStringLiteral("lblOver") + n);
        QVERIFY(over->alignment() & Qt::AlignRight);
        QVERIFY(over->text().isEmpty());
        QCOMPARE(over->geometry().center().y(), cluster->geometry().center().y());
        QCOMPARE(labelledBy(over), QList<QObject *>{cluster}); // for a screen reader
        if (i > 0)
            QCOMPARE(cluster->y() - t.page.lblCSize[i - 1]->y(), 24);

        QLabel *fat = labelWithText(page, QString::fromLatin1(rows[i].fat));
        QVERIFY2(fat, rows[i].fat);
        QCOMPARE(fat->geometry().center().y(), cluster->geometry().center().y());
        if (rows[i].fat32) {
            QLabel *fat32 = labelWithText(page, QString::fromLatin1(rows[i].fat32));
            QVERIFY2(fat32, rows[i].fat32);
            QCOMPARE(fat32->geometry().center().y(), cluster->geometry().center().y());
            QVERIFY(fat32->x() > fat->x());
            QVERIFY(fat32->x() < cluster->x());
        }
    }
    // The last row has nothing under "FAT 32 Size".
    const int fat32Column = labelWithText(page, QStringLiteral("Less than 8GB"))->x();
    for (QLabel *label : page.findChildren<QLabel *>())
        if (label->x() == fat32Column &&
            label->geometry().center().y() == t.page.lblCSize[4]->geometry().center().y())
            QVERIFY2(label->text().isEmpty(), qPrintable(label->text()));
}

void tst_OverhangPage::untilTheFirstAnalysisOnlyTheTableAndExplanationShow()
{
    OverhangSetup t;
    QVERIFY(t.page.imArrow->isHidden());
    QVERIFY(t.page.pnlOverhang->isHidden());
    QVERIFY(t.page.pnlCluster->isHidden());
    QVERIFY(!t.page.Memo1->isHidden());
    QCOMPARE(t.page.lblLbl->text(), QStringLiteral("Actual space used:"));
    QVERIFY(t.page.lblNumFiles->text().isEmpty());
    QVERIFY(t.page.lblSize->text().isEmpty());
    QVERIFY(t.page.Series9->points().empty());

    // The strip's parts, left to right.
    QCOMPARE(t.page.pnlOverhang->objectName(), QStringLiteral("pnlOverhang"));
    for (QWidget *part :
         {static_cast<QWidget *>(t.page.lblNumFiles), static_cast<QWidget *>(t.page.lblSize),
          static_cast<QWidget *>(t.page.lblLbl)})
        QVERIFY(t.page.pnlOverhang->isAncestorOf(part));
    QLabel *caption = labelWithText(*t.page.pnlOverhang, QStringLiteral("Total file sizes:"));
    QVERIFY(caption);
    QVERIFY(t.page.lblNumFiles->x() < caption->x());
    QVERIFY(caption->x() < t.page.lblSize->x());
    QVERIFY(t.page.lblSize->x() < t.page.lblLbl->x());
    QCOMPARE(labelledBy(t.page.lblSize), QList<QObject *>{caption});
    // Between the table (arrow included at its lowest row) and the explanation.
    QVERIFY(t.page.pnlOverhang->y() >= t.page.lblCSize[4]->y() + t.page.imArrow->height());
    QVERIFY(t.page.pnlOverhang->geometry().bottom() < t.page.Memo1->y());
}

void tst_OverhangPage::explanationHasItsNineLines()
{
    OverhangSetup t;
    const QPlainTextEdit &memo = *t.page.Memo1;
    QCOMPARE(memo.objectName(), QStringLiteral("Memo1"));
    QCOMPARE(memo.toPlainText().split(QLatin1Char('\n')), kMemo);
    QVERIFY(memo.isReadOnly());
    QCOMPARE(memo.frameShape(), QFrame::NoFrame);
    QCOMPARE(memo.palette().color(QPalette::Base), memo.palette().color(QPalette::Window));
    QVERIFY(memo.geometry().bottom() < 364);
    // Shown, each line is one line on the screen and all nine are seen.
    t.harness.notebook.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.harness.notebook));
    QCOMPARE(memo.document()->lineCount(), 9);
    QCOMPARE(memo.document()->documentLayout()->documentSize().height(), 9.0);
    QVERIFY(!memo.verticalScrollBar()->isVisible());
    QVERIFY(!memo.horizontalScrollBar()->isVisible());
}

void tst_OverhangPage::arrowIsARedArrowPointingRightAboveNavyWords()
{
    OverhangSetup t;
    const QLabel &arrow = *t.page.imArrow;
    QCOMPARE(arrow.objectName(), QStringLiteral("imArrow"));
    QCOMPARE(arrow.size(), QSize(41, 49));
    // Left of the cluster-size column, pointing at it.
    QVERIFY(arrow.geometry().right() < t.page.lblCSize[0]->x());
    QVERIFY(arrow.geometry().right() > t.page.lblCSize[0]->x() - 12);
    QVERIFY(arrow.geometry().left() > labelWithText(*t.harness.page(3), "Less than 8GB")->x());

    const QImage picture = arrow.pixmap().toImage();
    QCOMPARE(picture.size(), QSize(32, 32));
    const auto count = [&picture](int x0, int y0, int x1, int y1, const QColor &colour) {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (picture.pixelColor(x, y).rgb() == colour.rgb() &&
                    picture.pixelColor(x, y).alpha() == 255)
                    ++n;
        return n;
    };
    const QColor red(255, 0, 0), black(0, 0, 0), grey(128, 128, 128), navy(0, 0, 128);
    // The arrow in the upper part, the words below it.
    QVERIFY(count(0, 0, 31, 18, red) > 60);
    QVERIFY(count(0, 0, 31, 18, black) > 30);
    QVERIFY(count(0, 0, 31, 20, grey) > 10);
    QVERIFY(count(0, 19, 31, 31, red) == 0);
    QVERIFY(count(0, 19, 31, 31, navy) > 10);
    // Pointing right: the red narrows from the head's base to its tip, and
    // the grey shadow falls below and right of the outline.
    const auto column = [&](int x) { return count(x, 0, x, 18, red); };
    QVERIFY(column(19) > column(24));
    QVERIFY(column(24) > column(27));
    QVERIFY(column(19) > column(8));
    QVERIFY(count(0, 0, 31, 2, grey) == 0);
}

void tst_OverhangPage::chartIsABareBarChartOfFiveBars()
{
    OverhangSetup t;
    const chart::Chart &c = *t.page.chartOverhang;
    QCOMPARE(c.objectName(), QStringLiteral("chartOverhang"));
    QVERIFY(t.harness.page(3)->isAncestorOf(&c));
    const chart::ChartSettings &s = c.model().settings();
    QVERIFY(!s.titleVisible || s.titleLines.isEmpty());
    QVERIFY(!s.legend.visible);
    QVERIFY(!s.leftAxis.visible);
    QVERIFY(!s.bottomAxis.visible);
    QVERIFY(!s.frameVisible);
    QVERIFY(!s.userZoomAllowed);
    QVERIFY(s.view.enabled);
    QCOMPARE(s.view.depthPercent, 25);
    QCOMPARE(s.pointsPerPage, 5);
    QCOMPARE(c.model().seriesCount(), 1);
    QCOMPARE(&c.model().series(0), t.page.Series9);
    QCOMPARE(t.page.Series9->kind(), chart::SeriesKind::HorizontalBar);
    QCOMPARE(t.page.Series9->markStyle(), chart::MarkStyle::Value);
    QCOMPARE(t.page.Series9->valueFormat(), QStringLiteral("#,##0. %"));
    QCOMPARE(t.page.Series9->unit(), QStringLiteral("%"));
    // Under its heading.
    QLabel *heading = labelWithText(*t.harness.page(3), QStringLiteral("Percent wasted"));
    QVERIFY(heading->geometry().center().x() > c.x());
    QVERIFY(heading->geometry().center().x() < c.geometry().right());
}

void tst_OverhangPage::wasteOfOneFile_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QStringList>("waste");
    QTest::newRow("1 byte") << qint64(1)
                            << QStringList{"4,095", "8,191", "16,383", "32,767", "65,535"};
    QTest::newRow("4,096 bytes") << qint64(4096)
                                 << QStringList{"0", "4,096", "12,288", "28,672", "61,440"};
    QTest::newRow("65,536 bytes") << qint64(65536) << QStringList{"0", "0", "0", "0", "0"};
    QTest::newRow("65,537 bytes") << qint64(65537)
                                  << QStringList{"4,095", "8,191", "16,383", "32,767", "65,535"};
}

void tst_OverhangPage::wasteOfOneFile()
{
    QFETCH(qint64, bytes);
    QFETCH(QStringList, waste);
    OverhangSetup t;
    t.oneFile(bytes);
    t.page.doOverHang(4096);
    QCOMPARE(wasted(t.page), waste);
    QVERIFY(!t.page.pnlOverhang->isHidden());
    QCOMPARE(t.page.lblNumFiles->text(), QStringLiteral("Number of files scanned: 1"));
    QVERIFY(t.harness.notebook.pageEnabled(3));
}

void tst_OverhangPage::arrowStandsAtTheRowOfTheClusterSize_data()
{
    QTest::addColumn<int>("clusterSize");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("used");
    // 10,000 bytes in one file: 2,288 wasted at 4K, 6,384 at 8K, 6,384 at
    // 16K, 22,768 at 32K, 55,536 at 64K.
    QTest::newRow("4K") << 4096 << 0 << "Actual space used 12 KB";
    QTest::newRow("8K") << 8192 << 1 << "Actual space used 16 KB";
    QTest::newRow("16K") << 16384 << 2 << "Actual space used 16 KB";
    QTest::newRow("32K") << 32768 << 3 << "Actual space used 32 KB";
    QTest::newRow("64K") << 65536 << 4 << "Actual space used 64 KB";
}

void tst_OverhangPage::arrowStandsAtTheRowOfTheClusterSize()
{
    QFETCH(int, clusterSize);
    QFETCH(int, row);
    QFETCH(QString, used);
    OverhangSetup t;
    t.oneFile(10000);
    // An earlier analysis pointed elsewhere; the arrow moves.
    t.page.doOverHang(row == 0 ? 65536 : 4096);
    t.page.doOverHang(clusterSize);
    QVERIFY(!t.page.imArrow->isHidden());
    QCOMPARE(t.page.imArrow->y(), t.page.lblCSize[static_cast<std::size_t>(row)]->y());
    QVERIFY(t.page.pnlCluster->isHidden());
    QCOMPARE(t.page.lblSize->text(), QStringLiteral("10 KB"));
    QCOMPARE(t.page.lblLbl->text(), used);
}

void tst_OverhangPage::otherClusterSizesCoverThePage_data()
{
    QTest::addColumn<int>("clusterSize");
    QTest::newRow("2K") << 2048;
    QTest::newRow("512 bytes") << 512;
    QTest::newRow("1K") << 1024;
    QTest::newRow("no answer") << 0;
    QTest::newRow("128K") << 131072;
    QTest::newRow("one byte short of 4K") << 4095;
}

void tst_OverhangPage::otherClusterSizesCoverThePage()
{
    QFETCH(int, clusterSize);
    OverhangSetup t;
    t.harness.notebook.show();
    t.oneFile(10000);
    t.page.doOverHang(4096);
    QVERIFY(t.page.pnlCluster->isHidden());
    t.page.doOverHang(clusterSize);
    QVERIFY(t.page.imArrow->isHidden());
    QVERIFY(t.page.pnlCluster->isVisible());
    QCOMPARE(t.page.pnlCluster->objectName(), QStringLiteral("pnlCluster"));
    QCOMPARE(t.page.pnlCluster->text(), kCover);
    // Over the whole page: whatever point of it is looked at, the cover is seen.
    QWidget &page = *t.harness.page(3);
    QVERIFY(t.page.pnlCluster->geometry().contains(page.rect()));
    for (const QPoint &p :
         {page.rect().topLeft(), page.rect().center(), page.rect().bottomRight(),
          t.page.lblOver[0]->geometry().center(), t.page.Memo1->geometry().center()}) {
        QWidget *seen = page.childAt(p);
        QVERIFY(seen == t.page.pnlCluster || t.page.pnlCluster->isAncestorOf(seen));
    }
    // The figures are still written under the cover.
    QCOMPARE(t.page.lblOver[0]->text(), QStringLiteral("2,288"));
}

void tst_OverhangPage::noBytesCountedSwitchesTheTabOffAndChangesNothingElse()
{
    OverhangSetup t;
    t.oneFile(1);
    t.page.doOverHang(4096);
    const QStringList before = wasted(t.page);
    const QList<double> bars = valuesOf(*t.page.Series9);
    const QString files = t.page.lblNumFiles->text();
    const QString used = t.page.lblLbl->text();
    const int arrowAt = t.page.imArrow->y();

    // Three empty files: counted, but no byte, no waste.
    t.harness.stats = Statistics{};
    t.harness.stats.filesSelected = 3;
    t.harness.stats.sizeBandCount[1] = 3;
    t.page.doOverHang(65536);

    QVERIFY(!t.harness.notebook.pageEnabled(3));
    QVERIFY(t.harness.notebook.pageEnabled(2));
    QVERIFY(t.harness.notebook.pageEnabled(4));
    QCOMPARE(wasted(t.page), before);
    QCOMPARE(valuesOf(*t.page.Series9), bars);
    QCOMPARE(t.page.lblNumFiles->text(), files);
    QCOMPARE(t.page.lblLbl->text(), used);
    QCOMPARE(t.page.imArrow->y(), arrowAt);
    QVERIFY(t.page.pnlCluster->isHidden());
}

void tst_OverhangPage::sizesAreInTheUnitOfTheTotal_data()
{
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("waste4K");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("used");
    QTest::newRow("just under a megabyte, used over it") << 1048575.0 << 4096.0 << "1,024 KB"
                                                         << "Actual space used 1,028 KB";
    QTest::newRow("one megabyte") << 1048576.0 << 0.0 << "1 MB"
                                  << "Actual space used 1 MB";
    QTest::newRow("a megabyte and a half rounds up") << 1572864.0 << 524288.0 << "2 MB"
                                                     << "Actual space used 2 MB";
    QTest::newRow("many megabytes grouped") << 5000.0 * 1048576 << 1200.0 * 1048576 << "5,000 MB"
                                            << "Actual space used 6,200 MB";
    QTest::newRow("one byte") << 1.0 << 4095.0 << "0 KB"
                              << "Actual space used 4 KB";
}

void tst_OverhangPage::sizesAreInTheUnitOfTheTotal()
{
    QFETCH(double, total);
    QFETCH(double, waste4K);
    QFETCH(QString, size);
    QFETCH(QString, used);
    OverhangSetup t;
    t.harness.stats.filesSelected = 1234;
    t.harness.stats.sizeBandBytes[3] = total / 2;
    t.harness.stats.sizeBandBytes[12] = total / 2;
    t.harness.stats.overhang4K = waste4K;
    t.page.doOverHang(4096);
    QCOMPARE(t.page.lblSize->text(), size);
    QCOMPARE(t.page.lblLbl->text(), used);
    QCOMPARE(t.page.lblNumFiles->text(), QStringLiteral("Number of files scanned: 1,234"));
}

void tst_OverhangPage::barsAreTheWastedShareOfTheSpaceUsedAt64KTo4K()
{
    OverhangSetup t;
    Statistics &s = t.harness.stats;
    s.filesSelected = 10;
    s.sizeBandBytes[1] = 30000;
    s.sizeBandBytes[5] = 10000; // T = 40,000
    s.overhang4K = 0;
    s.overhang8K = 10000;
    s.overhang16K = 40000;
    s.overhang32K = 60000;
    s.overhang64K = 120000;
    t.page.doOverHang(4096);
    // 64K, 32K, 16K, 8K, 4K: 100 W / (T + W).
    QCOMPARE(valuesOf(*t.page.Series9), (QList<double>{75, 60, 50, 20, 0}));
    for (std::size_t i = 0; i < 5; ++i) {
        QCOMPARE(t.page.Series9->pointColor(i), QColor(255, 0, 0));
        QVERIFY(t.page.Series9->points()[i].label.isEmpty());
    }
    QCOMPARE(marksOf(*t.page.chartOverhang), (QStringList{"75 %", "60 %", "50 %", "20 %", "0 %"}));

    // A second analysis leaves its own five bars only.
    s.overhang64K = 40000;
    t.page.doOverHang(4096);
    QCOMPARE(valuesOf(*t.page.Series9), (QList<double>{50, 60, 50, 20, 0}));
}

void tst_OverhangPage::barsStandLevelWithTheirRows()
{
    OverhangSetup t;
    t.oneFile(1);
    t.page.doOverHang(4096);
    const chart::Chart &c = *t.page.chartOverhang;
    const chart::ChartLayout layout(c.model(), QRectF(QPointF(0, 0), QSizeF(c.size())));
    QCOMPARE(layout.geometry().bars.size(), std::size_t(5));
    for (const chart::BarItem &bar : layout.geometry().bars) {
        // Seen half way into its depth; bar 0 (64K) at the lowest row.
        const chart::Point3D middle{bar.front.left(), bar.front.center().y(),
                                    (bar.z0 + bar.z1) / 2.0};
        const double seen = c.y() + layout.geometry().projection.map(middle).y();
        const double row =
            t.page.lblCSize[static_cast<std::size_t>(4 - bar.point)]->geometry().center().y();
        QVERIFY2(qAbs(seen - row) <= 3.0,
                 qPrintable(
                     QStringLiteral("bar %1 at %2, row at %3").arg(bar.point).arg(seen).arg(row)));
    }
}

// Real scans: a drive of one file, with the allocation unit of ext4.
void tst_OverhangPage::scanOfOneFileShowsItsWaste_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QStringList>("waste");
    QTest::addColumn<QString>("used");
    QTest::newRow("1 byte and an empty file")
        << qint64(1) << QStringList{"4,095", "8,191", "16,383", "32,767", "65,535"}
        << "Actual space used 4 KB";
    QTest::newRow("4,096 bytes and an empty file")
        << qint64(4096) << QStringList{"0", "4,096", "12,288", "28,672", "61,440"}
        << "Actual space used 4 KB";
}

void tst_OverhangPage::scanOfOneFileShowsItsWaste()
{
    QFETCH(qint64, bytes);
    QFETCH(QStringList, waste);
    QFETCH(QString, used);
    ViewsEnvironment env;
    QTemporaryDir root;
    addDrive(env, 'f', root, "one", 4096);
    writeFile(root.filePath(QStringLiteral("data.bin")), bytes);
    writeFile(root.filePath(QStringLiteral("empty.txt")), 0);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"f: [one]"}));

    const OverhangPage &page = *w.overhangPage;
    QVERIFY(w.OvcNotebook1->pageEnabled(3));
    QCOMPARE(wasted(page), waste);
    QCOMPARE(page.lblNumFiles->text(), QStringLiteral("Number of files scanned: 2"));
    QCOMPARE(page.lblSize->text(), QStringLiteral("%1 KB").arg(bytes / 1024));
    QCOMPARE(page.lblLbl->text(), used);
    // An ext4 drive: 4K blocks, so the arrow stands at "4K".
    QVERIFY(!page.imArrow->isHidden());
    QCOMPARE(page.imArrow->y(), page.lblCSize[0]->y());
    QVERIFY(page.pnlCluster->isHidden());
}

void tst_OverhangPage::scanOfADriveWith2KClustersOrNoAnswerIsCovered_data()
{
    QTest::addColumn<qint64>("allocationUnit");
    QTest::newRow("2K") << qint64(2048);
    QTest::newRow("no answer on a small drive") << qint64(0);
}

void tst_OverhangPage::scanOfADriveWith2KClustersOrNoAnswerIsCovered()
{
    QFETCH(qint64, allocationUnit);
    ViewsEnvironment env;
    QTemporaryDir root;
    addDrive(env, 'f', root, "small", allocationUnit);
    writeFile(root.filePath(QStringLiteral("data.bin")), 3000);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"f: [small]"}));
    QCOMPARE(w.clusterSize(), std::int32_t(allocationUnit));
    const OverhangPage &page = *w.overhangPage;
    QVERIFY(w.OvcNotebook1->pageEnabled(3));
    QVERIFY(page.imArrow->isHidden());
    QVERIFY(!page.pnlCluster->isHidden());
    QCOMPARE(page.pnlCluster->text(), kCover);
}

void tst_OverhangPage::scanOfEmptyFilesSwitchesTheTabOff()
{
    ViewsEnvironment env;
    QTemporaryDir root;
    addDrive(env, 'f', root, "empty", 4096);
    writeFile(root.filePath(QStringLiteral("a.txt")), 0);
    writeFile(root.filePath(QStringLiteral("b.txt")), 0);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"f: [empty]"}));
    QCOMPARE(w.statistics().filesSelected, 2);
    QVERIFY(w.pageBuilderCalls().contains(QStringLiteral("doOverHang")));
    QVERIFY(!w.OvcNotebook1->pageEnabled(3));
    QVERIFY(w.overhangPage->pnlOverhang->isHidden());
    QVERIFY(w.overhangPage->imArrow->isHidden());
    QVERIFY(w.overhangPage->Series9->points().empty());
}

void tst_OverhangPage::twoSingleDriveRunsLeaveOnlyTheSecondRunsFigures()
{
    ViewsEnvironment env;
    QTemporaryDir first;
    QTemporaryDir second;
    addDrive(env, 'f', first, "first", 2048);
    addDrive(env, 'g', second, "second", 4096);
    writeFile(first.filePath(QStringLiteral("one byte")), 1);
    writeFile(first.filePath(QStringLiteral("two bytes")), 2);
    writeFile(second.filePath(QStringLiteral("a block")), 4096);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"f: [first]"}));
    const OverhangPage &page = *w.overhangPage;
    QCOMPARE(page.Series9->points().size(), std::size_t(5));
    QVERIFY(!page.pnlCluster->isHidden());

    runAndWait(w, allFilesOf({"g: [second]"}));
    // 4,096 bytes: 61,440 wasted at 64K ... 0 at 4K.
    const QList<double> expected{100.0 * 61440 / (4096 + 61440), 100.0 * 28672 / (4096 + 28672),
                                 100.0 * 12288 / (4096 + 12288), 50.0, 0.0};
    QCOMPARE(valuesOf(*page.Series9), expected);
    QCOMPARE(marksOf(*page.chartOverhang), (QStringList{"94 %", "88 %", "75 %", "50 %", "0 %"}));
    QCOMPARE(wasted(page), (QStringList{"0", "4,096", "12,288", "28,672", "61,440"}));
    QCOMPARE(page.lblNumFiles->text(), QStringLiteral("Number of files scanned: 1"));
    QVERIFY(page.pnlCluster->isHidden());
    QCOMPARE(page.imArrow->y(), page.lblCSize[0]->y());
}

void tst_OverhangPage::runOverTwoDrivesLeavesTheTabOff()
{
    ViewsEnvironment env;
    QTemporaryDir first;
    QTemporaryDir second;
    addDrive(env, 'f', first, "first", 4096);
    addDrive(env, 'g', second, "second", 4096);
    writeFile(first.filePath(QStringLiteral("one byte")), 1);
    writeFile(second.filePath(QStringLiteral("a block")), 4096);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"f: [first]"}));
    const QStringList before = wasted(*w.overhangPage);

    w.clearPageBuilderCalls();
    runAndWait(w, allFilesOf({"f: [first]", "g: [second]"}));
    QVERIFY(!w.OvcNotebook1->pageEnabled(3));
    QVERIFY(!w.pageBuilderCalls().contains(QStringLiteral("doOverHang")));
    QCOMPARE(wasted(*w.overhangPage), before);
}

namespace {

const QStringList kOverhangHeadings = {"FAT Partion size", "FAT 32 Size", "Cluster size",
                                       "Percent wasted", "Wasted space"};

// 40,000 bytes counted, wasting 0, 10,000, 40,000, 60,000 and 120,000 bytes
// at 4K to 64K: 0, 20, 50, 60 and 75 % of the space used.
void fillRoundWaste(Statistics &s)
{
    s.filesSelected = 10;
    s.sizeBandBytes[1] = 30000;
    s.sizeBandBytes[5] = 10000;
    s.overhang4K = 0;
    s.overhang8K = 10000;
    s.overhang16K = 40000;
    s.overhang32K = 60000;
    s.overhang64K = 120000;
}

} // namespace

void tst_OverhangPage::copyAndCsvGiveTheTableWithItsHeadingsAndShares()
{
    OverhangSetup t;
    fillRoundWaste(t.harness.stats);
    t.page.doOverHang(4096);
    // The shares as the bars' marks show them, 64K at the bottom.
    QCOMPARE(marksOf(*t.page.chartOverhang), (QStringList{"75 %", "60 %", "50 %", "20 %", "0 %"}));

    markClipboard();
    t.page.overhangTable->copyAction()->trigger();
    QCOMPARE(clipboardText(),
             tsvLines({kOverhangHeadings,
                       {"255 MB", "Less than 8GB", "4K", "0 %", "0"},
                       {"256 MB - 511 MB", "Less than 16GB", "8K", "20 %", "10,000"},
                       {"512 MB - 1023 MB", "Less than 32GB", "16K", "50 %", "40,000"},
                       {"1 GB - 2 GB", "32GB or more", "32K", "60 %", "60,000"},
                       {"2 GB - 4 GB", "", "64K", "75 %", "120,000"}}));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("overhang.csv"));
    CsvChooserStub chooser(path);
    t.page.overhangTable->saveAction()->trigger();
    QCOMPARE(chooser.suggestedName, QStringLiteral("Cluster overhang.csv"));
    QVERIFY(t.env.messages.shown().empty());
    QCOMPARE(fileBytes(path),
             csvLines({kOverhangHeadings,
                       {"255 MB", "Less than 8GB", "4K", "0 %", "0"},
                       {"256 MB - 511 MB", "Less than 16GB", "8K", "20 %", "10000"},
                       {"512 MB - 1023 MB", "Less than 32GB", "16K", "50 %", "40000"},
                       {"1 GB - 2 GB", "32GB or more", "32K", "60 %", "60000"},
                       {"2 GB - 4 GB", "", "64K", "75 %", "120000"}}));
}

void tst_OverhangPage::rightClickOnThePageOrItsCoverOffersTheTable()
{
    OverhangSetup t;
    fillRoundWaste(t.harness.stats);
    Notebook &book = t.harness.notebook;
    book.show();
    QVERIFY(QTest::qWaitForWindowExposed(&book));
    QWidget &page = *t.harness.page(3);
    QMenu *menu = t.page.overhangTable->menu();
    QCOMPARE(captions(*menu), QStringList({"Show files", "-", "Copy", "Save as CSV…"}));
    const QPoint onFigure = page.mapTo(&book, t.page.lblOver[1]->geometry().center());

    t.page.doOverHang(4096);
    QTest::mouseClick(book.windowHandle(), Qt::RightButton, {}, onFigure);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();

    // Ctrl+C on the page, which a click or Tab gives the focus.
    QCOMPARE(page.focusPolicy(), Qt::StrongFocus);
    markClipboard();
    QTest::keyClick(&page, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(clipboardText().startsWith(tsvLines({kOverhangHeadings}) +
                                       "255 MB\tLess than 8GB\t4K\t0 %\t0\n"));

    // A drive of other clusters: the cover hides the figures, the menu stays.
    t.page.doOverHang(2048);
    QVERIFY(t.page.pnlCluster->isVisible());
    QTest::mouseClick(book.windowHandle(), Qt::RightButton, {}, onFigure);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
}

QTEST_MAIN(tst_OverhangPage)
#include "tst_OverhangPage.moc"
