#pragma once

#include <QPainter>

namespace vorin {

// Saves the painter's state for one scope, so a drawing helper can change
// pen, brush, clip and transform without leaking them to its caller.
class PainterGuard
{
public:
    explicit PainterGuard(QPainter &painter) : m_painter(painter) { m_painter.save(); }
    ~PainterGuard() { m_painter.restore(); }
    PainterGuard(const PainterGuard &) = delete;
    PainterGuard &operator=(const PainterGuard &) = delete;

private:
    QPainter &m_painter;
};

} // namespace vorin
