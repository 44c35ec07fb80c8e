#include "widgets/DialogKeys.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace vorin {

namespace {

// Sees Enter after the focused control has let it pass, before the dialog
// gives it to its default button.
class FocusedButtonPresser final : public QObject
{
public:
    explicit FocusedButtonPresser(QDialog &dialog) : QObject(&dialog), m_dialog(dialog) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_dialog || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<const QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *button = qobject_cast<QPushButton *>(m_dialog.focusWidget());
        if (button == nullptr || button->window() != &m_dialog || !button->isEnabled() ||
            !button->isVisibleTo(&m_dialog))
            return false;
        button->click();
        return true;
    }

private:
    QDialog &m_dialog;
};

} // namespace

void enterPressesFocusedButton(QDialog &dialog)
{
    dialog.installEventFilter(new FocusedButtonPresser(dialog));
}

bool isMenuKey(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return event.key() == Qt::Key_Menu ||
           (event.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

} // namespace vorin
