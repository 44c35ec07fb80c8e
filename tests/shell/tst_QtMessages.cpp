#include "shell/QtMessages.h"

#include <memory>
#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using vorin::Answer;
using vorin::QtMessages;

namespace {

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool modal = false;
};

// Once the box is up, notes what it shows and presses `press` on it (or its
// escape button when `press` is NoButton). Runs from the box's own event loop.
void answerNextBox(SeenBox &seen, QMessageBox::StandardButton press)
{
    QTimer::singleShot(0, qApp, [&seen, press] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.modal = box->isModal();
        for (QAbstractButton *button : box->buttons())
            seen.buttons << button->text().remove(QLatin1Char('&'));
        if (press == QMessageBox::NoButton)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(press)->click();
    });
}

} // namespace

class TestQtMessages : public QObject
{
    Q_OBJECT

private slots:
    void errorBoxIsTitledErrorWithOneOk()
    {
        const std::unique_ptr<QMessageBox> box(
            QtMessages::makeErrorBox(QStringLiteral("Bad"), nullptr));
        QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->text(), QStringLiteral("Bad"));
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->textFormat(), Qt::PlainText);
    }

    void infoBoxIsTitledInformationWithOneOk()
    {
        const std::unique_ptr<QMessageBox> box(
            QtMessages::makeInfoBox(QStringLiteral("Note"), nullptr));
        QCOMPARE(box->windowTitle(), QStringLiteral("Information"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void confirmBoxOffersYesNoAndCancel()
    {
        const std::unique_ptr<QMessageBox> box(
            QtMessages::makeConfirmBox(QStringLiteral("Sure?"), nullptr));
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
        QCOMPARE(box->escapeButton(), box->button(QMessageBox::Cancel));
    }

    void onlyYesGoesOn_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << int(Answer::Yes);
        QTest::newRow("No") << int(QMessageBox::No) << int(Answer::No);
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << int(Answer::Cancel);
        QTest::newRow("closed") << int(QMessageBox::NoButton) << int(Answer::Cancel);
    }

    void onlyYesGoesOn()
    {
        QFETCH(int, button);
        QFETCH(int, answer);
        QCOMPARE(int(QtMessages::answerOf(QMessageBox::StandardButton(button))), answer);
    }

    void showErrorWaitsForOk()
    {
        QtMessages messages;
        SeenBox seen;
        answerNextBox(seen, QMessageBox::Ok);
        messages.showError("Couldn't open web browser for home page.");
        QCOMPARE(seen.title, QStringLiteral("Error"));
        QCOMPARE(seen.text, QStringLiteral("Couldn't open web browser for home page."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
        QVERIFY(seen.modal);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void showSilentErrorShowsTheSameErrorBox()
    {
        QtMessages messages;
        SeenBox seen;
        answerNextBox(seen, QMessageBox::Ok);
        messages.showSilentError("Can't open drive d: [/media/usb]");
        QCOMPARE(seen.title, QStringLiteral("Error"));
        QCOMPARE(seen.text, QStringLiteral("Can't open drive d: [/media/usb]"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
        QVERIFY(seen.modal);
    }

    void showInfoKeepsTheTextAsWritten()
    {
        QtMessages messages;
        SeenBox seen;
        answerNextBox(seen, QMessageBox::Ok);
        messages.showInfo("Two  blanks <b>and</b> \xc3\xa9");
        QCOMPARE(seen.title, QStringLiteral("Information"));
        QCOMPARE(seen.text, QString::fromUtf8("Two  blanks <b>and</b> \xc3\xa9"));
        QCOMPARE(seen.icon, QMessageBox::Information);
    }

    void confirmAnswersWhatWasPressed()
    {
        QtMessages messages;
        SeenBox seen;
        answerNextBox(seen, QMessageBox::No);
        QCOMPARE(messages.confirm("Really clear out all extensions?"), Answer::No);
        // Their order on screen is the desktop's.
        seen.buttons.sort();
        QCOMPARE(seen.buttons, (QStringList{QStringLiteral("Cancel"), QStringLiteral("No"),
                                            QStringLiteral("Yes")}));

        answerNextBox(seen, QMessageBox::Yes);
        QCOMPARE(messages.confirm("Again?"), Answer::Yes);
    }

    void escapeCancelsAQuestion()
    {
        QtMessages messages;
        SeenBox seen;
        answerNextBox(seen, QMessageBox::NoButton);
        QCOMPARE(messages.confirm("Really delete 3 extensions?"), Answer::Cancel);
        QCOMPARE(seen.title, QStringLiteral("Confirm"));
    }

    void boxComesUpOverTheActiveDialog()
    {
        QtMessages messages;
        QDialog owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QApplication::setActiveWindow(&owner);
        QWidget *parent = nullptr;
        QTimer::singleShot(0, qApp, [&parent] {
            QWidget *box = QApplication::activeModalWidget();
            if (box == nullptr)
                return;
            parent = box->parentWidget();
            box->close();
        });
        messages.showInfo("x");
        QCOMPARE(parent, &owner);
    }
};

QTEST_MAIN(TestQtMessages)
#include "tst_QtMessages.moc"
