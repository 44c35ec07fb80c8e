#pragma once

#include <QColor>
#include <QWidget>

namespace vorin {

// A backdrop that fills itself with a vertical colour gradient, blue at the
// top fading to navy-black at the bottom by default (the about box).
// Children sit on it as on any widget.
class GradientBackdrop : public QWidget
{
    Q_OBJECT

public:
    explicit GradientBackdrop(QWidget *parent = nullptr);

    [[nodiscard]] QColor topColor() const { return m_top; }
    [[nodiscard]] QColor bottomColor() const { return m_bottom; }
    void setColors(const QColor &top, const QColor &bottom);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_top{0x00, 0x00, 0xff};
    QColor m_bottom{0x00, 0x00, 0x30};
};

} // namespace vorin
