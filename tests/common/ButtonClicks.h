#pragma once

// Enter on a focused push button, and which push buttons of a window that
// pressed: for the tests of every dialog's keyboard.

#include <QAbstractButton>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace vorin::test {

// Records the clicks of every push button a window has now, by objectName,
// in order.
class ButtonClicks
{
public:
    explicit ButtonClicks(const QWidget &window)
    {
        for (QPushButton *button : window.findChildren<QPushButton *>()) {
            QObject::connect(button, &QAbstractButton::clicked, &m_receiver,
                             [this, name = button->objectName()] { m_clicked << name; });
        }
    }

    [[nodiscard]] const QStringList &clicked() const { return m_clicked; }

private:
    QObject m_receiver;
    QStringList m_clicked;
};

// Gives widget the keyboard focus of its window and presses Enter there, the
// main keyboard's or the keypad's. False when widget could not take the focus.
[[nodiscard]] inline bool pressEnterOn(QWidget &widget, bool keypad = false)
{
    widget.setFocus(Qt::TabFocusReason);
    if (widget.window()->focusWidget() != &widget)
        return false;
    QTest::keyClick(&widget, keypad ? Qt::Key_Enter : Qt::Key_Return,
                    keypad ? Qt::KeypadModifier : Qt::NoModifier);
    return true;
}

} // namespace vorin::test
