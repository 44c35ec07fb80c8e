#include "chart/ChartAccessibility.h"

#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "widgets/Accessibility.h"
#include "widgets/AccessibleParts.h"

#include <cmath>

namespace vorin::chart {

namespace {

QString withUnit(const ChartSeries &series, double value, const LocaleSeparators &separators)
{
    const QString text = formatValue(value, series.valueFormat(), separators);
    // Some masks carry the unit already ("#,##0 MB"), for the marks.
    if (series.unit().isEmpty() || text.endsWith(series.unit()))
        return text;
    return text + QLatin1Char(' ') + series.unit();
}

QString pointLabel(const ChartModel &model, const ChartSeries &series, const ChartPoint &point)
{
    if (series.kind() != SeriesKind::Line)
        return point.label;
    if (!point.xLabel.isEmpty())
        return point.xLabel;
    if (!point.label.isEmpty())
        return point.label;
    return formatValue(point.x, model.settings().bottomAxis.format, model.separators());
}

void addSeriesRows(const ChartModel &model, int index, std::vector<ChartDataRow> &rows)
{
    const ChartSeries &series = model.series(index);
    const LocaleSeparators &separators = model.separators();
    const auto share = [&](double percent) {
        return formatValue(percent, series.percentFormat(), separators);
    };
    if (series.kind() == SeriesKind::Pie) {
        for (const PieSlice &slice : ChartLayout::pieSlices(series, separators))
            rows.push_back({index, slice.point, slice.label,
                            withUnit(series, slice.value, separators), share(slice.percent),
                            slice.value});
        return;
    }
    double sum = 0.0;
    for (const ChartPoint &point : series.points()) {
        if (point.value > 0.0 && std::isfinite(point.value))
            sum += point.value;
    }
    const auto &points = series.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double value = points[i].value;
        rows.push_back({index, static_cast<int>(i), pointLabel(model, series, points[i]),
                        withUnit(series, value, separators),
                        share(sum > 0.0 && std::isfinite(value) ? 100.0 * value / sum : 0.0),
                        value});
    }
}

QString pieceName(SeriesKind kind, std::size_t count)
{
    const bool one = count == 1;
    switch (kind) {
    case SeriesKind::Pie:
        return one ? QStringLiteral("slice") : QStringLiteral("slices");
    case SeriesKind::Line:
        return one ? QStringLiteral("point") : QStringLiteral("points");
    case SeriesKind::Bar:
    case SeriesKind::HorizontalBar:
        break;
    }
    return one ? QStringLiteral("bar") : QStringLiteral("bars");
}

QString chartTitle(const ChartModel &model)
{
    QStringList lines;
    for (const QString &line : model.settings().titleLines) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    }
    return lines.join(QLatin1Char(' '));
}

// What a chart is called where it shows no title: what its category axis
// stands for, else the names of its series.
QString chartName(const ChartModel &model)
{
    const QString title = chartTitle(model);
    if (!title.isEmpty())
        return title;
    const AxisSettings &axis = model.settings().bottomAxis;
    if (axis.visible && !axis.title.trimmed().isEmpty())
        return axis.title.trimmed();
    QStringList names;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const QString name = model.series(i).title().trimmed();
        if (model.series(i).isActive() && !name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names.join(QStringLiteral(", "));
}

bool shownWithPoints(const ChartModel &model, int index)
{
    return model.series(index).isActive() && !model.series(index).points().empty();
}

int seriesShown(const ChartModel &model)
{
    int shown = 0;
    for (int i = 0; i < model.seriesCount(); ++i)
        shown += shownWithPoints(model, i) ? 1 : 0;
    return shown;
}

} // namespace

std::vector<ChartDataRow> chartDataRows(const ChartModel &model)
{
    std::vector<ChartDataRow> rows;
    const bool several = seriesShown(model) > 1;
    for (int i = 0; i < model.seriesCount(); ++i) {
        if (!shownWithPoints(model, i))
            continue;
        const std::size_t first = rows.size();
        addSeriesRows(model, i, rows);
        // With several series a label alone ("0-7 days") leaves the listener
        // guessing which series the row belongs to.
        const QString title = model.series(i).title().trimmed();
        if (several && !title.isEmpty()) {
            for (std::size_t r = first; r < rows.size(); ++r)
                rows[r].label = title + QStringLiteral(", ") + rows[r].label;
        }
    }
    return rows;
}

QString chartSummary(const ChartModel &model)
{
    const std::vector<ChartDataRow> rows = chartDataRows(model);
    const bool several = seriesShown(model) > 1;
    QStringList parts;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const auto begin = std::find_if(rows.begin(), rows.end(),
                                        [i](const ChartDataRow &row) { return row.series == i; });
        const auto end = std::find_if(begin, rows.end(),
                                      [i](const ChartDataRow &row) { return row.series != i; });
        if (begin == end)
            continue;
        const ChartSeries &series = model.series(i);
        const auto count = static_cast<std::size_t>(end - begin);
        QString part = QString::number(count) + QLatin1Char(' ') + pieceName(series.kind(), count);
        if (several && !series.title().trimmed().isEmpty())
            part = series.title().trimmed() + QLatin1Char(' ') + part;
        const auto largest =
            std::max_element(begin, end, [](const ChartDataRow &a, const ChartDataRow &b) {
                return a.amount < b.amount;
            });
        if (largest->amount > 0.0) {
            // The label as the series names it, without the series' title
            // that several series put in front.
            QString label = largest->label;
            if (several && label.startsWith(series.title().trimmed() + QStringLiteral(", ")))
                label = label.mid(series.title().trimmed().size() + 2);
            part += QStringLiteral(", largest ") + label + QLatin1Char(' ') + largest->value +
                    QStringLiteral(" (") + largest->share + QLatin1Char(')');
        }
        parts << part;
    }
    const QString title = chartTitle(model);
    const QString body =
        parts.isEmpty() ? QStringLiteral("no figures") : parts.join(QStringLiteral("; "));
    return title.isEmpty() ? body : title + QStringLiteral(": ") + body;
}

namespace {

// A chart as a screen reader sees it: named by its title, described by its
// summary, with its figures as a table of label, value and share. The rows
// are worked out again only after the model changed.
class ChartAccessible : public vorin::accessibility::AccessibleTable
{
public:
    explicit ChartAccessible(Chart *chart) : AccessibleTable(chart, QAccessible::Chart) {}

    [[nodiscard]] QString text(QAccessible::Text type) const override
    {
        switch (type) {
        case QAccessible::Name:
            if (chart()->accessibleName().isEmpty())
                return chartName(chart()->model());
            break;
        case QAccessible::Description:
            if (chart()->accessibleDescription().isEmpty())
                return chartSummary(chart()->model());
            break;
        case QAccessible::Help:
            return chart()->toolTip();
        default:
            break;
        }
        return AccessibleTable::text(type);
    }

    [[nodiscard]] int rowCount() const override { return static_cast<int>(rows().size()); }
    [[nodiscard]] int columnCount() const override { return 3; }
    [[nodiscard]] QString headerText(int column) const override
    {
        static const QString headers[] = {QStringLiteral("Label"), QStringLiteral("Value"),
                                          QStringLiteral("Share")};
        return column >= 0 && column < 3 ? headers[column] : QString();
    }
    [[nodiscard]] QString cellText(int row, int column) const override
    {
        const std::vector<ChartDataRow> &all = rows();
        if (row < 0 || row >= static_cast<int>(all.size()))
            return {};
        const ChartDataRow &data = all[static_cast<std::size_t>(row)];
        return column == 0 ? data.label : column == 1 ? data.value : data.share;
    }
    // A figure stands where the chart draws it, so that a magnifier
    // following the reader shows its bar, slice or point. A figure the
    // chart does not draw (a pie's slices merged into "Other", a point
    // zoomed out of view) and the headings stand for the whole chart.
    [[nodiscard]] QRect cellRect(int row, int) const override
    {
        const std::vector<ChartDataRow> &all = rows();
        if (row < 0 || row >= static_cast<int>(all.size()))
            return chart()->rect();
        const ChartDataRow &data = all[static_cast<std::size_t>(row)];
        const QPolygonF outline = ChartLayout(chart()->model(), QRectF(chart()->rect()))
                                      .outline(ChartHit{data.series, data.point});
        const QRect drawn = outline.boundingRect().toAlignedRect() & chart()->rect();
        return drawn.isEmpty() ? chart()->rect() : drawn;
    }
    // The figure under a point, found as a click finds it, rather than
    // asking every cell for its place.
    [[nodiscard]] QAccessibleInterface *childAt(int x, int y) const override
    {
        const std::optional<ChartHit> hit = chart()->pointAt(chart()->mapFromGlobal(QPoint(x, y)));
        if (!hit)
            return nullptr;
        const std::vector<ChartDataRow> &all = rows();
        for (std::size_t row = 0; row < all.size(); ++row)
            if (all[row].series == hit->series && all[row].point == hit->point)
                return cell(static_cast<int>(row), 0);
        return nullptr;
    }
    [[nodiscard]] bool isCellSelected(int row, int) const override
    {
        const std::optional<ChartHit> current = chart()->currentPoint();
        const std::vector<ChartDataRow> &all = rows();
        if (!current || row < 0 || row >= static_cast<int>(all.size()))
            return false;
        const ChartDataRow &data = all[static_cast<std::size_t>(row)];
        return data.series == current->series && data.point == current->point;
    }
    [[nodiscard]] bool isCellFocused(int row, int column) const override
    {
        return column == 0 && chart()->hasFocus() && isCellSelected(row, column);
    }
    bool selectCell(int row, int) override
    {
        const std::vector<ChartDataRow> &all = rows();
        if (row < 0 || row >= static_cast<int>(all.size()) || all[std::size_t(row)].point < 0)
            return false;
        return chart()->setCurrentPoint(
            {all[std::size_t(row)].series, all[std::size_t(row)].point});
    }

    // The row of the keyboard's point, or -1.
    [[nodiscard]] int currentRow() const
    {
        for (int row = 0; row < rowCount(); ++row) {
            if (isCellSelected(row, 0))
                return row;
        }
        return -1;
    }

    // Whether the summary differs from the one told last: the chart repaints
    // for every turn of its 3-D view, which changes no figure.
    bool summaryChanged()
    {
        const QString summary = chartSummary(chart()->model());
        if (summary == m_toldSummary)
            return false;
        m_toldSummary = summary;
        return true;
    }

private:
    [[nodiscard]] Chart *chart() const { return static_cast<Chart *>(widget()); }
    [[nodiscard]] const std::vector<ChartDataRow> &rows() const
    {
        const quint64 revision = chart()->model().revision();
        if (!m_rowsRevision || *m_rowsRevision != revision) {
            m_rows = chartDataRows(chart()->model());
            m_rowsRevision = revision;
        }
        return m_rows;
    }

    mutable std::vector<ChartDataRow> m_rows;
    mutable std::optional<quint64> m_rowsRevision;
    QString m_toldSummary;
};

QAccessibleInterface *chartInterface(const QString &, QObject *object)
{
    if (auto *chart = qobject_cast<Chart *>(object))
        return new ChartAccessible(chart);
    return nullptr;
}

ChartAccessible *interfaceOf(Chart &chart)
{
    if (!vorin::accessibility::listening())
        return nullptr;
    return dynamic_cast<ChartAccessible *>(QAccessible::queryAccessibleInterface(&chart));
}

} // namespace

void installChartAccessibility()
{
    installWidgetAccessibility();
    static const bool installed = [] {
        QAccessible::installFactory(chartInterface);
        return true;
    }();
    (void)installed;
}

namespace accessibility {

void chartChanged(Chart &chart)
{
    ChartAccessible *iface = interfaceOf(chart);
    if (iface == nullptr || !iface->summaryChanged())
        return;
    QAccessibleEvent described(&chart, QAccessible::DescriptionChanged);
    vorin::accessibility::announceWhole(described);
    QAccessibleTableModelChangeEvent reset(&chart, QAccessibleTableModelChangeEvent::ModelReset);
    vorin::accessibility::announceWhole(reset);
}

void chartCurrentChanged(Chart &chart)
{
    ChartAccessible *iface = interfaceOf(chart);
    if (iface == nullptr || iface->currentRow() < 0)
        return;
    const int child = iface->childIndex(iface->currentRow(), 0);
    vorin::accessibility::announce(&chart, QAccessible::Selection, child);
    if (chart.hasFocus())
        vorin::accessibility::announce(&chart, QAccessible::Focus, child);
}

} // namespace accessibility

} // namespace vorin::chart
