#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "ExportFixture.h"
#include "PageFixture.h"
#include "platform/fake/RecordingMessages.h"
#include "ScanFixture.h"
#include "TextRecorder.h"
#include "views/PageParts.h"
#include "views/SizesPage.h"
#include "widgets/StringGrid.h"

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

using namespace vorin;
using namespace vorin::testing;

namespace {

constexpr double kMB = 1048576.0;

const QList<QColor> kPaletteColours = {
    QColor(255, 0, 0), QColor(128, 0, 0),   QColor(0, 0, 255),     QColor(255, 255, 0),
    QColor(0, 128, 0), QColor(0, 255, 0),   QColor(255, 0, 255),   QColor(0, 128, 128),
    QColor(0, 0, 128), QColor(0, 255, 255), QColor(255, 255, 255), QColor(128, 128, 128)};

const QStringList kBandLabels = {"0 - 16K",     "16K - 32K",   "32K - 64K",  "64K - 128K",
                                 "128K - 256K", "256K - 512K", "512K - 1MB", "1MB - 2MB",
                                 "2MB - 4MB",   "4MB - 8MB",   "8MB - 16MB", "Over 16MB"};

// Band b holds b * 1.5 MB + 7 bytes in 1001 * b files: every value differs,
// and the megabytes have fractions.
double bandBytes(int band)
{
    return 1572864.0 * band + 7;
}
double bandFiles(int band)
{
    return 1001.0 * band;
}

// The machine the page sees: no drive is touched, numbers are written with
// dots between thousands so that the locale's separator is seen to be used.
struct SizesFixture
{
    SizesFixture()
    {
        for (int b = 1; b <= kSizeBands; ++b) {
            harness.stats.sizeBandBytes[static_cast<std::size_t>(b)] = bandBytes(b);
            harness.stats.sizeBandCount[static_cast<std::size_t>(b)] = bandFiles(b);
        }
    }

    FakeVolumes volumes;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    Services services{volumes, settings, registry, LocaleSeparators{".", ","}, 1};
    PageHarness harness{services};
    SizesPage page{harness.page(2), harness.context};

    [[nodiscard]] const chart::ChartSeries &bars() const { return *page.Series1; }
    [[nodiscard]] QString title() const
    {
        return page.Chart1->model().settings().titleLines.join(QLatin1Char('\n'));
    }
    void showOnScreen()
    {
        harness.notebook.show();
        QVERIFY(harness.notebook.setPageIndex(2));
        QVERIFY(QTest::qWaitForWindowExposed(&harness.notebook));
    }
};

QFont cellFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    return font;
}

// Dark pixels of an image drawn in black on white.
bool inked(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 160;
}

} // namespace

class tst_SizesPage : public QObject
{
    Q_OBJECT

private slots:
    void pageStartsWithTheSizeChartAndAHiddenTable();
    void tableRowsRunFromTheLargestBandDownInLocaleNumbers_data();
    void tableRowsRunFromTheLargestBandDownInLocaleNumbers();
    void showingThePageMovesTheSelectionOffTheTable();
    void sizeChartHasOneBarPerBandInMegabytesSmallestLowest();
    void numberOfFilesChartShowsTheCountsOfTheBands();
    void switchingChartsChangesTitleAndBarsButKeepsTheColours();
    void chartColoursComeFromTheReloadedPalette();
    void listingShowsTheTableInPlaceOfTheChart();
    void runWithoutFilesShowsZeroEverywhereAndTwelveEmptyBars();
    void marksShowSharesAndTheLegendListsValuesTopDown();
    void everyRedrawUndoesTheUserZoom();
    void selectHandlerTakesRowsOfFiguresOnly_data();
    void selectHandlerTakesRowsOfFiguresOnly();
    void rowsArePickedByMouseOrKeyboard();
    void cellTextStartsThreePixelsInOrEndsThreePixelsBeforeTheRightEdge_data();
    void cellTextStartsThreePixelsInOrEndsThreePixelsBeforeTheRightEdge();
    void cellTextIsClippedToItsCell_data();
    void cellTextIsClippedToItsCell();
    void tableDrawsItsCellsThroughTheSharedHandler();
    void scannedFilesFallInTheirBandsAtTheBounds();
    void copyAndCsvGiveTheHeadingsAndTheFiguresOfTheTable();
    void rightClickAndCtrlCOnTheTableCopyItAndSelectNothing();
};

void tst_SizesPage::pageStartsWithTheSizeChartAndAHiddenTable()
{
    SizesFixture f;
    QCOMPARE(f.page.rgSize[0]->text(), QStringLiteral("Listing"));
    QCOMPARE(f.page.rgSize[1]->text(), QStringLiteral("Chart by Size (in MB)"));
    QCOMPARE(f.page.rgSize[2]->text(), QStringLiteral("Chart by Number of Files"));
    QVERIFY(f.page.rgSize[1]->isChecked());
    QVERIFY(f.page.gridSizes->isHidden());
    QVERIFY(!f.page.Chart1->isHidden());
    QCOMPARE(f.page.gridSizes->colCount(), 3);
    QCOMPARE(f.page.gridSizes->rowCount(), 13);
    QCOMPARE(f.page.gridSizes->rowHeight(), 19);
    QCOMPARE(f.page.gridSizes->accessibleName(), QStringLiteral("File sizes"));
    QCOMPARE(f.page.gridSizes->colWidth(0), 194);
    QCOMPARE(f.page.gridSizes->colWidth(1), 189);
    QCOMPARE(f.page.gridSizes->colWidth(2), 140);
    QCOMPARE(f.page.Chart1->model().seriesCount(), 1);
    QCOMPARE(f.page.Series1->kind(), chart::SeriesKind::HorizontalBar);
}

void tst_SizesPage::tableRowsRunFromTheLargestBandDownInLocaleNumbers_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("files");
    QTest::newRow("row 1") << 1 << "Over 16MB"
                           << "18.874.375"
                           << "12.012";
    QTest::newRow("row 2") << 2 << "8MB - 16MB"
                           << "17.301.511"
                           << "11.011";
    QTest::newRow("row 3") << 3 << "4MB - 8MB"
                           << "15.728.647"
                           << "10.010";
    QTest::newRow("row 4") << 4 << "2MB - 4MB"
                           << "14.155.783"
                           << "9.009";
    QTest::newRow("row 5") << 5 << "1MB - 2MB"
                           << "12.582.919"
                           << "8.008";
    QTest::newRow("row 6") << 6 << "512K - 1MB"
                           << "11.010.055"
                           << "7.007";
    QTest::newRow("row 7") << 7 << "256K - 512K"
                           << "9.437.191"
                           << "6.006";
    QTest::newRow("row 8") << 8 << "128K - 256K"
                           << "7.864.327"
                           << "5.005";
    QTest::newRow("row 9") << 9 << "64K - 128K"
                           << "6.291.463"
                           << "4.004";
    QTest::newRow("row 10") << 10 << "32K - 64K"
                            << "4.718.599"
                            << "3.003";
    QTest::newRow("row 11") << 11 << "16K - 32K"
                            << "3.145.735"
                            << "2.002";
    QTest::newRow("row 12") << 12 << "0 - 16K"
                            << "1.572.871"
                            << "1.001";
}

void tst_SizesPage::tableRowsRunFromTheLargestBandDownInLocaleNumbers()
{
    QFETCH(int, row);
    QFETCH(QString, label);
    QFETCH(QString, bytes);
    QFETCH(QString, files);
    SizesFixture f;
    f.page.doFileSizes();
    QCOMPARE(f.page.gridSizes->rowTexts(0),
             QStringList({"File size", "Total file size", "Number of files"}));
    QCOMPARE(f.page.gridSizes->rowTexts(row), QStringList({label, bytes, files}));
}

void tst_SizesPage::showingThePageMovesTheSelectionOffTheTable()
{
    SizesFixture f;
    f.page.gridSizes->setSelection(1, 3);
    f.page.doFileSizes();
    QCOMPARE(f.page.gridSizes->col(), 20);
    QCOMPARE(f.page.gridSizes->row(), 20);
}

void tst_SizesPage::sizeChartHasOneBarPerBandInMegabytesSmallestLowest()
{
    SizesFixture f;
    f.page.doFileSizes();
    QCOMPARE(f.title(), QStringLiteral("File Sizes in MB"));
    QCOMPARE(f.bars().unit(), QStringLiteral("MB"));
    const auto &points = f.bars().points();
    QCOMPARE(points.size(), std::size_t(12));
    for (int b = 1; b <= 12; ++b) {
        const chart::ChartPoint &p = points[static_cast<std::size_t>(b - 1)];
        QCOMPARE(p.label, kBandLabels[b - 1]);
        QCOMPARE(p.value, bandBytes(b) / kMB);
        QCOMPARE(p.color, kPaletteColours[b - 1]);
    }
    // The fractions stay: 1.5 MB and 7 bytes is not rounded to 2.
    QCOMPARE(points[0].value, 1.5 + 7 / kMB);
}

void tst_SizesPage::numberOfFilesChartShowsTheCountsOfTheBands()
{
    SizesFixture f;
    f.page.doFileSizes();
    f.page.rgSize[2]->click();
    QCOMPARE(f.title(), QStringLiteral("Number of Files"));
    QCOMPARE(f.bars().unit(), QStringLiteral("files"));
    const auto &points = f.bars().points();
    QCOMPARE(points.size(), std::size_t(12));
    for (int b = 1; b <= 12; ++b) {
        QCOMPARE(points[static_cast<std::size_t>(b - 1)].value, bandFiles(b));
        QCOMPARE(points[static_cast<std::size_t>(b - 1)].label, kBandLabels[b - 1]);
    }
}

void tst_SizesPage::switchingChartsChangesTitleAndBarsButKeepsTheColours()
{
    SizesFixture f;
    f.page.doFileSizes();
    const auto colours = [&f] {
        QList<QColor> c;
        for (const chart::ChartPoint &p : f.bars().points())
            c << p.color;
        return c;
    };
    QCOMPARE(colours(), kPaletteColours);

    f.page.rgSize[2]->click();
    QCOMPARE(f.title(), QStringLiteral("Number of Files"));
    QCOMPARE(f.bars().points()[11].value, 12012.0);
    QCOMPARE(colours(), kPaletteColours);

    f.page.rgSize[1]->click();
    QCOMPARE(f.title(), QStringLiteral("File Sizes in MB"));
    QCOMPARE(f.bars().points()[11].value, bandBytes(12) / kMB);
    QCOMPARE(colours(), kPaletteColours);
}

void tst_SizesPage::chartColoursComeFromTheReloadedPalette()
{
    SizesFixture f;
    // Another page left every palette entry green.
    f.harness.palette.initAColors(false, QColor(0, 128, 0));
    f.page.doFileSizes();
    for (int b = 1; b <= 12; ++b)
        QCOMPARE(f.bars().points()[static_cast<std::size_t>(b - 1)].color, kPaletteColours[b - 1]);
    QCOMPARE(f.harness.palette[3], QColor(0, 0, 255));
}

void tst_SizesPage::listingShowsTheTableInPlaceOfTheChart()
{
    SizesFixture f;
    f.page.doFileSizes();
    f.page.rgSize[0]->click();
    QVERIFY(!f.page.gridSizes->isHidden());
    QVERIFY(f.page.Chart1->isHidden());

    // The chart comes back rebuilt from the figures of now.
    f.harness.stats.sizeBandCount[5] = 77;
    f.page.rgSize[2]->click();
    QVERIFY(f.page.gridSizes->isHidden());
    QVERIFY(!f.page.Chart1->isHidden());
    QCOMPARE(f.bars().points()[4].value, 77.0);
    // The table waits for the next scanned drive.
    QCOMPARE(f.page.gridSizes->cell(2, 8), QStringLiteral("5.005"));
}

void tst_SizesPage::runWithoutFilesShowsZeroEverywhereAndTwelveEmptyBars()
{
    SizesFixture f;
    f.harness.stats = Statistics{};
    f.page.doFileSizes();
    for (int row = 1; row <= 12; ++row) {
        QCOMPARE(f.page.gridSizes->cell(1, row), QStringLiteral("0"));
        QCOMPARE(f.page.gridSizes->cell(2, row), QStringLiteral("0"));
    }
    for (int view : {1, 2}) {
        f.page.rgSize[static_cast<std::size_t>(view)]->click();
        QCOMPARE(f.bars().points().size(), std::size_t(12));
        for (const chart::ChartPoint &p : f.bars().points())
            QCOMPARE(p.value, 0.0);
    }
    // Nothing to share out: the marks read 0 % rather than a division by zero.
    const chart::ChartLayout layout(f.page.Chart1->model(), QRectF(0, 0, 616, 300));
    for (const chart::MarkItem &mark : layout.geometry().marks)
        QCOMPARE(mark.text, QStringLiteral("0 %"));
}

void tst_SizesPage::marksShowSharesAndTheLegendListsValuesTopDown()
{
    SizesFixture f;
    f.harness.stats = Statistics{};
    f.harness.stats.sizeBandCount[1] = 3;
    f.harness.stats.sizeBandCount[2] = 1;
    f.harness.stats.sizeBandCount[12] = 4;
    f.page.rgSize[2]->click();
    const chart::ChartLayout layout(f.page.Chart1->model(), QRectF(0, 0, 616, 300));
    const chart::ChartGeometry &g = layout.geometry();
    QStringList marks;
    for (const chart::MarkItem &mark : g.marks)
        marks << mark.text;
    QCOMPARE(marks.size(), 12);
    QCOMPARE(marks[0], QStringLiteral("37,5 %")); // 3 of 8, with the locale's decimal comma
    QCOMPARE(marks[1], QStringLiteral("12,5 %"));
    QCOMPARE(marks[11], QStringLiteral("50 %"));
    QVERIFY(g.horizontalBars);
    for (const chart::BarItem &bar : g.bars)
        QVERIFY(bar.gradient);

    // The legend reads like the bars, top down: the largest band first.
    QCOMPARE(g.legend.size(), std::size_t(12));
    QCOMPARE(g.legend.front().text, QStringLiteral("4"));
    QCOMPARE(g.legend.front().color, kPaletteColours[11]);
    QCOMPARE(g.legend.back().text, QStringLiteral("3"));
    QCOMPARE(g.legend.back().color, kPaletteColours[0]);
    for (const chart::LegendItem &item : g.legend)
        QCOMPARE(item.swatch.width(), 15.0);
    QVERIFY(g.legendRect.left() > g.plot.right());
}

void tst_SizesPage::everyRedrawUndoesTheUserZoom()
{
    SizesFixture f;
    f.page.doFileSizes();
    QVERIFY(f.page.Chart1->model().settings().userZoomAllowed);
    const chart::UserZoom zoom{{0.5, 2.0}, {0.0, 3.0}};
    f.page.Chart1->model().zoomTo(zoom);
    QVERIFY(f.page.Chart1->model().isZoomed());
    f.page.rgSize[2]->click();
    QVERIFY(!f.page.Chart1->model().isZoomed());

    f.page.Chart1->model().zoomTo(zoom);
    f.page.doFileSizes();
    QVERIFY(!f.page.Chart1->model().isZoomed());
}

void tst_SizesPage::selectHandlerTakesRowsOfFiguresOnly_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("taken");
    QTest::newRow("first band cell") << 0 << 1 << true;
    QTest::newRow("last band cell") << 2 << 12 << true;
    QTest::newRow("heading") << 1 << 0 << false;
    QTest::newRow("wide date table") << 6 << 10 << true;
}

void tst_SizesPage::selectHandlerTakesRowsOfFiguresOnly()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(bool, taken);
    QCOMPARE(gridSizesSelectCell(column, row), taken);
}

// A row is picked whole, by a click or the keys, so that Enter can open its
// files; the table starts with none.
void tst_SizesPage::rowsArePickedByMouseOrKeyboard()
{
    SizesFixture f;
    f.page.doFileSizes();
    f.page.rgSize[0]->click();
    f.showOnScreen();
    StringGrid &grid = *f.page.gridSizes;
    QVERIFY(grid.isVisible());
    QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(20, 20));
    QVERIFY(grid.rowSelect());
    QVERIFY(grid.focusPolicy() & Qt::ClickFocus);
    grid.setFocus();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(1, 6).center());
    QCOMPARE(grid.row(), 6);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.row(), 7);
    QTest::keyClick(&grid, Qt::Key_Home);
    QCOMPARE(grid.row(), 1);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.row(), 1); // never the heading
}

void tst_SizesPage::cellTextStartsThreePixelsInOrEndsThreePixelsBeforeTheRightEdge_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("label column, from the left") << 0 << "Over 16MB";
    QTest::newRow("size column, to the right") << 1 << "18.874.375";
    QTest::newRow("files column, to the right") << 2 << "12.012";
}

void tst_SizesPage::cellTextStartsThreePixelsInOrEndsThreePixelsBeforeTheRightEdge()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    SizesFixture f;
    f.page.doFileSizes();
    const QRect cell(40, 57, f.page.gridSizes->colWidth(column), 19);
    TextRecorder recorder(QSize(400, 200));
    QPainter painter(&recorder);
    painter.setFont(cellFont());
    gridSizesDrawCell(*f.page.gridSizes, painter, cell, column, 1);
    painter.end();

    QCOMPARE(recorder.texts.size(), std::size_t(1));
    const RecordedText &drawn = recorder.texts.front();
    QCOMPARE(drawn.text, text);
    if (column == 0)
        QCOMPARE(drawn.origin.x(), 43.0);
    else
        QCOMPARE(drawn.origin.x() + drawn.width, double(40 + cell.width() - 3));
    // The line's top lies 2 pixels below the cell's top edge.
    const QFontMetricsF metrics(cellFont(), &recorder);
    QCOMPARE(drawn.origin.y() - metrics.ascent(), 59.0);
    QVERIFY(drawn.clipped);
    QCOMPARE(drawn.clip, QRectF(cell));
}

void tst_SizesPage::cellTextIsClippedToItsCell_data()
{
    QTest::addColumn<int>("column");
    QTest::newRow("left-aligned") << 0;
    QTest::newRow("right-aligned") << 1;
}

void tst_SizesPage::cellTextIsClippedToItsCell()
{
    QFETCH(int, column);
    SizesFixture f;
    f.page.gridSizes->setCell(column, 1, QStringLiteral("88888888888888888888888888888888"));
    QImage image(400, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect cell(150, 30, 60, 19);
    QPainter painter(&image);
    painter.setFont(cellFont());
    painter.setPen(Qt::black);
    gridSizesDrawCell(*f.page.gridSizes, painter, cell, column, 1);
    painter.end();

    int inside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (!inked(image, x, y))
                continue;
            QVERIFY2(cell.contains(x, y), qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
            ++inside;
        }
    QVERIFY(inside > 50);
}

void tst_SizesPage::tableDrawsItsCellsThroughTheSharedHandler()
{
    SizesFixture f;
    f.page.doFileSizes();
    f.page.rgSize[0]->click();
    f.showOnScreen();
    StringGrid &grid = *f.page.gridSizes;
    TextRecorder recorder(grid.size());
    QPainter painter(&recorder);
    grid.render(&painter);
    painter.end();

    const auto find = [&recorder](const QString &text) -> const RecordedText * {
        for (const RecordedText &t : recorder.texts)
            if (t.text == text)
                return &t;
        return nullptr;
    };
    const QPoint offset = grid.viewport()->mapTo(&grid, QPoint(0, 0));
    const RecordedText *label = find(QStringLiteral("0 - 16K"));
    QVERIFY(label);
    QCOMPARE(label->origin.x(), double(offset.x() + grid.cellRect(0, 12).left() + 3));
    const RecordedText *files = find(QStringLiteral("1.001"));
    QVERIFY(files);
    const QRect cell = grid.cellRect(2, 12);
    QCOMPARE(files->origin.x() + files->width, double(offset.x() + cell.left() + cell.width() - 3));
    QVERIFY(find(QStringLiteral("Number of files")));
}

void tst_SizesPage::scannedFilesFallInTheirBandsAtTheBounds()
{
    ViewsEnvironment env;
    // Besides the seven small files of the tree: the bounds of the first and
    // the last bands. The large ones are sparse, so nothing is written.
    const QString dir = env.c.path() + QStringLiteral("/bounds");
    QVERIFY(QDir().mkpath(dir));
    for (const qint64 size : {16384LL, 16385LL, 16777216LL, 16777217LL}) {
        QFile file(dir + QStringLiteral("/f%1.dat").arg(size));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
    }
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"c: [sys]"}));

    const StringGrid &grid = *w.sizesPage->gridSizes;
    QCOMPARE(grid.rowTexts(12), QStringList({"0 - 16K", "36,693", "8"}));
    QCOMPARE(grid.rowTexts(11), QStringList({"16K - 32K", "16,385", "1"}));
    QCOMPARE(grid.rowTexts(2), QStringList({"8MB - 16MB", "16,777,216", "1"}));
    QCOMPARE(grid.rowTexts(1), QStringList({"Over 16MB", "16,777,217", "1"}));
    for (int row = 3; row <= 10; ++row)
        QCOMPARE(grid.rowTexts(row).mid(1), QStringList({"0", "0"}));
    const auto &points = w.sizesPage->Series1->points();
    QCOMPARE(points.size(), std::size_t(12));
    QCOMPARE(points[0].value, 36693 / kMB);
    QCOMPARE(points[11].value, 16777217 / kMB);
}

void tst_SizesPage::copyAndCsvGiveTheHeadingsAndTheFiguresOfTheTable()
{
    SizesFixture f;
    f.page.doFileSizes();
    f.page.rgSize[0]->click();
    // The copy as the table shows it, the file with plain numbers, largest
    // band first.
    const QStringList headings = {"File size", "Total file size", "Number of files"};
    QList<QStringList> shown{headings};
    QList<QStringList> plain{headings};
    for (int row = 1; row <= kSizeBands; ++row) {
        const int band = kSizeBands + 1 - row;
        shown << f.page.gridSizes->rowTexts(row);
        plain << QStringList{kBandLabels[band - 1], QString::number(qint64(bandBytes(band))),
                             QString::number(qint64(bandFiles(band)))};
    }
    QCOMPARE(shown[1], QStringList({"Over 16MB", "18.874.375", "12.012"}));
    QCOMPARE(shown[12], QStringList({"0 - 16K", "1.572.871", "1.001"}));

    markClipboard();
    f.page.sizesTable->copyAction()->trigger();
    QCOMPARE(clipboardText(), tsvLines(shown));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("sizes.csv"));
    RecordingMessages messages;
    CsvChooserStub chooser(path);
    f.page.sizesTable->saveAction()->trigger();
    QCOMPARE(chooser.suggestedName, QStringLiteral("File sizes.csv"));
    QVERIFY(messages.shown().empty());
    QCOMPARE(fileBytes(path), csvLines(plain));
    QVERIFY(fileBytes(path).contains("Over 16MB,18874375,12012\r\n"));
}

void tst_SizesPage::rightClickAndCtrlCOnTheTableCopyItAndSelectNothing()
{
    SizesFixture f;
    f.page.doFileSizes();
    f.page.rgSize[0]->click();
    f.showOnScreen();
    StringGrid &grid = *f.page.gridSizes;
    QMenu *menu = grid.contextMenu();
    QVERIFY(menu);
    QCOMPARE(menu, f.page.sizesTable->menu());
    QCOMPARE(captions(*menu), QStringList({"Show files", "-", "Copy", "Save as CSV…"}));
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, grid.cellRect(1, 4).center());
    QTRY_VERIFY(menu->isVisible());
    menu->hide();

    markClipboard();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QList<QStringList> shown;
    for (int row = 0; row <= kSizeBands; ++row)
        shown << grid.rowTexts(row);
    QCOMPARE(clipboardText(), tsvLines(shown));
    QVERIFY(clipboardText().startsWith(QStringLiteral(
        "File size\tTotal file size\tNumber of files\nOver 16MB\t18.874.375\t12.012\n")));
    QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(20, 20));
}

QTEST_MAIN(tst_SizesPage)
#include "tst_SizesPage.moc"
