#include "chart/Chart.h"
#include "chart/ChartAccessibility.h"
#include "widgets/AccessibleParts.h"

#include <QAccessible>
#include <QTest>

using namespace vorin::chart;

namespace {

struct Told
{
    QAccessible::Event type;
    int child;
};
std::vector<Told> g_told;

void record(QAccessibleEvent *event)
{
    g_told.push_back({event->type(), event->child()});
}

int toldCount(QAccessible::Event type, int child = -1)
{
    return static_cast<int>(std::count_if(g_told.begin(), g_told.end(), [&](const Told &told) {
        return told.type == type && (child < 0 || told.child == child);
    }));
}

// A series spelt "label=value,label=value"; line series take the labels as
// the texts under their points.
void addSeries(ChartModel &model, SeriesKind kind, const QString &title, const QString &points,
               const QString &unit)
{
    ChartSeries &series = model.addSeries(kind, title);
    // A "unit" starting with the mask's digits is the mask itself.
    const bool mask = unit.startsWith(QLatin1Char('#'));
    series.setValueFormat(mask ? unit : QStringLiteral("#,##0"));
    series.setPercentFormat(QStringLiteral("##0.# %"));
    series.setUnit(mask ? unit.section(QLatin1Char(' '), 1) : unit);
    double x = 0;
    for (const QString &point : points.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString label = point.section(QLatin1Char('='), 0, 0);
        const double value = point.section(QLatin1Char('='), 1).toDouble();
        if (kind == SeriesKind::Line)
            series.addXY(x++, value, label);
        else
            series.addPoint(value, label);
    }
}

} // namespace

class ChartAccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installChartAccessibility();
        vorin::accessibility::setAnnouncer(record);
    }
    void init() { g_told.clear(); }

    void summaryTellsCountAndLargest_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("series"); // "title|points|unit"
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("labels");

        QTest::newRow("bars with a unit")
            << int(SeriesKind::Bar) << "File Sizes in MB"
            << QStringList{"|Under 1KB=1,1-4KB=2,Over 16MB=3097|MB"}
            << "File Sizes in MB: 3 bars, largest Over 16MB 3,097 MB (99.9 %)"
            << QStringList{"Under 1KB", "1-4KB", "Over 16MB"};
        QTest::newRow("one bar") << int(SeriesKind::HorizontalBar) << "Drives"
                                 << QStringList{"|c:=5|files"}
                                 << "Drives: 1 bar, largest c: 5 files (100 %)"
                                 << QStringList{"c:"};
        QTest::newRow("small slices read as the one slice drawn")
            << int(SeriesKind::Pie) << "Types" << QStringList{"|txt=90,png=4,log=3,dat=3|"}
            << "Types: 2 slices, largest txt 90 (90 %)" << QStringList{"txt", "Other"};
        QTest::newRow("line points by the texts under them")
            << int(SeriesKind::Line) << "" << QStringList{"|0:00=1,0:30=3|files"}
            << "2 points, largest 0:30 3 files (75 %)" << QStringList{"0:00", "0:30"};
        QTest::newRow("several series name theirs")
            << int(SeriesKind::Bar) << "Combination"
            << QStringList{"Access|0-7 days=2,older=1|files", "Created|0-7 days=0,older=4|files"}
            << "Combination: Access 2 bars, largest 0-7 days 2 files (66.7 %); Created 2 bars, "
               "largest older 4 files (100 %)"
            << QStringList{"Access, 0-7 days", "Access, older", "Created, 0-7 days",
                           "Created, older"};
        QTest::newRow("a mask with the unit in it")
            << int(SeriesKind::Bar) << "Space" << QStringList{"|c:=2048|#,##0 MB"}
            << "Space: 1 bar, largest c: 2,048 MB (100 %)" << QStringList{"c:"};
        QTest::newRow("nothing counted yet")
            << int(SeriesKind::Bar) << "Sizes" << QStringList{"|a=0,b=0|MB"} << "Sizes: 2 bars"
            << QStringList{"a", "b"};
        QTest::newRow("no series") << int(SeriesKind::Bar) << "Time" << QStringList{}
                                   << "Time: no figures" << QStringList{};
    }
    void summaryTellsCountAndLargest()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QStringList, series);
        QFETCH(QString, summary);
        QFETCH(QStringList, labels);
        ChartModel model;
        model.setTitle(title);
        for (const QString &described : series)
            addSeries(model, SeriesKind(kind), described.section(QLatin1Char('|'), 0, 0),
                      described.section(QLatin1Char('|'), 1, 1), described.section(QLatin1Char('|'), 2, 2));
        // An inactive series is not shown, so it is not read either.
        addSeries(model, SeriesKind(kind), QStringLiteral("hidden"), QStringLiteral("x=1000"), {});
        model.series(model.seriesCount() - 1).setActive(false);

        QCOMPARE(chartSummary(model), summary);
        QStringList read;
        for (const ChartDataRow &row : chartDataRows(model))
            read << row.label;
        QCOMPARE(read, labels);
    }

    void untitledChartIsNamedByItsAxisOrSeries_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("axis");
        QTest::addColumn<QString>("name");
        QTest::newRow("title") << "File Sizes in MB"
                               << "Size"
                               << "File Sizes in MB";
        QTest::newRow("axis") << ""
                              << "Time of day"
                              << "Time of day";
        QTest::newRow("series") << ""
                                << ""
                                << "Modified, Created";
    }
    void untitledChartIsNamedByItsAxisOrSeries()
    {
        QFETCH(QString, title);
        QFETCH(QString, axis);
        QFETCH(QString, name);
        Chart chart;
        chart.model().setTitle(title);
        chart.model().edit([&](ChartSettings &s) { s.bottomAxis.title = axis; });
        addSeries(chart.model(), SeriesKind::Line, QStringLiteral("Modified"),
                  QStringLiteral("a=1"), {});
        addSeries(chart.model(), SeriesKind::Line, QStringLiteral("Created"), QStringLiteral("a=1"),
                  {});
        QCOMPARE(QAccessible::queryAccessibleInterface(&chart)->text(QAccessible::Name), name);
    }

    void chartReadsAsTableOfItsFigures()
    {
        Chart chart;
        chart.model().edit([](ChartSettings &s) {
            s.legend.visible = false;
            s.view.enabled = false;
        });
        chart.model().setTitle(QStringLiteral("File Sizes in MB"));
        addSeries(chart.model(), SeriesKind::Bar, {}, QStringLiteral("small=1,middle=3,large=4"),
                  QStringLiteral("MB"));
        chart.setHint(QStringLiteral("Double-click a bar to list its files"));
        chart.resize(400, 300);
        chart.show();
        chart.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&chart));

        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&chart);
        QCOMPARE(face->role(), QAccessible::Chart);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("File Sizes in MB"));
        QCOMPARE(face->text(QAccessible::Description),
                 QStringLiteral("File Sizes in MB: 3 bars, largest large 4 MB (50 %)"));
        QCOMPARE(face->text(QAccessible::Help), chart.hint());
        QAccessibleTableInterface *table = face->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->columnDescription(2), QStringLiteral("Share"));
        const QStringList middle{table->cellAt(1, 0)->text(QAccessible::Name),
                                 table->cellAt(1, 1)->text(QAccessible::Name),
                                 table->cellAt(1, 2)->text(QAccessible::Name)};
        QCOMPARE(middle, (QStringList{"middle", "3 MB", "37.5 %"}));
        // A row stands where its bar is drawn, and the bar's middle reads as
        // that row (a magnifier follows the one, a pointer asks the other).
        const QRect bar = table->cellAt(1, 0)->rect();
        QVERIFY(bar.width() < chart.width() / 2);
        QCOMPARE(chart.pointAt(chart.mapFromGlobal(bar.center())), (std::optional<ChartHit>{{0, 1}}));
        QCOMPARE(face->childAt(bar.center().x(), bar.center().y()), table->cellAt(1, 0));

        // Choosing a row makes its bar the keyboard's point; the arrow keys
        // move on and the reader is told where to.
        table->cellAt(1, 0)->actionInterface()->doAction(
            QAccessibleActionInterface::setFocusAction());
        QCOMPARE(chart.currentPoint(), (ChartHit{0, 1}));
        QVERIFY(table->isRowSelected(1));
        QTest::keyClick(&chart, Qt::Key_Right);
        QCOMPARE(chart.currentPoint(), (ChartHit{0, 2}));
        QCOMPARE(toldCount(QAccessible::Focus, face->indexOfChild(table->cellAt(2, 0))), 1);
        QCOMPARE(face->focusChild(), table->cellAt(2, 0));

        // New figures are told once; turning the 3-D view changes none.
        g_told.clear();
        chart.model().series(0).addPoint(10, QStringLiteral("huge"));
        QCOMPARE(toldCount(QAccessible::DescriptionChanged), 1);
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(table->cellAt(3, 1)->text(QAccessible::Name), QStringLiteral("10 MB"));
        chart.model().setDepthPercent(40);
        QCOMPARE(toldCount(QAccessible::DescriptionChanged), 1);
    }
};

QTEST_MAIN(ChartAccessibilityTest)
#include "tst_ChartAccessibility.moc"
