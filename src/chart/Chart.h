#pragma once

#include "chart/ChartLayout.h"
#include "chart/ChartModel.h"

#include <functional>
#include <optional>
#include <QImage>
#include <QPoint>
#include <QWidget>

class QAction;
class QMenu;
class QPainter;

namespace vorin::chart {

// The chart on screen: owns its model, repaints when the model changes, and
// turns mouse input into clicks, double-clicks and the user's zoom rectangle
// (drag right and down to zoom in; drag left or up to undo). A double click
// on a bar, slice or line point activates that point; so does Enter on the
// current point, which the arrow keys move over the first series shown and a
// dotted outline marks while the chart has the focus. A right click, Shift+F10
// or the menu key opens the context menu: the owner's items for the point
// (see setPointMenu), then "Copy picture", which puts the chart on the
// clipboard, and "Save as PNG…", which writes it to a file. Drawing is
// ChartPainter's; this class only forwards and adds the focus outline.
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

    // The bar, slice or line point drawn at a position in the widget.
    [[nodiscard]] std::optional<ChartHit> pointAt(const QPoint &position) const;
    // The keyboard's point, while the chart still shows it.
    [[nodiscard]] std::optional<ChartHit> currentPoint() const;
    // Makes a point the keyboard's, as a screen reader choosing it does;
    // false for a point the keyboard cannot reach.
    bool setCurrentPoint(const ChartHit &point);

    // Fills the context menu's first part each time it opens, for the point
    // under the pointer or, from the keyboard, the current point; nothing
    // when it opens elsewhere. The menu comes empty; a separator and the
    // picture's items follow whatever the owner adds.
    using PointMenuFill = std::function<void(QMenu &menu, std::optional<ChartHit> hit)>;
    void setPointMenu(PointMenuFill fill) { m_fillPointMenu = std::move(fill); }

    // The context menu, with the picture's items always last.
    [[nodiscard]] QMenu *pictureMenu() const { return m_pictureMenu; }
    [[nodiscard]] QAction *copyPictureAction() const { return m_copyPicture; }
    [[nodiscard]] QAction *savePictureAction() const { return m_savePicture; }

signals:
    void clicked();
    void doubleClicked();
    // A point chosen by a double click or Enter: the series' index in the
    // model and the index into its points.
    void pointActivated(int series, int point);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    enum class Move { Back, Forward, First, Last };
    // Along the keyboard's points; from none, forward starts at the first
    // and back at the last.
    void moveCurrent(Move move);
    [[nodiscard]] std::optional<ChartHit> currentIn(const ChartLayout &layout) const;
    void paintFocusMark(QPainter &painter) const;
    void openMenu(const std::optional<ChartHit> &hit, const QPoint &globalPosition);
    void openMenuForCurrent();
    void currentChanged();

    ChartModel m_model;
    QPoint m_pressPosition;
    QPoint m_dragPosition;
    bool m_dragging = false;
    QMenu *m_pictureMenu = nullptr;
    QAction *m_copyPicture = nullptr;
    QAction *m_savePicture = nullptr;
    PointMenuFill m_fillPointMenu;
    std::optional<ChartHit> m_current;
};

} // namespace vorin::chart
