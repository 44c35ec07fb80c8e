#include "widgets/WindowSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vorin {

void centreOnScreen(QWidget &window)
{
    QScreen *screen = window.parentWidget() ? window.parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace vorin
