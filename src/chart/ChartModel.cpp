#include "chart/ChartModel.h"

#include "chart/FormatMask.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vorin::chart {

ChartSeries::ChartSeries(ChartModel *owner, SeriesKind kind, QString title)
    : m_owner(owner), m_kind(kind), m_title(std::move(title))
{
    m_markFont.setPixelSize(11);
}

void ChartSeries::touch()
{
    if (m_owner != nullptr) {
        m_owner->notifyChanged();
    }
}

double ChartSeries::sum() const
{
    double total = 0.0;
    for (const ChartPoint &point : m_points) {
        total += point.value;
    }
    return total;
}

void ChartSeries::clear()
{
    m_points.clear();
    touch();
}

namespace {
// A figure that is not a number is shown as 0, as every other conversion of
// the program falls back to 0; it must never reach the geometry.
double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}
} // namespace

void ChartSeries::addPoint(double value, const QString &label, const QColor &color)
{
    value = finiteOrZero(value);
    m_points.push_back(
        ChartPoint{value, static_cast<double>(m_points.size()), label, label, color});
    touch();
}

void ChartSeries::addXY(double x, double value, const QString &xLabel, const QColor &color)
{
    x = finiteOrZero(x);
    value = finiteOrZero(value);
    m_points.push_back(ChartPoint{value, x, xLabel, xLabel, color});
    touch();
}

void ChartSeries::setTitle(const QString &title)
{
    m_title = title;
    touch();
}

void ChartSeries::setActive(bool active)
{
    m_active = active;
    touch();
}

void ChartSeries::setColor(const QColor &color)
{
    m_color = color;
    touch();
}

QColor ChartSeries::pointColor(std::size_t index) const
{
    const QColor own = index < m_points.size() ? m_points[index].color : QColor();
    return own.isValid() ? own : m_color;
}

void ChartSeries::setValueFormat(const QString &mask)
{
    m_valueFormat = mask;
    touch();
}

void ChartSeries::setPercentFormat(const QString &mask)
{
    m_percentFormat = mask;
    touch();
}

void ChartSeries::setMarkStyle(MarkStyle style)
{
    m_markStyle = style;
    touch();
}

void ChartSeries::setMarkPosition(MarkPosition position)
{
    m_markPosition = position;
    touch();
}

void ChartSeries::setMarkFont(const QFont &font)
{
    m_markFont = font;
    touch();
}

void ChartSeries::setMarkTextColor(const QColor &color)
{
    m_markTextColor = color;
    touch();
}

void ChartSeries::setMarkBackground(const QColor &color)
{
    m_markBackground = color;
    touch();
}

void ChartSeries::setGradient(bool gradient)
{
    m_gradient = gradient;
    touch();
}

void ChartSeries::setBarWidthPercent(int percent)
{
    m_barWidthPercent = std::clamp(percent, 1, 100);
    touch();
}

void ChartSeries::setBarOffsetPercent(int percent)
{
    m_barOffsetPercent = percent;
    touch();
}

void ChartSeries::setRotation(int degrees)
{
    m_rotation = ((degrees % 360) + 360) % 360;
    touch();
}

void ChartSeries::rotate(int degrees)
{
    setRotation(m_rotation + degrees);
}

void ChartSeries::setOtherThresholdPercent(double percent)
{
    m_otherThresholdPercent = percent;
    touch();
}

void ChartSeries::setOtherLabel(const QString &label)
{
    m_otherLabel = label;
    touch();
}

void ChartSeries::setOtherColor(const QColor &color)
{
    m_otherColor = color;
    touch();
}

void ChartSeries::setExplodePercent(int percent)
{
    m_explodePercent = std::max(0, percent);
    touch();
}

void ChartSeries::setPointersVisible(bool visible)
{
    m_linePointers = visible;
    touch();
}

ChartModel::ChartModel(QObject *parent) : QObject(parent)
{
    m_settings.titleFont.setPixelSize(13);
    m_settings.titleFont.setBold(true);
    for (AxisSettings *axis :
         {&m_settings.leftAxis, &m_settings.bottomAxis, &m_settings.rightAxis}) {
        axis->labelFont.setPixelSize(11);
        axis->titleFont.setPixelSize(11);
        axis->titleFont.setBold(true);
    }
    m_settings.legend.font.setPixelSize(11);
    m_settings.rightAxis.visible = false;
}

ChartModel::~ChartModel() = default;

ChartSeries &ChartModel::addSeries(SeriesKind kind, const QString &title)
{
    m_series.push_back(std::make_unique<ChartSeries>(this, kind, title));
    notifyChanged();
    return *m_series.back();
}

void ChartModel::removeAllSeries()
{
    m_series.clear();
    notifyChanged();
}

void ChartModel::setSettings(const ChartSettings &settings)
{
    m_settings = settings;
    notifyChanged();
}

void ChartModel::setTitle(const QString &line)
{
    m_settings.titleLines = line.isEmpty() ? QStringList() : QStringList{line};
    notifyChanged();
}

void ChartModel::setTitleLines(const QStringList &lines)
{
    m_settings.titleLines = lines;
    notifyChanged();
}

void ChartModel::setView(const View3D &view)
{
    m_settings.view = view;
    notifyChanged();
}

void ChartModel::setDepthPercent(int percent)
{
    m_settings.view.depthPercent = std::clamp(percent, 0, 1000);
    notifyChanged();
}

void ChartModel::setZoomPercent(int percent)
{
    m_settings.view.zoomPercent = std::clamp(percent, 1, 1000);
    notifyChanged();
}

void ChartModel::setSeparators(const LocaleSeparators &separators)
{
    m_separators = separators;
    notifyChanged();
}

void ChartModel::zoomTo(const UserZoom &zoom)
{
    UserZoom ordered = zoom;
    for (AxisRange *range : {&ordered.horizontal, &ordered.vertical}) {
        if (range->minimum > range->maximum) {
            std::swap(range->minimum, range->maximum);
        }
    }
    if (ordered.horizontal.maximum <= ordered.horizontal.minimum ||
        ordered.vertical.maximum <= ordered.vertical.minimum) {
        return; // a rectangle without area zooms into nothing
    }
    m_userZoom = ordered;
    notifyChanged();
}

void ChartModel::undoZoom()
{
    if (m_userZoom) {
        m_userZoom.reset();
        notifyChanged();
    }
}

void ChartModel::notifyChanged()
{
    ++m_revision;
    emit changed();
}

QFont pixelFont(const QFont &font)
{
    if (font.pixelSize() > 0) {
        return font;
    }
    QFont sized = font;
    sized.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0))));
    return sized;
}

QString formatValue(double value, const QString &mask, const LocaleSeparators &separators)
{
    return QString::fromStdString(formatMask(value, mask.toStdString(), separators));
}

} // namespace vorin::chart
