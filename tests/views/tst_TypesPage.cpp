#include "chart/Chart.h"
#include "ExportFixture.h"
#include "PageFixture.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "selection/TypeFilter.h"
#include "views/TypesPage.h"
#include "widgets/MenuButton.h"
#include "widgets/Notebook.h"
#include "widgets/StringGrid.h"

#include <algorithm>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vorin;
using namespace vorin::testing;

namespace {

enum View { Listing = 0, PieBySize = 1, PieByFiles = 2, PieByAverage = 3 };

// The machine the page sees: only the file-type register and the number
// separators matter to it.
struct Machine
{
    explicit Machine(LocaleSeparators locale = {}) : services{volumes, settings, registry, locale}
    {}
    FakeVolumes volumes;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    Services services;
};

// A Types page in the notebook of a harness whose figures the test writes.
struct TypesFixture
{
    explicit TypesFixture(LocaleSeparators locale = {})
        : machine(locale), harness(machine.services), page(harness.page(1), harness.context)
    {
        harness.notebook.show();
        harness.notebook.setPageIndex(1);
        page.writeHeadings();
    }

    // Adds a line to the run's per-type totals, keeping them in key order.
    void addType(const std::string &key, std::int64_t files, std::int64_t bytes)
    {
        std::vector<TypeTotal> &types = harness.stats.lbTypes;
        types.push_back(TypeTotal{key, files, bytes});
        std::sort(types.begin(), types.end(),
                  [](const TypeTotal &a, const TypeTotal &b) { return a.key < b.key; });
    }

    void choose(View view) { page.rgTypesItems.at(static_cast<std::size_t>(view))->click(); }
    void fill(View view, const TypeFilter &filter = TypeFilter())
    {
        choose(view);
        page.doFileTypes(filter);
    }

    [[nodiscard]] StringGrid &grid() { return *page.gridTypes; }
    [[nodiscard]] QStringList column(int c)
    {
        return grid().columnTexts(c).mid(1, grid().rowCount() - 2);
    }
    [[nodiscard]] QStringList footer() { return grid().rowTexts(grid().rowCount() - 1); }
    [[nodiscard]] const std::vector<chart::ChartPoint> &slices() const
    {
        return page.Series2->points();
    }
    [[nodiscard]] QString checkedSort() const
    {
        QString names;
        for (QAction *action : page.PopupMenu1->actions())
            if (action->isChecked())
                names += action->objectName();
        return names;
    }

    Machine machine;
    PageHarness harness;
    TypesPage page;
};

// Thirteen types whose order by size, by number of files and by average size
// all differ: type k has k + 1 files and (13 - k) * 1000 + k bytes.
void addThirteenTypes(TypesFixture &f)
{
    for (int k = 0; k < 13; ++k)
        f.addType(".T" + std::to_string(k + 10), k + 1, (13 - k) * 1000 + k);
}

} // namespace

class tst_TypesPage : public QObject
{
    Q_OBJECT

private slots:
    void tableShowsKeyDescriptionAndFiguresPerType();
    void averageIsRoundedToTheNearestWholeNumber_data();
    void averageIsRoundedToTheNearestWholeNumber();
    void listingWritesTheTotalsRow();
    void emptyRunShowsHeaderTotalsOfZeroAndAnEmptyPie();
    void chosenTypesWithoutFilesStandWithZeros();
    void chosenTypesOfExcludedRunsGetNoRow();
    void typeKeyOverFiveCharactersGetsNoRow_data();
    void typeKeyOverFiveCharactersGetsNoRow();
    void sortByFilesIsNumericAndByExtensionIsText();
    void sortMenuChecksOnlyTheSortJustDone_data();
    void sortMenuChecksOnlyTheSortJustDone();
    void fewerThanTwoTypesAreNeverSorted_data();
    void fewerThanTwoTypesAreNeverSorted();
    void sortMenuServesTheGridAndTheSortButton();
    void pieTakesTheLeadingTwelveTypesByItsMeasure_data();
    void pieTakesTheLeadingTwelveTypesByItsMeasure();
    void pieNeverTakesTheFooter();
    void pieSkipsTypesWithoutValue();
    void pieSlicesTakeThePaletteColoursInRowOrder();
    void pieMarksMergingAndLookAreSetUp();
    void viewSwitchingShowsTableOrPieAndRunsTheAnimationOnlyForPies();
    void rotationTickTurnsThePieAndMovesTheScrollBar();
    void scrollBarSetsTheRotation();
    void refillLeavesThePieTurningAsItWas();
    void clickOnThePieTogglesTheAnimationOnly();
    void columnsAfterTypeAreRightAligned();
    void numbersFollowALocaleWithoutCommas_data();
    void numbersFollowALocaleWithoutCommas();
    void copyAndCsvOfTheListingGiveItsHeadingsFiguresAndTotals_data();
    void copyAndCsvOfTheListingGiveItsHeadingsFiguresAndTotals();
    void ctrlCOnTheListingCopiesItInTheOrderShownAndKeepsTheSort();
};

void tst_TypesPage::tableShowsKeyDescriptionAndFiguresPerType()
{
    TypesFixture f;
    QCOMPARE(f.grid().accessibleName(), QStringLiteral("File types"));
    f.machine.registry.add(".doc", "Word.Document", "Microsoft Word Document");
    f.machine.registry.add(".log", "logfile");
    f.addType(".DOC", 3, 1234567);
    f.addType(".LOG", 2, 10);
    f.addType(".QQQ", 1, 0);
    f.addType("", 4, 4000);
    f.fill(Listing);

    QCOMPARE(f.grid().rowCount(), 6);
    QCOMPARE(f.grid().rowTexts(0),
             QStringList({"Extension", "Type", "Size", "# Files", "Avg File Size"}));
    QCOMPARE(f.grid().rowTexts(1), QStringList({"", "", "4,000", "4", "1,000"}));
    QCOMPARE(f.grid().rowTexts(2),
             QStringList({".DOC", "Microsoft Word Document", "1,234,567", "3", "411,522"}));
    QCOMPARE(f.grid().rowTexts(3), QStringList({".LOG", "logfile", "10", "2", "5"}));
    QCOMPARE(f.grid().rowTexts(4), QStringList({".QQQ", "QQQ File", "0", "1", "0"}));
}

void tst_TypesPage::averageIsRoundedToTheNearestWholeNumber_data()
{
    QTest::addColumn<qint64>("files");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("average");
    QTest::newRow("10 over 3") << qint64(3) << qint64(10) << "3";
    QTest::newRow("11 over 3") << qint64(3) << qint64(11) << "4";
    QTest::newRow("5 over 2, a half goes up") << qint64(2) << qint64(5) << "3";
    QTest::newRow("1 over 3") << qint64(3) << qint64(1) << "0";
    QTest::newRow("no bytes") << qint64(7) << qint64(0) << "0";
    QTest::newRow("no files") << qint64(0) << qint64(0) << "0";
    QTest::newRow("past 32 bits") << qint64(2) << qint64(10'000'000'001) << "5,000,000,001";
}

void tst_TypesPage::averageIsRoundedToTheNearestWholeNumber()
{
    QFETCH(qint64, files);
    QFETCH(qint64, bytes);
    QFETCH(QString, average);
    TypesFixture f;
    f.addType(".DAT", files, bytes);
    f.fill(Listing);
    QCOMPARE(f.grid().cell(4, 1), average);
}

void tst_TypesPage::listingWritesTheTotalsRow()
{
    TypesFixture f;
    f.addType(".A", 1000, 3'000'000'000);
    f.addType(".B", 2, 20);
    f.addType(".C", 300, 0);
    f.fill(PieBySize);
    // The pie leaves the footer as it was.
    QCOMPARE(f.footer(), QStringList({"", "", "", "", ""}));

    f.choose(Listing);
    QCOMPARE(f.grid().rowCount(), 5);
    QCOMPARE(f.footer(), QStringList({"", "Totals", "3,000,000,020", "1,302", ""}));
    QCOMPARE(f.grid().rowTexts(0),
             QStringList({"Extension", "Type", "Size", "# Files", "Avg File Size"}));
}

void tst_TypesPage::emptyRunShowsHeaderTotalsOfZeroAndAnEmptyPie()
{
    TypesFixture f;
    f.fill(Listing);
    QCOMPARE(f.grid().rowCount(), 2);
    QCOMPARE(f.grid().rowTexts(0),
             QStringList({"Extension", "Type", "Size", "# Files", "Avg File Size"}));
    QCOMPARE(f.grid().rowTexts(1), QStringList({"", "Totals", "0", "0", ""}));

    f.choose(PieBySize);
    QCOMPARE(f.grid().rowCount(), 2);
    QVERIFY(f.slices().empty());
    QVERIFY(!f.page.chartPie->isHidden());
    QCOMPARE(f.checkedSort(), QStringLiteral("SortbyExtension"));
}

void tst_TypesPage::chosenTypesWithoutFilesStandWithZeros()
{
    TypesFixture f;
    f.machine.registry.add(".doc", "Word.Document", "Microsoft Word Document");
    f.addType(".TXT", 3, 303);
    const std::vector<TypeTotal> before = f.harness.stats.lbTypes;
    const TypeFilter filter(false, true, false,
                            {"*.txt\tText Document", "*.DOC\tMicrosoft Word Document",
                             "*.jpeg\tJPEG image", "*.class\tJava class"});
    f.fill(Listing, filter);

    QCOMPARE(f.column(0), QStringList({".DOC", ".JPEG", ".TXT"}));
    QCOMPARE(f.grid().rowTexts(1), QStringList({".DOC", "Microsoft Word Document", "0", "0", "0"}));
    QCOMPARE(f.grid().rowTexts(2), QStringList({".JPEG", "JPEG File", "0", "0", "0"}));
    QCOMPARE(f.grid().rowTexts(3), QStringList({".TXT", "TXT File", "303", "3", "101"}));
    QCOMPARE(f.footer(), QStringList({"", "Totals", "303", "3", ""}));
    // The run's figures are the drives', not the page's.
    QVERIFY(f.harness.stats.lbTypes == before);

    // Filling again gives the same rows, not doubled ones.
    f.page.doFileTypes(filter);
    QCOMPARE(f.column(0), QStringList({".DOC", ".JPEG", ".TXT"}));
}

void tst_TypesPage::chosenTypesOfExcludedRunsGetNoRow()
{
    TypesFixture f;
    f.addType(".TXT", 3, 303);
    f.fill(Listing, TypeFilter(false, false, true, {"*.doc\tWord"}));
    QCOMPARE(f.column(0), QStringList({".TXT"}));
}

void tst_TypesPage::typeKeyOverFiveCharactersGetsNoRow_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("four after the dot") << "*.html\tHTML" << QStringList({".HTML", ".TXT"});
    QTest::newRow("five after the dot") << "*.class\tJava" << QStringList({".TXT"});
    QTest::newRow("far longer") << "*.toolong\tx" << QStringList({".TXT"});
}

void tst_TypesPage::typeKeyOverFiveCharactersGetsNoRow()
{
    QFETCH(QString, entry);
    QFETCH(QStringList, keys);
    TypesFixture f;
    f.addType(".TXT", 1, 1);
    f.fill(Listing, TypeFilter(false, true, false, {entry.toStdString()}));
    QCOMPARE(f.column(0), keys);
}

void tst_TypesPage::sortByFilesIsNumericAndByExtensionIsText()
{
    TypesFixture f;
    f.addType(".BAT", 1000, 1);
    f.addType(".B", 20, 2);
    f.addType("", 300, 3);
    f.fill(Listing);

    f.page.SortbyNumFiles->trigger();
    QCOMPARE(f.column(3), QStringList({"1,000", "300", "20"}));
    QCOMPARE(f.column(0), QStringList({".BAT", "", ".B"}));
    QCOMPARE(f.column(2), QStringList({"1", "3", "2"})); // rows move whole

    f.page.SortbyExtension->trigger();
    QCOMPARE(f.column(0), QStringList({"", ".B", ".BAT"}));
    QCOMPARE(f.column(3), QStringList({"300", "20", "1,000"}));

    f.page.SortbySize->trigger();
    QCOMPARE(f.column(2), QStringList({"3", "2", "1"}));
    // The footer stays below the rows it sums.
    QCOMPARE(f.footer(), QStringList({"", "Totals", "6", "1,320", ""}));
    QVERIFY(!QApplication::overrideCursor());
}

void tst_TypesPage::sortMenuChecksOnlyTheSortJustDone_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("sorted");
    // Descriptions: type k is "K File"; sizes, files and averages all order
    // the rows differently.
    QTest::newRow("extension") << "SortbyExtension" << 0 << QStringList({".AA", ".B", ".C"});
    QTest::newRow("type") << "SortbyType" << 1 << QStringList({"AA File", "B File", "C File"});
    QTest::newRow("size") << "SortbySize" << 2 << QStringList({"600", "500", "40"});
    QTest::newRow("files") << "SortbyNumFiles" << 3 << QStringList({"300", "5", "2"});
    QTest::newRow("average") << "SortbyAverageFileSize1" << 4 << QStringList({"250", "8", "2"});
}

void tst_TypesPage::sortMenuChecksOnlyTheSortJustDone()
{
    QFETCH(QString, item);
    QFETCH(int, column);
    QFETCH(QStringList, sorted);
    TypesFixture f;
    f.addType(".C", 2, 500);
    f.addType(".AA", 300, 600);
    f.addType(".B", 5, 500 - 460);
    f.fill(Listing);
    f.page.SortbyType->trigger();
    auto *action = f.page.PopupMenu1->findChild<QAction *>(item);
    QVERIFY(action);
    QVERIFY(f.page.PopupMenu1->actions().contains(action));
    // Twice: a second choice of the checked item keeps its mark.
    action->trigger();
    action->trigger();
    QCOMPARE(f.column(column), sorted);
    QCOMPARE(f.checkedSort(), item);
    QVERIFY(!QApplication::overrideCursor());
}

void tst_TypesPage::fewerThanTwoTypesAreNeverSorted_data()
{
    QTest::addColumn<int>("types");
    QTest::addColumn<bool>("sorted");
    QTest::newRow("none") << 0 << false;
    QTest::newRow("one") << 1 << false;
    QTest::newRow("two") << 2 << true;
}

void tst_TypesPage::fewerThanTwoTypesAreNeverSorted()
{
    QFETCH(int, types);
    QFETCH(bool, sorted);
    TypesFixture f;
    for (int k = 0; k < types; ++k)
        f.addType(".T" + std::to_string(k), k + 1, k + 1);
    f.fill(Listing);
    const QStringList before = f.column(0);
    f.page.SortbyNumFiles->trigger();
    QCOMPARE(f.checkedSort(),
             sorted ? QStringLiteral("SortbyNumFiles") : QStringLiteral("SortbyExtension"));
    QStringList expected = before;
    if (sorted)
        std::reverse(expected.begin(), expected.end());
    QCOMPARE(f.column(0), expected);
    QCOMPARE(f.grid().rowCount(), types + 2);
    QCOMPARE(f.footer().value(1), QStringLiteral("Totals"));
}

void tst_TypesPage::sortMenuServesTheGridAndTheSortButton()
{
    TypesFixture f;
    QCOMPARE(f.page.gridTypes->contextMenu(), f.page.PopupMenu1);
    QCOMPARE(f.page.btSort->popupMenu(), f.page.PopupMenu1);
    QCOMPARE(f.page.btSort->text(), QStringLiteral("&Sort"));
    // The files of the row first, then the five sorts, then, apart, the
    // copy and the save of the table.
    QCOMPARE(captions(*f.page.PopupMenu1),
             QStringList({"Show files", "-", "Sort by &Extension", "Sort by &Type", "Sort by &Size",
                          "Sort by &Number of files", "Sort by &Average File Size", "-", "Copy",
                          "Save as CSV…"}));
    const QList<QAction *> actions = f.page.PopupMenu1->actions().mid(2);
    for (int i = 0; i < 5; ++i)
        QVERIFY(actions[i]->isCheckable());
    QCOMPARE(actions.mid(0, 5),
             QList<QAction *>({f.page.SortbyExtension, f.page.SortbyType, f.page.SortbySize,
                               f.page.SortbyNumFiles, f.page.SortbyAverageFileSize1}));
    QCOMPARE(actions[6], f.page.typesTable->copyAction());
    QCOMPARE(actions[7], f.page.typesTable->saveAction());
    QVERIFY(!actions[6]->isCheckable());
    QVERIFY(!actions[7]->isCheckable());
    QCOMPARE(f.checkedSort(), QStringLiteral("SortbyExtension"));
}

void tst_TypesPage::pieTakesTheLeadingTwelveTypesByItsMeasure_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QString>("unit");
    // Type k: k + 1 files, (13 - k) * 1000 + k bytes.
    QList<double> bySize;
    for (int k = 0; k < 12; ++k)
        bySize << (13 - k) * 1000 + k;
    QList<double> byFiles;
    for (int k = 12; k > 0; --k)
        byFiles << k + 1;
    QList<double> byAverage;
    for (int k = 0; k < 12; ++k)
        byAverage << std::round(((13 - k) * 1000 + k) / double(k + 1));
    QTest::newRow("size") << int(PieBySize) << "SortbySize" << bySize << "bytes";
    QTest::newRow("files") << int(PieByFiles) << "SortbyNumFiles" << byFiles << "files";
    QTest::newRow("average") << int(PieByAverage) << "SortbyAverageFileSize1" << byAverage
                             << "bytes";
}

void tst_TypesPage::pieTakesTheLeadingTwelveTypesByItsMeasure()
{
    QFETCH(int, view);
    QFETCH(QString, checked);
    QFETCH(QList<double>, values);
    QFETCH(QString, unit);
    TypesFixture f;
    addThirteenTypes(f);
    f.fill(static_cast<View>(view));
    QCOMPARE(f.page.Series2->unit(), unit);

    QCOMPARE(f.checkedSort(), checked);
    QCOMPARE(f.slices().size(), std::size_t(12));
    QList<double> got;
    for (std::size_t s = 0; s < f.slices().size(); ++s) {
        got << f.slices()[s].value;
        // The label is the type's description, from the same row.
        QCOMPARE(f.slices()[s].label, f.grid().cell(1, static_cast<int>(s) + 1));
    }
    QCOMPARE(got, values);
}

void tst_TypesPage::pieNeverTakesTheFooter()
{
    TypesFixture f;
    for (int k = 0; k < 11; ++k)
        f.addType(".T" + std::to_string(k + 10), 1, 100 + k);
    f.fill(Listing);
    // The footer holds the totals now: more than any type.
    QCOMPARE(f.footer().value(2), QStringLiteral("1,155"));
    f.choose(PieBySize);
    QCOMPARE(f.slices().size(), std::size_t(11));
    double sum = 0;
    for (const chart::ChartPoint &slice : f.slices()) {
        QVERIFY(slice.label != QStringLiteral("Totals"));
        sum += slice.value;
    }
    QCOMPARE(sum, 1155.0);
}

void tst_TypesPage::pieSkipsTypesWithoutValue()
{
    TypesFixture f;
    f.addType(".A", 3, 300);
    f.addType(".B", 0, 0);
    f.addType(".C", 2, 0);
    f.addType(".D", 1, 10);
    f.fill(PieBySize);
    QCOMPARE(f.slices().size(), std::size_t(2));
    QCOMPARE(f.slices()[0].label, QStringLiteral("A File"));
    QCOMPARE(f.slices()[1].label, QStringLiteral("D File"));
    f.choose(PieByFiles);
    QCOMPARE(f.slices().size(), std::size_t(3));
}

void tst_TypesPage::pieSlicesTakeThePaletteColoursInRowOrder()
{
    TypesFixture f;
    addThirteenTypes(f);
    // A page before drew in one colour; the pie loads the palette again.
    f.harness.palette.initAColors(false, Qt::black);
    f.fill(PieBySize);
    const QList<QColor> palette = {
        QColor(255, 0, 0), QColor(128, 0, 0),   QColor(0, 0, 255),     QColor(255, 255, 0),
        QColor(0, 128, 0), QColor(0, 255, 0),   QColor(255, 0, 255),   QColor(0, 128, 128),
        QColor(0, 0, 128), QColor(0, 255, 255), QColor(255, 255, 255), QColor(128, 128, 128)};
    QCOMPARE(f.slices().size(), std::size_t(12));
    for (std::size_t s = 0; s < f.slices().size(); ++s)
        QCOMPARE(f.slices()[s].color, palette[static_cast<qsizetype>(s)]);
    QCOMPARE(f.harness.palette[12], QColor(128, 128, 128));
}

void tst_TypesPage::pieMarksMergingAndLookAreSetUp()
{
    TypesFixture f;
    const chart::ChartModel &model = f.page.chartPie->model();
    QCOMPARE(model.seriesCount(), 1);
    const chart::ChartSeries &pie = *f.page.Series2;
    QCOMPARE(&model.series(0), &pie);
    QCOMPARE(pie.kind(), chart::SeriesKind::Pie);
    QCOMPARE(pie.markStyle(), chart::MarkStyle::LabelAndPercent);
    QCOMPARE(pie.percentFormat(), QStringLiteral("##0.# %"));
    QCOMPARE(pie.otherThresholdPercent(), 5.0);
    QCOMPARE(pie.otherLabel(), QStringLiteral("Other"));
    QCOMPARE(pie.explodePercent(), 10);
    QVERIFY(!model.settings().legend.visible);
    QVERIFY(!model.settings().titleVisible || model.settings().titleLines.isEmpty());
    QVERIFY(model.settings().view.enabled);
    QCOMPARE(model.settings().view.depthPercent, 25);
    QCOMPARE(f.page.chartPie->hint(), QStringLiteral("Click on pie to toggle animation"));
}

void tst_TypesPage::viewSwitchingShowsTableOrPieAndRunsTheAnimationOnlyForPies()
{
    TypesFixture f;
    addThirteenTypes(f);
    // As the window is created: "Pie by Size", pie shown, nothing turning.
    QCOMPARE(f.page.rgTypesIndex(), 1);
    QVERIFY(f.page.btSort->isHidden());
    QVERIFY(f.page.gridTypes->isHidden());
    QVERIFY(!f.page.chartPie->isHidden());
    QVERIFY(!f.harness.timer1.isActive());

    f.fill(Listing);
    QVERIFY(!f.page.btSort->isHidden());
    QVERIFY(!f.page.gridTypes->isHidden());
    QVERIFY(f.page.chartPie->isHidden());
    QVERIFY(!f.harness.timer1.isActive());
    QCOMPARE(f.checkedSort(), QStringLiteral("SortbyExtension"));

    for (View pie : {PieBySize, PieByFiles, PieByAverage}) {
        f.choose(pie);
        QVERIFY(f.page.btSort->isHidden());
        QVERIFY(f.page.gridTypes->isHidden());
        QVERIFY(!f.page.chartPie->isHidden());
        QVERIFY(f.harness.timer1.isActive());
        QCOMPARE(f.slices().size(), std::size_t(12));
    }

    // Back to the listing: the last sort stays, the totals are written.
    f.choose(Listing);
    QVERIFY(!f.harness.timer1.isActive());
    QVERIFY(!f.page.btSort->isHidden());
    QCOMPARE(f.checkedSort(), QStringLiteral("SortbyAverageFileSize1"));
    QCOMPARE(f.column(0).first(), QStringLiteral(".T10"));
    QCOMPARE(f.footer().value(1), QStringLiteral("Totals"));
    QCOMPARE(f.footer().value(3), QStringLiteral("91"));
}

void tst_TypesPage::rotationTickTurnsThePieAndMovesTheScrollBar()
{
    TypesFixture f;
    addThirteenTypes(f);
    f.fill(PieBySize);
    f.page.ScrollBar2->setValue(100);
    f.page.turnPie();
    QCOMPARE(f.page.Series2->rotation(), 101);
    QCOMPARE(f.page.ScrollBar2->value(), 101);

    f.page.ScrollBar2->setValue(359);
    f.page.turnPie();
    QCOMPARE(f.page.Series2->rotation(), 0);
    QCOMPARE(f.page.ScrollBar2->value(), 0);

    // The listing has no pie to turn.
    f.choose(Listing);
    f.page.turnPie();
    QCOMPARE(f.page.Series2->rotation(), 0);
    QCOMPARE(f.page.ScrollBar2->value(), 0);
}

void tst_TypesPage::scrollBarSetsTheRotation()
{
    TypesFixture f;
    QScrollBar &bar = *f.page.ScrollBar2;
    QCOMPARE(bar.objectName(), QStringLiteral("ScrollBar2"));
    QCOMPARE(bar.minimum(), 0);
    QCOMPARE(bar.maximum(), 360);
    QCOMPARE(bar.parentWidget(), f.page.chartPie);
    // In the chart's lower right corner.
    const QRect chart = f.page.chartPie->rect();
    QVERIFY(chart.contains(bar.geometry()));
    QVERIFY(bar.geometry().right() > chart.width() - 10);
    QVERIFY(bar.geometry().bottom() > chart.height() - 10);
    QVERIFY(bar.geometry().left() > chart.width() / 2);

    bar.setValue(45);
    QCOMPARE(f.page.Series2->rotation(), 45);
    bar.setValue(360);
    QCOMPARE(f.page.Series2->rotation(), 0);
}

// The window stops the turning during a scan and gives it back after: the
// refill of a pie view leaves it alone.
void tst_TypesPage::refillLeavesThePieTurningAsItWas()
{
    TypesFixture f;
    addThirteenTypes(f);
    f.choose(PieBySize);
    for (const bool turning : {false, true}) {
        turning ? f.harness.timer1.start() : f.harness.timer1.stop();
        f.page.doFileTypes(TypeFilter());
        QCOMPARE(f.harness.timer1.isActive(), turning);
        QCOMPARE(f.slices().size(), std::size_t(12));
    }
}

void tst_TypesPage::clickOnThePieTogglesTheAnimationOnly()
{
    TypesFixture f;
    addThirteenTypes(f);
    f.fill(PieBySize);
    // As the window is created: the pie is chosen and stands still.
    QVERIFY(!f.harness.timer1.isActive());
    const QStringList rows = f.column(0);
    const int rotation = f.page.Series2->rotation();

    const QPoint centre = f.page.chartPie->rect().center();
    QTest::mouseClick(f.page.chartPie, Qt::LeftButton, {}, centre);
    QVERIFY(f.harness.timer1.isActive());
    QTest::mouseClick(f.page.chartPie, Qt::LeftButton, {}, centre);
    QVERIFY(!f.harness.timer1.isActive());
    // Space does from the keyboard what the click does; Tab goes on to the
    // bar that turns the pie by hand.
    QTest::keyClick(f.page.chartPie, Qt::Key_Space);
    QVERIFY(f.harness.timer1.isActive());
    QTest::keyClick(f.page.chartPie, Qt::Key_Space);
    QVERIFY(!f.harness.timer1.isActive());
    QCOMPARE(tabStops(*f.page.chartPie, 1), QList<QWidget *>{f.page.ScrollBar2});
    QCOMPARE(f.page.ScrollBar2->accessibleName(), QStringLiteral("Turn the pie"));

    QCOMPARE(f.page.rgTypesIndex(), 1);
    QCOMPARE(f.column(0), rows);
    QCOMPARE(f.page.Series2->rotation(), rotation);
    QCOMPARE(f.slices().size(), std::size_t(12));
}

void tst_TypesPage::columnsAfterTypeAreRightAligned()
{
    TypesFixture f;
    for (int column = 0; column < 5; ++column) {
        const Qt::Alignment horizontal = column > 1 ? Qt::AlignRight : Qt::AlignLeft;
        QCOMPARE(TypesPage::gridTypesGetAlignment(column) & Qt::AlignHorizontal_Mask, horizontal);
        QCOMPARE(f.grid().cellAlignment(column, 1) & Qt::AlignHorizontal_Mask, horizontal);
    }
}

void tst_TypesPage::numbersFollowALocaleWithoutCommas_data()
{
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("German") << "."
                            << ",";
    QTest::newRow("French") << QStringLiteral("\u202f") << ",";
}

void tst_TypesPage::numbersFollowALocaleWithoutCommas()
{
    QFETCH(QString, thousands);
    QFETCH(QString, decimal);
    TypesFixture f(LocaleSeparators{thousands.toStdString(), decimal.toStdString()});
    const auto grouped = [&thousands](const char *digits) {
        return QString::fromLatin1(digits).replace(QLatin1Char('_'), thousands);
    };
    f.addType(".A", 1000, 1'234'567);
    f.addType(".B", 20, 20'000);
    f.addType(".C", 300, 3'000);
    f.fill(Listing);
    QCOMPARE(f.grid().rowTexts(1), QStringList({".A", "A File", grouped("1_234_567"),
                                                grouped("1_000"), grouped("1_235")}));
    QCOMPARE(f.footer(), QStringList({"", "Totals", grouped("1_257_567"), grouped("1_320"), ""}));

    f.page.SortbyNumFiles->trigger();
    QCOMPARE(f.column(3), QStringList({grouped("1_000"), "300", "20"}));
    f.page.SortbyAverageFileSize1->trigger();
    QCOMPARE(f.column(4), QStringList({grouped("1_235"), grouped("1_000"), "10"}));

    f.choose(PieBySize);
    QCOMPARE(f.slices().size(), std::size_t(3));
    QCOMPARE(f.slices()[0].value, 1'234'567.0);
    QCOMPARE(f.slices()[1].value, 20'000.0);
    QCOMPARE(f.page.stripCommas(grouped("1_234_567")), QStringLiteral("1234567"));
}

void tst_TypesPage::copyAndCsvOfTheListingGiveItsHeadingsFiguresAndTotals_data()
{
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("English") << ","
                             << ".";
    QTest::newRow("German") << "."
                            << ",";
    QTest::newRow("French") << QStringLiteral("\u202f") << ",";
}

void tst_TypesPage::copyAndCsvOfTheListingGiveItsHeadingsFiguresAndTotals()
{
    QFETCH(QString, thousands);
    QFETCH(QString, decimal);
    TypesFixture f(LocaleSeparators{thousands.toStdString(), decimal.toStdString()});
    const auto grouped = [&thousands](const char *digits) {
        return QString::fromLatin1(digits).replace(QLatin1Char('_'), thousands);
    };
    f.machine.registry.add(".b", "b.file", "Text, \"plain\" été");
    f.addType(".A", 1000, 1'234'567);
    f.addType(".B", 20, 20'000);
    f.fill(Listing);

    markClipboard();
    f.page.typesTable->copyAction()->trigger();
    QCOMPARE(clipboardText(), "Extension\tType\tSize\t# Files\tAvg File Size\n"
                              ".A\tA File\t" +
                                  grouped("1_234_567") + "\t" + grouped("1_000") + "\t" +
                                  grouped("1_235") +
                                  "\n"
                                  ".B\t\"Text, \"\"plain\"\" été\"\t" +
                                  grouped("20_000") + "\t20\t" + grouped("1_000") +
                                  "\n"
                                  "\tTotals\t" +
                                  grouped("1_254_567") + "\t" + grouped("1_020") + "\t\n");

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("types.csv"));
    RecordingMessages messages;
    CsvChooserStub chooser(path);
    f.page.typesTable->saveAction()->trigger();
    QCOMPARE(chooser.suggestedName, QStringLiteral("File types.csv"));
    QVERIFY(messages.shown().empty());
    QCOMPARE(fileBytes(path), QStringLiteral("Extension,Type,Size,# Files,Avg File Size\r\n"
                                             ".A,A File,1234567,1000,1235\r\n"
                                             ".B,\"Text, \"\"plain\"\" été\",20000,20,1000\r\n"
                                             ",Totals,1254567,1020,\r\n")
                                  .toUtf8());
}

void tst_TypesPage::ctrlCOnTheListingCopiesItInTheOrderShownAndKeepsTheSort()
{
    TypesFixture f;
    f.addType(".A", 1, 5000);
    f.addType(".B", 300, 300);
    f.addType(".C", 20, 2000);
    f.fill(Listing);
    f.page.SortbyNumFiles->trigger();
    markClipboard();
    QTest::keyClick(f.page.gridTypes, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), QStringLiteral("Extension\tType\tSize\t# Files\tAvg File Size\n"
                                             ".B\tB File\t300\t300\t1\n"
                                             ".C\tC File\t2,000\t20\t100\n"
                                             ".A\tA File\t5,000\t1\t5,000\n"
                                             "\tTotals\t7,300\t321\t\n"));
    QCOMPARE(f.checkedSort(), QStringLiteral("SortbyNumFiles"));
    QCOMPARE(f.column(0), QStringList({".B", ".C", ".A"}));
}

QTEST_MAIN(tst_TypesPage)
#include "tst_TypesPage.moc"
