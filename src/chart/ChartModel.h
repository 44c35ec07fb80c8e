#pragma once

#include "support/LocaleSeparators.h"

#include <memory>
#include <optional>
#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace vorin::chart {

class ChartModel;

enum class SeriesKind { Bar, HorizontalBar, Pie, Line };

// How a bar or slice is labelled by its mark.
enum class MarkStyle { None, Value, Percent, LabelAndPercent };

enum class MarkPosition { Inside, Above };

struct ChartPoint
{
    double value = 0.0;
    double x = 0.0; // position on the horizontal axis; line series only
    QString label;  // category or slice label
    QString xLabel; // text under the point on the horizontal axis; line series only
    QColor color;   // invalid: the series colour
};

// One series of a chart: its points and how they are drawn. Belongs to a
// ChartModel; every change is announced through the model's `changed` signal.
class ChartSeries
{
public:
    ChartSeries(ChartModel *owner, SeriesKind kind, QString title);

    [[nodiscard]] SeriesKind kind() const { return m_kind; }
    [[nodiscard]] const std::vector<ChartPoint> &points() const { return m_points; }
    [[nodiscard]] double sum() const;

    void clear();
    void addPoint(double value, const QString &label = {}, const QColor &color = {});
    void addXY(double x, double value, const QString &xLabel = {}, const QColor &color = {});

    [[nodiscard]] QString title() const { return m_title; }
    void setTitle(const QString &title);
    [[nodiscard]] bool isActive() const { return m_active; }
    void setActive(bool active);
    [[nodiscard]] QColor color() const { return m_color; }
    void setColor(const QColor &color);
    [[nodiscard]] QColor pointColor(std::size_t index) const;

    // Marks: the value mask (for MarkStyle::Value) and the percent mask (for
    // Percent and LabelAndPercent, the share of the series' sum).
    [[nodiscard]] QString valueFormat() const { return m_valueFormat; }
    void setValueFormat(const QString &mask);
    [[nodiscard]] QString percentFormat() const { return m_percentFormat; }
    void setPercentFormat(const QString &mask);
    // What the values count ("MB", "files"), for the texts that speak of a
    // point rather than draw it; the marks and axes show bare numbers.
    [[nodiscard]] QString unit() const { return m_unit; }
    void setUnit(const QString &unit) { m_unit = unit; }
    [[nodiscard]] MarkStyle markStyle() const { return m_markStyle; }
    void setMarkStyle(MarkStyle style);
    [[nodiscard]] MarkPosition markPosition() const { return m_markPosition; }
    void setMarkPosition(MarkPosition position);
    [[nodiscard]] QFont markFont() const { return m_markFont; }
    void setMarkFont(const QFont &font);
    [[nodiscard]] QColor markTextColor() const { return m_markTextColor; }
    void setMarkTextColor(const QColor &color);
    // Invalid: the mark box takes the point's colour.
    [[nodiscard]] QColor markBackground() const { return m_markBackground; }
    void setMarkBackground(const QColor &color);

    [[nodiscard]] bool isGradient() const { return m_gradient; }
    void setGradient(bool gradient);

    // Horizontal and vertical bars: width of a bar in percent of its slot and its
    // shift in percent of the bar's own width (positive moves up or right).
    [[nodiscard]] int barWidthPercent() const { return m_barWidthPercent; }
    void setBarWidthPercent(int percent);
    [[nodiscard]] int barOffsetPercent() const { return m_barOffsetPercent; }
    void setBarOffsetPercent(int percent);

    // Pies: turned by this many degrees (0 to 359); slices under the threshold
    // of the sum become one slice "Other"; the largest slice is pulled out.
    [[nodiscard]] int rotation() const { return m_rotation; }
    void setRotation(int degrees);
    void rotate(int degrees);
    [[nodiscard]] double otherThresholdPercent() const { return m_otherThresholdPercent; }
    void setOtherThresholdPercent(double percent);
    [[nodiscard]] QString otherLabel() const { return m_otherLabel; }
    void setOtherLabel(const QString &label);
    [[nodiscard]] QColor otherColor() const { return m_otherColor; }
    void setOtherColor(const QColor &color);
    [[nodiscard]] int explodePercent() const { return m_explodePercent; }
    void setExplodePercent(int percent);

    [[nodiscard]] bool pointersVisible() const { return m_linePointers; }
    void setPointersVisible(bool visible);

private:
    void touch();

    ChartModel *m_owner;
    SeriesKind m_kind;
    QString m_title;
    std::vector<ChartPoint> m_points;
    bool m_active = true;
    QColor m_color = Qt::red;
    QString m_valueFormat = QStringLiteral("#,##0.###");
    QString m_percentFormat = QStringLiteral("##0.# %");
    QString m_unit;
    MarkStyle m_markStyle = MarkStyle::None;
    MarkPosition m_markPosition = MarkPosition::Above;
    QFont m_markFont;
    QColor m_markTextColor = Qt::black;
    QColor m_markBackground = QColor(255, 255, 225);
    bool m_gradient = false;
    int m_barWidthPercent = 70;
    int m_barOffsetPercent = 0;
    int m_rotation = 0;
    double m_otherThresholdPercent = 5.0;
    QString m_otherLabel = QStringLiteral("Other");
    QColor m_otherColor = QColor(192, 192, 192);
    int m_explodePercent = 10;
    bool m_linePointers = false;
};

struct AxisSettings
{
    bool visible = true;
    bool lineVisible = true;
    QString format = QStringLiteral("#,##0.###");
    QString title;
    int labelAngle = 0;              // degrees, counter-clockwise; 90 stands labels on end
    int labelSeparationPercent = 10; // least gap between labels, percent of a label's size
    bool automatic = true;
    double minimum = 0.0;
    double maximum = 100.0;
    QColor lineColor = Qt::black;
    QColor tickColor = Qt::black;
    QColor labelColor = Qt::black;
    QColor titleColor = Qt::black;
    QFont labelFont;
    QFont titleFont;
    bool grid = true;
    QColor gridColor = QColor(192, 192, 192);
};

enum class LegendContent { SeriesTitles, Values, Labels, ValuesAndLabels };
enum class LegendPosition { Right, Top };

struct LegendSettings
{
    bool visible = true;
    LegendContent content = LegendContent::SeriesTitles;
    bool reversed = false;
    LegendPosition position = LegendPosition::Right;
    int swatchWidthPercent = 0; // of the widest legend text; 0: use swatchWidthPixels
    int swatchWidthPixels = 12;
    int topPixels = 0; // gap above a legend at the top
    QFont font;
    QColor textColor = Qt::black;
    QColor background = Qt::white;
    bool frame = true;
};

// The 3-D view. At rotation and elevation 360 with the orthogonal switch on, the
// chart is seen from the front with its depth drawn obliquely up and right; off
// that, the plot box is turned in space and projected.
struct View3D
{
    bool enabled = true;
    int depthPercent = 15; // box depth: of the shorter side of the plot area; pies: of the radius
    int zoomPercent = 100;
    int rotation = 360;  // degrees about the vertical axis
    int elevation = 360; // degrees about the horizontal axis
    bool orthogonal = true;

    friend bool operator==(const View3D &, const View3D &) = default;
};

struct Margins
{
    double left = 3.0; // percent of the chart's width or height
    double top = 4.0;
    double right = 3.0;
    double bottom = 4.0;
};

struct ChartSettings
{
    QStringList titleLines;
    bool titleVisible = true;
    QFont titleFont;
    QColor titleColor = Qt::blue;

    QColor background = QColor(240, 240, 240);
    bool gradientVisible = false;
    QColor gradientStart = Qt::white; // at the bottom
    QColor gradientEnd = Qt::white;   // at the top

    QColor backWallColor; // invalid: transparent
    QColor leftWallColor = QColor(224, 224, 224);
    QColor bottomWallColor = QColor(224, 224, 224);
    QColor wallEdgeColor = QColor(128, 128, 128);

    View3D view;
    Margins margins;
    AxisSettings leftAxis;
    AxisSettings bottomAxis;
    AxisSettings rightAxis; // hidden until a page shows it
    LegendSettings legend;
    bool frameVisible = false;
    bool userZoomAllowed = true;

    // Bar series stand on one another instead of one behind the other.
    bool stacked = false;

    // Slots shown on the category axis; 0: as many as there are points.
    int pointsPerPage = 0;
    int page = 0;
};

// A value range on one axis, chosen by the user's zoom rectangle.
struct AxisRange
{
    double minimum = 0.0;
    double maximum = 0.0;
    friend bool operator==(const AxisRange &, const AxisRange &) = default;
};

struct UserZoom
{
    AxisRange
        horizontal; // category slots for vertical bars, values for horizontal bars, x for lines
    AxisRange vertical;
    friend bool operator==(const UserZoom &, const UserZoom &) = default;
};

// Everything one chart shows: its series with their points and the chart-wide
// settings. Lives on the GUI thread; keeps no pixels, so a page may fill it while
// the chart is hidden. Each change emits `changed` so the widget repaints.
class ChartModel : public QObject
{
    Q_OBJECT

public:
    explicit ChartModel(QObject *parent = nullptr);
    ~ChartModel() override;

    ChartSeries &addSeries(SeriesKind kind, const QString &title = {});
    [[nodiscard]] int seriesCount() const { return static_cast<int>(m_series.size()); }
    [[nodiscard]] ChartSeries &series(int index)
    {
        return *m_series.at(static_cast<std::size_t>(index));
    }
    [[nodiscard]] const ChartSeries &series(int index) const
    {
        return *m_series.at(static_cast<std::size_t>(index));
    }
    void removeAllSeries();

    [[nodiscard]] const ChartSettings &settings() const { return m_settings; }
    void setSettings(const ChartSettings &settings);
    // Changes several settings with one repaint: model.edit([](ChartSettings &s) { ... });
    template <typename Change> void edit(Change &&change)
    {
        change(m_settings);
        notifyChanged();
    }

    void setTitle(const QString &line);
    void setTitleLines(const QStringList &lines);
    [[nodiscard]] const View3D &view() const { return m_settings.view; }
    void setView(const View3D &view);
    void setDepthPercent(int percent);
    void setZoomPercent(int percent);

    [[nodiscard]] const LocaleSeparators &separators() const { return m_separators; }
    void setSeparators(const LocaleSeparators &separators);

    [[nodiscard]] const std::optional<UserZoom> &userZoom() const { return m_userZoom; }
    [[nodiscard]] bool isZoomed() const { return m_userZoom.has_value(); }
    void zoomTo(const UserZoom &zoom);
    void undoZoom();

    void notifyChanged();
    // Counts the changes, so that a reader of the figures can tell whether
    // what it worked out last is still current.
    [[nodiscard]] quint64 revision() const { return m_revision; }

signals:
    void changed();

private:
    std::vector<std::unique_ptr<ChartSeries>> m_series;
    ChartSettings m_settings;
    LocaleSeparators m_separators;
    std::optional<UserZoom> m_userZoom;
    quint64 m_revision = 0;
};

// The font with its size in pixels of a 96 dpi screen. The chart lays out and
// draws in such pixels on every device (a printer scales the painter), so a
// size in points must not be resolved against the device's own resolution.
[[nodiscard]] QFont pixelFont(const QFont &font);

// The mark or legend text of a number in a series' mask and the model's separators.
[[nodiscard]] QString formatValue(double value, const QString &mask,
                                  const LocaleSeparators &separators);

} // namespace vorin::chart
