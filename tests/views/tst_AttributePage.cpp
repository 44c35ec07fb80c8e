#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "ChartReading.h"
#include "ExportFixture.h"
#include "PageFixture.h"
#include "ScanFixture.h"
#include "views/AttributePage.h"
#include "widgets/FontSubstitutes.h"

#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <sys/stat.h>

using namespace vorin;
using namespace vorin::testing;

namespace {

struct AttributeSetup
{
    ViewsEnvironment env;
    PageHarness harness{env.services};
    AttributePage page{harness.page(8), harness.context};
};

using testing::marksOf;
using testing::valuesOf;

// The four counts and the four sizes as the page shows them, hidden first.
QStringList figures(const AttributePage &p)
{
    return {p.lblNHidden->text(),    p.lblSzHidden->text(), p.lblNReadOnly->text(),
            p.lblSzReadOnly->text(), p.lblNSystem->text(),  p.lblSzSystem->text(),
            p.lblNArchive->text(),   p.lblSzArchive->text()};
}

// Where a bar is seen, on the page: the middle of its front face, half way
// into the depth.
double barMiddleOnPage(const chart::Chart &c, int point)
{
    const chart::ChartLayout layout(c.model(), QRectF(QPointF(0, 0), QSizeF(c.size())));
    for (const chart::BarItem &bar : layout.geometry().bars)
        if (bar.point == point) {
            const chart::Point3D middle{bar.front.left(), bar.front.center().y(),
                                        (bar.z0 + bar.z1) / 2.0};
            return c.y() + layout.geometry().projection.map(middle).y();
        }
    return -1000;
}

} // namespace

class tst_AttributePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installFontSubstitutes(); }
    void tableHasItsRowsHeadingsAndNote();
    void figuresAreEmptyUntilTheFirstRun();
    void chartsAreBareBarChartsOfFourBars();
    void oneHiddenSystemFileGivesHalfAndHalf();
    void sharesAreOfTheFourAttributesTogether_data();
    void sharesAreOfTheFourAttributesTogether();
    void noAttributesShowZerosAndEmptyCharts();
    void barsStandLevelWithTheirRows();
    void laterFiguresReplaceEverything();
    void scanCountsHiddenReadOnlyAndSystemFiles();
    void copyAndCsvGiveTheFiguresWithTheirHeadingsAndShares();
    void copyBeforeTheFirstRunGivesTheRowNamesOnly();
    void rightClickOnThePageOffersTheTableAndOnAChartThePicture();
};

void tst_AttributePage::tableHasItsRowsHeadingsAndNote()
{
    AttributeSetup t;
    QWidget &page = *t.harness.page(8);
    const struct
    {
        const char *caption;
        QLabel *count;
        QLabel *size;
        const char *countName;
        const char *sizeName;
    } rows[] = {
        {"Hidden", t.page.lblNHidden, t.page.lblSzHidden, "lblNHidden", "lblSzHidden"},
        {"Read-only", t.page.lblNReadOnly, t.page.lblSzReadOnly, "lblNReadOnly", "lblSzReadOnly"},
        {"System", t.page.lblNSystem, t.page.lblSzSystem, "lblNSystem", "lblSzSystem"},
        {"Archive", t.page.lblNArchive, t.page.lblSzArchive, "lblNArchive", "lblSzArchive"},
    };
    QMap<QString, QLabel *> byText;
    // The page's own labels; those of the changes panel repeat the captions.
    for (QLabel *label : page.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        if (!label->text().isEmpty())
            byText.insert(label->text(), label);
    int previousTop = -1;
    for (const auto &row : rows) {
        QLabel *name = byText.value(QString::fromLatin1(row.caption));
        QVERIFY2(name, row.caption);
        QVERIFY(name->font().bold());
        QCOMPARE(row.count->objectName(), QString::fromLatin1(row.countName));
        QCOMPARE(row.size->objectName(), QString::fromLatin1(row.sizeName));
        QVERIFY(page.isAncestorOf(row.count));
        QVERIFY(row.count->alignment() & Qt::AlignRight);
        QVERIFY(row.size->alignment() & Qt::AlignRight);
        // Each row's figures stand on its name's line, top to bottom.
        QCOMPARE(row.count->geometry().center().y(), name->geometry().center().y());
        QCOMPARE(row.size->geometry().center().y(), name->geometry().center().y());
        // A screen reader names the count by the row, and hears what the size is.
        QCOMPARE(labelledBy(row.count), QList<QObject *>{name});
        QCOMPARE(row.size->accessibleDescription(),
                 QStringLiteral("Size of %1 files").arg(name->text().toLower()));
        QVERIFY(name->geometry().top() > previousTop);
        previousTop = name->geometry().top();
    }

    // Headings left to right, bold, over their columns.
    const struct
    {
        const char *text;
        QWidget *column;
    } headings[] = {{"% of total # files", t.page.Chart2},
                    {"# Files", t.page.lblNHidden},
                    {"% of total size", t.page.Chart3},
                    {"File Sizes", t.page.lblSzHidden}};
    int previousX = -1;
    for (const auto &h : headings) {
        QLabel *heading = byText.value(QString::fromLatin1(h.text));
        QVERIFY2(heading, h.text);
        QVERIFY(heading->font().bold());
        QVERIFY(heading->geometry().bottom() < t.page.lblNHidden->geometry().top());
        QVERIFY(heading->geometry().left() > previousX);
        previousX = heading->geometry().left();
        const QRect column = h.column->geometry();
        QVERIFY(heading->geometry().left() < column.right());
        QVERIFY(heading->geometry().right() > column.left());
    }

    QLabel *note = byText.value(
        QStringLiteral("Note it is possible that some files may have more than one attribute "
                       "set.  For example many system files are also hidden."));
    QVERIFY(note);
    QVERIFY(note->wordWrap());
    QVERIFY(note->geometry().top() > t.page.lblNArchive->geometry().bottom());
    QVERIFY(note->geometry().top() > t.page.Chart2->geometry().bottom());
    // The whole note is seen: its wrapped lines fit its place.
    QVERIFY(note->heightForWidth(note->width()) <= note->height());
    QVERIFY(note->geometry().right() < 628);
}

void tst_AttributePage::figuresAreEmptyUntilTheFirstRun()
{
    AttributeSetup t;
    QCOMPARE(figures(t.page), QStringList(8, QString()));
    QVERIFY(t.page.HorizBarSeries4->points().empty());
    QVERIFY(t.page.HorizBarSeries5->points().empty());
}

void tst_AttributePage::chartsAreBareBarChartsOfFourBars()
{
    AttributeSetup t;
    const struct
    {
        const chart::Chart *chart;
        const chart::ChartSeries *series;
        const char *name;
        QColor colour;
    } charts[] = {{t.page.Chart2, t.page.HorizBarSeries4, "Chart2", QColor(255, 0, 0)},
                  {t.page.Chart3, t.page.HorizBarSeries5, "Chart3", QColor(0, 0, 255)}};
    for (const auto &c : charts) {
        QCOMPARE(c.chart->objectName(), QString::fromLatin1(c.name));
        QVERIFY(t.harness.page(8)->isAncestorOf(c.chart));
        QVERIFY(qAbs(c.chart->width() - 158) <= 5);
        QVERIFY(qAbs(c.chart->height() - 105) <= 10);
        const chart::ChartSettings &s = c.chart->model().settings();
        QVERIFY(!s.titleVisible || s.titleLines.isEmpty());
        QVERIFY(!s.legend.visible);
        QVERIFY(!s.leftAxis.visible);
        QVERIFY(!s.bottomAxis.visible);
        QVERIFY(!s.frameVisible);
        QVERIFY(!s.userZoomAllowed);
        QVERIFY(s.view.enabled);
        QCOMPARE(s.view.depthPercent, 25);
        QCOMPARE(s.pointsPerPage, 4);
        QCOMPARE(c.chart->model().seriesCount(), 1);
        QCOMPARE(&c.chart->model().series(0), c.series);
        QCOMPARE(c.series->kind(), chart::SeriesKind::HorizontalBar);
        QCOMPARE(c.series->markStyle(), chart::MarkStyle::Value);
        QCOMPARE(c.series->valueFormat(), QStringLiteral("#,##0.## %"));
        QCOMPARE(c.series->unit(), QStringLiteral("%"));
        QCOMPARE(c.series->color(), c.colour);
    }
}

void tst_AttributePage::oneHiddenSystemFileGivesHalfAndHalf()
{
    AttributeSetup t;
    Statistics &s = t.harness.stats;
    s.hiddenCount = 1;
    s.hiddenBytes = 1000;
    s.systemCount = 1;
    s.systemBytes = 1000;
    t.page.doFileAttrs();
    QCOMPARE(figures(t.page), (QStringList{"1", "1,000", "0", "0", "1", "1,000", "0", "0"}));
    // Added archive, system, read-only, hidden: the hidden bar on top.
    const QList<double> shares{0, 50, 0, 50};
    QCOMPARE(valuesOf(*t.page.HorizBarSeries4), shares);
    QCOMPARE(valuesOf(*t.page.HorizBarSeries5), shares);
    for (std::size_t i = 0; i < 4; ++i) {
        QCOMPARE(t.page.HorizBarSeries4->pointColor(i), QColor(255, 0, 0));
        QCOMPARE(t.page.HorizBarSeries5->pointColor(i), QColor(0, 0, 255));
        QVERIFY(t.page.HorizBarSeries4->points()[i].label.isEmpty());
    }
    const QStringList shown{"0 %", "50 %", "0 %", "50 %"};
    QCOMPARE(marksOf(*t.page.Chart2), shown);
    QCOMPARE(marksOf(*t.page.Chart3), shown);
}

void tst_AttributePage::sharesAreOfTheFourAttributesTogether_data()
{
    QTest::addColumn<QList<qint64>>("counts"); // hidden, read-only, system, archive
    QTest::addColumn<QList<double>>("bytes");
    QTest::addColumn<QList<double>>("fileShares"); // archive, system, read-only, hidden
    QTest::addColumn<QList<double>>("sizeShares");
    QTest::addColumn<QStringList>("fileMarks");
    QTest::newRow("one of each") << QList<qint64>{1, 1, 1, 1} << QList<double>{1, 1, 1, 1}
                                 << QList<double>{25, 25, 25, 25} << QList<double>{25, 25, 25, 25}
                                 << QStringList{"25 %", "25 %", "25 %", "25 %"};
    QTest::newRow("thirds") << QList<qint64>{0, 1, 0, 2} << QList<double>{0, 0, 0, 10}
                            << QList<double>{200.0 / 3, 0, 100.0 / 3, 0}
                            << QList<double>{100, 0, 0, 0}
                            << QStringList{"66.67 %", "0 %", "33.33 %", "0 %"};
    QTest::newRow("only archive files")
        << QList<qint64>{0, 0, 0, 7} << QList<double>{0, 0, 0, 7e9} << QList<double>{100, 0, 0, 0}
        << QList<double>{100, 0, 0, 0} << QStringList{"100 %", "0 %", "0 %", "0 %"};
    QTest::newRow("counted files without bytes")
        << QList<qint64>{2, 0, 2, 0} << QList<double>{0, 0, 0, 0} << QList<double>{0, 50, 0, 50}
        << QList<double>{} << QStringList{"0 %", "50 %", "0 %", "50 %"};
}

void tst_AttributePage::sharesAreOfTheFourAttributesTogether()
{
    QFETCH(QList<qint64>, counts);
    QFETCH(QList<double>, bytes);
    QFETCH(QList<double>, fileShares);
    QFETCH(QList<double>, sizeShares);
    QFETCH(QStringList, fileMarks);
    AttributeSetup t;
    Statistics &s = t.harness.stats;
    s.hiddenCount = counts[0];
    s.readOnlyCount = counts[1];
    s.systemCount = counts[2];
    s.archiveCount = counts[3];
    s.hiddenBytes = bytes[0];
    s.readOnlyBytes = bytes[1];
    s.systemBytes = bytes[2];
    s.archiveBytes = bytes[3];
    t.page.doFileAttrs();
    const QList<double> files = valuesOf(*t.page.HorizBarSeries4);
    const QList<double> sizes = valuesOf(*t.page.HorizBarSeries5);
    QCOMPARE(files.size(), fileShares.size());
    for (qsizetype i = 0; i < files.size(); ++i)
        QVERIFY(qAbs(files[i] - fileShares[i]) < 1e-9);
    QCOMPARE(sizes.size(), sizeShares.size());
    for (qsizetype i = 0; i < sizes.size(); ++i)
        QVERIFY(qAbs(sizes[i] - sizeShares[i]) < 1e-9);
    QCOMPARE(marksOf(*t.page.Chart2), fileMarks);
}

void tst_AttributePage::noAttributesShowZerosAndEmptyCharts()
{
    AttributeSetup t;
    t.harness.stats.hiddenCount = 3;
    t.harness.stats.hiddenBytes = 30;
    t.page.doFileAttrs();
    QCOMPARE(t.page.HorizBarSeries4->points().size(), std::size_t(4));

    // The next run finds files, but none with any of the four attributes.
    t.harness.stats = Statistics{};
    t.harness.stats.filesSelected = 12;
    t.page.doFileAttrs();
    QCOMPARE(figures(t.page), QStringList(8, QStringLiteral("0")));
    QVERIFY(t.page.HorizBarSeries4->points().empty());
    QVERIFY(t.page.HorizBarSeries5->points().empty());
    QVERIFY(marksOf(*t.page.Chart2).isEmpty());
}

void tst_AttributePage::barsStandLevelWithTheirRows()
{
    AttributeSetup t;
    Statistics &s = t.harness.stats;
    s.hiddenCount = 4;
    s.readOnlyCount = 3;
    s.systemCount = 2;
    s.archiveCount = 1;
    s.hiddenBytes = 1;
    s.readOnlyBytes = 2;
    s.systemBytes = 3;
    s.archiveBytes = 4;
    t.page.doFileAttrs();
    // Bar 0 is archive, bar 3 hidden.
    const QLabel *rows[] = {t.page.lblNArchive, t.page.lblNSystem, t.page.lblNReadOnly,
                            t.page.lblNHidden};
    for (const chart::Chart *c : {t.page.Chart2, t.page.Chart3})
        for (int point = 0; point < 4; ++point) {
            const double bar = barMiddleOnPage(*c, point);
            const double row = rows[point]->geometry().center().y();
            QVERIFY2(qAbs(bar - row) <= 3.0, qPrintable(QStringLiteral("%1 bar %2 at %3, row at %4")
                                                            .arg(c->objectName())
                                                            .arg(point)
                                                            .arg(bar)
                                                            .arg(row)));
        }
}

void tst_AttributePage::laterFiguresReplaceEverything()
{
    AttributeSetup t;
    t.harness.stats.readOnlyCount = 5;
    t.harness.stats.readOnlyBytes = 5000;
    t.harness.stats.archiveCount = 5;
    t.harness.stats.archiveBytes = 15000;
    t.page.doFileAttrs();
    QCOMPARE(valuesOf(*t.page.HorizBarSeries5), (QList<double>{75, 0, 25, 0}));

    t.harness.stats = Statistics{};
    t.harness.stats.systemCount = 1234;
    t.harness.stats.systemBytes = 9876543.4;
    t.page.doFileAttrs();
    QCOMPARE(figures(t.page), (QStringList{"0", "0", "0", "0", "1,234", "9,876,543", "0", "0"}));
    QCOMPARE(valuesOf(*t.page.HorizBarSeries4), (QList<double>{0, 100, 0, 0}));
    QCOMPARE(valuesOf(*t.page.HorizBarSeries5), (QList<double>{0, 100, 0, 0}));
}

// A real scan: a hidden file, a read-only file, a hidden pipe (hidden and
// system) and a plain file; then a second run without the read-only file.
void tst_AttributePage::scanCountsHiddenReadOnlyAndSystemFiles()
{
    ViewsEnvironment env;
    QTemporaryDir root;
    addDrive(env, 'f', root, "flags", 4096);
    writeFile(root.filePath(QStringLiteral(".profile")), 1000);
    const QString readOnly = root.filePath(QStringLiteral("frozen.txt"));
    writeFile(readOnly, 300);
    QVERIFY(::chmod(QFile::encodeName(readOnly).constData(), 0444) == 0);
    QVERIFY(::mkfifo(QFile::encodeName(root.filePath(QStringLiteral(".pipe"))).constData(), 0644) ==
            0);
    writeFile(root.filePath(QStringLiteral("plain.txt")), 200);

    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"f: [flags]"}));
    QCOMPARE(w.statistics().filesSelected, 4);
    const AttributePage &page = *w.attributePage;
    QCOMPARE(figures(page), (QStringList{"2", "1,000", "1", "300", "1", "0", "0", "0"}));
    QCOMPARE(valuesOf(*page.HorizBarSeries4), (QList<double>{0, 25, 25, 50}));
    QCOMPARE(marksOf(*page.Chart3), (QStringList{"0 %", "0 %", "23.08 %", "76.92 %"}));

    QVERIFY(QFile::remove(readOnly));
    runAndWait(w, allFilesOf({"f: [flags]"}));
    QCOMPARE(figures(page), (QStringList{"2", "1,000", "0", "0", "1", "0", "0", "0"}));
    QCOMPARE(marksOf(*page.Chart2), (QStringList{"0 %", "33.33 %", "0 %", "66.67 %"}));
    QCOMPARE(valuesOf(*page.HorizBarSeries5), (QList<double>{0, 0, 0, 100}));
}

namespace {

// Shares of the files 60, 20, 0, 20 %; of the bytes 50, 20, 0, 30 %.
void fillRoundShares(Statistics &s)
{
    s.hiddenCount = 3000;
    s.hiddenBytes = 1'250'000;
    s.readOnlyCount = 1000;
    s.readOnlyBytes = 500'000;
    s.systemCount = 0;
    s.systemBytes = 0;
    s.archiveCount = 1000;
    s.archiveBytes = 750'000;
}

const QStringList kHeadings = {"Attribute", "% of total # files", "# Files", "% of total size",
                               "File Sizes"};

} // namespace

void tst_AttributePage::copyAndCsvGiveTheFiguresWithTheirHeadingsAndShares()
{
    AttributeSetup t;
    fillRoundShares(t.harness.stats);
    t.page.doFileAttrs();
    // The shares as the bars' marks show them, hidden at the top.
    QCOMPARE(marksOf(*t.page.Chart2), QStringList({"20 %", "0 %", "20 %", "60 %"}));
    QCOMPARE(marksOf(*t.page.Chart3), QStringList({"30 %", "0 %", "20 %", "50 %"}));

    markClipboard();
    t.page.attributeTable->copyAction()->trigger();
    QCOMPARE(clipboardText(), tsvLines({kHeadings,
                                        {"Hidden", "60 %", "3,000", "50 %", "1,250,000"},
                                        {"Read-only", "20 %", "1,000", "20 %", "500,000"},
                                        {"System", "0 %", "0", "0 %", "0"},
                                        {"Archive", "20 %", "1,000", "30 %", "750,000"}}));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("attributes.csv"));
    CsvChooserStub chooser(path);
    t.page.attributeTable->saveAction()->trigger();
    QCOMPARE(chooser.suggestedName, QStringLiteral("Attributes.csv"));
    QVERIFY(t.env.messages.shown().empty());
    QCOMPARE(fileBytes(path), csvLines({kHeadings,
                                        {"Hidden", "60 %", "3000", "50 %", "1250000"},
                                        {"Read-only", "20 %", "1000", "20 %", "500000"},
                                        {"System", "0 %", "0", "0 %", "0"},
                                        {"Archive", "20 %", "1000", "30 %", "750000"}}));
}

void tst_AttributePage::copyBeforeTheFirstRunGivesTheRowNamesOnly()
{
    AttributeSetup t;
    markClipboard();
    t.page.attributeTable->copyTable();
    QCOMPARE(clipboardText(), tsvLines({kHeadings,
                                        {"Hidden", "", "", "", ""},
                                        {"Read-only", "", "", "", ""},
                                        {"System", "", "", "", ""},
                                        {"Archive", "", "", "", ""}}));
}

void tst_AttributePage::rightClickOnThePageOffersTheTableAndOnAChartThePicture()
{
    AttributeSetup t;
    fillRoundShares(t.harness.stats);
    t.page.doFileAttrs();
    Notebook &book = t.harness.notebook;
    book.show();
    QVERIFY(book.setPageIndex(8));
    QVERIFY(QTest::qWaitForWindowExposed(&book));
    QWidget &page = *t.harness.page(8);
    QMenu *menu = t.page.attributeTable->menu();
    QCOMPARE(captions(*menu), QStringList({"Show files", "-", "Copy", "Save as CSV…"}));

    // On a figure: the table's menu.
    const QPoint onFigure = t.page.lblSzReadOnly->geometry().center();
    QTest::mouseClick(book.windowHandle(), Qt::RightButton, {}, page.mapTo(&book, onFigure));
    QTRY_VERIFY(menu->isVisible());
    menu->hide();

    // On a share chart: its picture menu instead.
    const QPoint onChart = t.page.Chart3->geometry().center();
    QTest::mouseClick(book.windowHandle(), Qt::RightButton, {}, page.mapTo(&book, onChart));
    QTRY_VERIFY(t.page.Chart3->pictureMenu()->isVisible());
    QVERIFY(!menu->isVisible());
    t.page.Chart3->pictureMenu()->hide();

    // Ctrl+C on the page, which a click or Tab gives the focus.
    QCOMPARE(page.focusPolicy(), Qt::StrongFocus);
    markClipboard();
    QTest::keyClick(&page, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(clipboardText().startsWith(tsvLines({kHeadings}) +
                                       "Hidden\t60 %\t3,000\t50 %\t1,250,000\n"));

    // From the keyboard: Tab stops at the page, named for a screen reader,
    // before its charts; the menu key opens the page's menu, whose "Show
    // files" then asks which row, not the row last right-clicked.
    QCOMPARE(tabStops(book, 3), (QList<QWidget *>{&page, t.page.Chart2, t.page.Chart3}));
    QCOMPARE(page.accessibleName(), QStringLiteral("Attributes"));
    book.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&book));
    book.setFocus();
    const QImage unfocused = page.grab().toImage();
    QTest::keyClick(&book, Qt::Key_Tab);
    QVERIFY(page.hasFocus());
    QVERIFY(page.grab().toImage() != unfocused); // a frame shows where the keys go
    QTest::keyClick(&page, Qt::Key_Menu);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    menu->actions().constFirst()->trigger();
    auto *choice = page.findChild<QMenu *>(QStringLiteral("FigureChoice"));
    QVERIFY(choice);
    QCOMPARE(choice->actions().size(), 4);
}

QTEST_MAIN(tst_AttributePage)
#include "tst_AttributePage.moc"
