#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

class QPainter;

namespace vorin {

// Where an extruded shadow runs from the lettering.
enum class ShadowDirection { UpLeft, Up, UpRight, Right, DownRight, Down, DownLeft, Left };

// One pixel step in the given direction, e.g. DownRight is (1, 1).
[[nodiscard]] QPoint shadowStep(ShadowDirection direction);

// Geometry of shadowed lettering inside a rectangle: the block the face,
// its extrusion and its highlight cover, and where the face itself goes.
// Kept apart from the widget so that it can be checked without pixels.
struct ShadowedTextLayout
{
    QRect block; // everything that is drawn
    QRect face;  // the lettering in its own colour
};

// Text with an extruded shadow of `shadowDepth` pixels in `shadowDirection`
// and, when `highlightColor` is valid, a one-pixel highlight on the side away
// from the shadow (raised lettering). Draws into any painter: the heading
// label, the grids' print titles, the gallery.
struct ShadowedText
{
    QString text;
    QFont font;
    QColor color{Qt::blue};
    QColor shadowColor{0x80, 0x80, 0x00};
    int shadowDepth = 4;
    ShadowDirection shadowDirection = ShadowDirection::DownRight;
    QColor highlightColor; // invalid: no highlight

    // The size of the block the text occupies, shadow and highlight included.
    [[nodiscard]] QSize blockSize() const;
    [[nodiscard]] ShadowedTextLayout layout(const QRect &area, Qt::Alignment alignment) const;
    void paint(QPainter &painter, const QRect &area, Qt::Alignment alignment) const;
};

// A heading: one line of lettering with an extruded shadow (the windows'
// titles, counters and the "not yet collected" notice). Transparent: the
// parent's background shows around the letters.
class HeadingLabel : public QWidget
{
    Q_OBJECT

public:
    explicit HeadingLabel(QWidget *parent = nullptr);
    explicit HeadingLabel(const QString &text, QWidget *parent = nullptr);

    [[nodiscard]] QString text() const { return m_look.text; }
    void setText(const QString &text);

    [[nodiscard]] QColor textColor() const { return m_look.color; }
    void setTextColor(const QColor &color);
    [[nodiscard]] QColor shadowColor() const { return m_look.shadowColor; }
    void setShadowColor(const QColor &color);
    [[nodiscard]] int shadowDepth() const { return m_look.shadowDepth; }
    void setShadowDepth(int pixels);
    [[nodiscard]] ShadowDirection shadowDirection() const { return m_look.shadowDirection; }
    void setShadowDirection(ShadowDirection direction);
    // An invalid colour switches the highlight off.
    [[nodiscard]] QColor highlightColor() const { return m_look.highlightColor; }
    void setHighlightColor(const QColor &color);
    [[nodiscard]] Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // The program's heading style: blue Times New Roman of the given pixel
    // height with an olive shadow four pixels deep, down and to the right.
    void applyHeadingStyle(int pixelSize = 23);

    // A heading names what stands under it (a window's title) and screen
    // readers let the user jump between headings; other labels read as text.
    [[nodiscard]] bool isHeading() const { return m_heading; }
    void setHeading(bool heading) { m_heading = heading; }

    // Where the face lettering is drawn within the widget.
    [[nodiscard]] QRect faceRect() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void changed();

    ShadowedText m_look;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool m_heading = false;
};

} // namespace vorin
