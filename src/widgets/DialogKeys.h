#pragma once

class QDialog;
class QKeyEvent;

namespace vorin {

// Makes Enter (or the keypad's Enter) on a focused push button of dialog press
// that button, as on every desktop; with the focus anywhere else Enter still
// goes to the dialog's default button, if it has one.
//
// Qt does the first only for "auto default" buttons, which a window without a
// default button cannot use: Qt makes the first of them the default when the
// window is shown, and any that once had the focus the default for good. This
// works whatever the buttons' settings, for buttons made later too. GUI thread
// only; the event filter it installs is a child of the dialog.
void enterPressesFocusedButton(QDialog &dialog);

// The keys that open a context menu without a mouse: the menu key, and
// Shift+F10 for keyboards without one. The widgets answer them themselves,
// since not every platform turns them into a context-menu request.
[[nodiscard]] bool isMenuKey(const QKeyEvent &event);

} // namespace vorin
