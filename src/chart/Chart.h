#pragma once

#include "chart/ChartModel.h"

#include <QPoint>
#include <QWidget>

namespace vorin::chart {

// The chart on screen: owns its model, repaints when the model changes, and
// turns mouse input into clicks, double-clicks and the user's zoom rectangle
// (drag right and down to zoom in; drag left or up to undo). Drawing is
// ChartPainter's; this class only forwards.
class Chart : public QWidget
{
    Q_OBJECT

public:
    explicit Chart(QWidget *parent = nullptr);

    [[nodiscard]] ChartModel &model() { return m_model; }
    [[nodiscard]] const ChartModel &model() const { return m_model; }

    // The tooltip, as the pages call it.
    void setHint(const QString &hint) { setToolTip(hint); }
    [[nodiscard]] QString hint() const { return toolTip(); }
    void undoZoom() { m_model.undoZoom(); }

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    ChartModel m_model;
    QPoint m_pressPosition;
    QPoint m_dragPosition;
    bool m_dragging = false;
};

} // namespace vorin::chart
