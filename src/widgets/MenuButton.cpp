#include "widgets/MenuButton.h"

#include "widgets/PainterGuard.h"

#include <QMenu>
#include <QPainter>
#include <QPolygon>
#include <QScreen>

namespace vorin {

namespace {

constexpr int kArrowWidth = 7;
constexpr int kArrowSpace = 14;

} // namespace

MenuButton::MenuButton(QWidget *parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &MenuButton::showPopup);
}

MenuButton::MenuButton(const QString &text, QWidget *parent) : MenuButton(parent)
{
    setText(text);
}

void MenuButton::setPopupMenu(QMenu *menu)
{
    m_menu = menu;
}

void MenuButton::showPopup()
{
    if (!m_menu)
        return;
    emit popupAboutToShow();
    QPoint position = mapToGlobal(QPoint(0, height()));
    const QSize menuSize = m_menu->sizeHint();
    if (const QScreen *display = screen()) {
        if (position.y() + menuSize.height() > display->availableGeometry().bottom())
            position = mapToGlobal(QPoint(0, -menuSize.height()));
    }
    m_menu->popup(position);
}

QSize MenuButton::sizeHint() const
{
    const QSize base = QPushButton::sizeHint();
    return {base.width() + kArrowSpace, base.height()};
}

void MenuButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    // The arrow marks the button as one that opens a menu.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int right = width() - 8;
    const int middle = height() / 2 + (isDown() ? 1 : 0);
    const QPolygonF arrow{QPointF(right - kArrowWidth, middle - 2.0), QPointF(right, middle - 2.0),
                          QPointF(right - kArrowWidth / 2.0, middle + 2.0)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawPolygon(arrow);
}

} // namespace vorin
