#pragma once

#include "chart/ChartModel.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class QAction;
class QMenu;

namespace vorin::chart {

// The chart on screen: owns its model, repaints when the model changes, and
// turns mouse input into clicks, double-clicks and the user's zoom rectangle
// (drag right and down to zoom in; drag left or up to undo). A right click
// opens the picture menu: "Copy picture" puts the chart on the clipboard,
// "Save as PNG…" writes it to a file. Drawing is ChartPainter's; this class
// only forwards.
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

    // The chart as it shows now, at the widget's size, drawn afresh from the
    // model: without the zoom rectangle of a drag or the controls laid over it.
    [[nodiscard]] QImage picture() const;
    void copyPicture() const;
    // Asks where to save (through the installed chooser) and writes the
    // picture there as PNG. A cancelled choice writes nothing; a failed write
    // leaves the file as it was and tells the user. True when a file was written.
    bool savePicture();
    // The file name offered for the picture: the chart's title, else its name.
    [[nodiscard]] QString suggestedPictureName() const;

    [[nodiscard]] QMenu *pictureMenu() const { return m_pictureMenu; }
    [[nodiscard]] QAction *copyPictureAction() const { return m_copyPicture; }
    [[nodiscard]] QAction *savePictureAction() const { return m_savePicture; }

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    ChartModel m_model;
    QPoint m_pressPosition;
    QPoint m_dragPosition;
    bool m_dragging = false;
    QMenu *m_pictureMenu = nullptr;
    QAction *m_copyPicture = nullptr;
    QAction *m_savePicture = nullptr;
};

} // namespace vorin::chart
