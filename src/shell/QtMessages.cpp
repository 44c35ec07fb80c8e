#include "shell/QtMessages.h"

#include "widgets/WindowSupport.h"

#include <QApplication>
#include <QPointer>

namespace vorin {

namespace {

// Over the modal box or window the user is working in, so that the box is
// centred there and blocks it.
QWidget *boxParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox *makeBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                     QMessageBox::StandardButtons buttons, QWidget *parent)
{
    auto *box = new QMessageBox(icon, title, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    return box;
}

// Shows the box modally and frees it; the box may also go with its parent
// while it is open, when that window is destroyed.
int run(QMessageBox *made)
{
    const QPointer<QMessageBox> box(made);
    const int result = box->exec();
    delete box.data();
    return result;
}

} // namespace

QMessageBox *QtMessages::makeErrorBox(const QString &text, QWidget *parent)
{
    return makeBox(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent);
}

QMessageBox *QtMessages::makeInfoBox(const QString &text, QWidget *parent)
{
    return makeBox(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok,
                   parent);
}

QMessageBox *QtMessages::makeConfirmBox(const QString &text, QWidget *parent)
{
    QMessageBox *box = makeBox(QMessageBox::Question, QStringLiteral("Confirm"), text,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

Answer QtMessages::answerOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Cancel, the close box, or a box that could not be shown: nothing goes on.
        return Answer::Cancel;
    }
}

void QtMessages::showError(std::string_view message)
{
    QApplication::beep();
    run(makeErrorBox(toQt(message), boxParent()));
}

void QtMessages::showSilentError(std::string_view message)
{
    run(makeErrorBox(toQt(message), boxParent()));
}

void QtMessages::showInfo(std::string_view message)
{
    run(makeInfoBox(toQt(message), boxParent()));
}

Answer QtMessages::confirm(std::string_view message)
{
    return answerOf(
        static_cast<QMessageBox::StandardButton>(run(makeConfirmBox(toQt(message), boxParent()))));
}

} // namespace vorin
