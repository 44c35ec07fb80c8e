#pragma once

#include <QPainter>
#include <QRectF>

namespace vorin::chart {

class ChartModel;
class ChartLayout;

// Saves the painter's state and restores it when the scope ends, so a drawing
// step can change pens, transforms and clips without leaking them.
class PainterStateGuard
{
public:
    explicit PainterStateGuard(QPainter &painter) : m_painter(painter) { m_painter.save(); }
    ~PainterStateGuard() { m_painter.restore(); }
    PainterStateGuard(const PainterStateGuard &) = delete;
    PainterStateGuard &operator=(const PainterStateGuard &) = delete;

private:
    QPainter &m_painter;
};

// Draws one chart into any painter and rectangle: the widget, a printer, an
// image. Lengths are in pixels of a 96 dpi screen; on a device of higher
// resolution (a printer) the painter is scaled so pens and fonts keep their
// printed size while the output stays vector. Computes the layout afresh on
// every call (cheap: one pass over the points) and keeps nothing between calls.
class ChartPainter
{
public:
    explicit ChartPainter(const ChartModel &model) : m_model(model) {}

    void paint(QPainter &painter, const QRectF &rect) const;

private:
    void paintBackground(QPainter &painter, const QRectF &rect) const;
    void paintTitles(QPainter &painter, const ChartLayout &layout) const;
    void paintWalls(QPainter &painter, const ChartLayout &layout) const;
    void paintAxes(QPainter &painter, const ChartLayout &layout) const;
    void paintBars(QPainter &painter, const ChartLayout &layout) const;
    void paintLines(QPainter &painter, const ChartLayout &layout) const;
    void paintPie(QPainter &painter, const ChartLayout &layout) const;
    void paintMarks(QPainter &painter, const ChartLayout &layout) const;
    void paintLegend(QPainter &painter, const ChartLayout &layout) const;

    const ChartModel &m_model;
};

} // namespace vorin::chart
