#include "ButtonClicks.h"
#include "widgets/DialogKeys.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using vorin::enterPressesFocusedButton;
using vorin::test::ButtonClicks;
using vorin::test::pressEnterOn;

namespace {

// A dialog with an edit box and the buttons "ok" and "other"; "ok" is the
// default unless withDefault is false.
struct Dialog
{
    explicit Dialog(bool withDefault = true, bool autoDefault = false)
    {
        edit = new QLineEdit(&dialog);
        edit->setObjectName(QStringLiteral("edit"));
        for (QPushButton **button : {&ok, &other}) {
            *button = new QPushButton(&dialog);
            (*button)->setAutoDefault(autoDefault);
        }
        ok->setObjectName(QStringLiteral("ok"));
        other->setObjectName(QStringLiteral("other"));
        ok->setDefault(withDefault);
        enterPressesFocusedButton(dialog);
        dialog.show();
    }

    QDialog dialog;
    QLineEdit *edit = nullptr;
    QPushButton *ok = nullptr;
    QPushButton *other = nullptr;
};

} // namespace

class TestDialogKeys : public QObject
{
    Q_OBJECT

private slots:
    void enterOnAFocusedButtonPressesThatButtonOnly_data()
    {
        QTest::addColumn<bool>("autoDefault");
        QTest::addColumn<bool>("withDefault");
        QTest::addColumn<bool>("keypad");
        for (const bool autoDefault : {false, true}) {
            for (const bool withDefault : {true, false}) {
                for (const bool keypad : {false, true}) {
                    const QByteArray name = QByteArray(autoDefault ? "auto default" : "plain") +
                                            (withDefault ? ", default ok" : ", no default") +
                                            (keypad ? ", keypad Enter" : ", Return");
                    QTest::newRow(name.constData()) << autoDefault << withDefault << keypad;
                }
            }
        }
    }

    void enterOnAFocusedButtonPressesThatButtonOnly()
    {
        QFETCH(bool, autoDefault);
        QFETCH(bool, withDefault);
        QFETCH(bool, keypad);
        Dialog d(withDefault, autoDefault);
        const ButtonClicks clicks(d.dialog);
        QVERIFY(pressEnterOn(*d.other, keypad));
        QVERIFY(pressEnterOn(*d.ok, keypad));
        QCOMPARE(clicks.clicked(), (QStringList{"other", "ok"}));
    }

    void enterElsewherePressesTheDefault()
    {
        Dialog d;
        const ButtonClicks clicks(d.dialog);
        QVERIFY(pressEnterOn(*d.edit));
        QVERIFY(pressEnterOn(*d.edit, true));
        QCOMPARE(clicks.clicked(), (QStringList{"ok", "ok"}));
    }

    void withoutADefaultEnterElsewherePressesNothing()
    {
        Dialog d(false);
        const ButtonClicks clicks(d.dialog);
        QVERIFY(pressEnterOn(*d.other));
        QVERIFY(pressEnterOn(*d.edit));
        QCOMPARE(clicks.clicked(), QStringList{"other"});
    }

    void aButtonMadeLaterIsPressedToo()
    {
        Dialog d;
        auto *later = new QPushButton(&d.dialog);
        later->setObjectName(QStringLiteral("later"));
        later->setAutoDefault(false);
        later->show();
        const ButtonClicks clicks(d.dialog);
        QVERIFY(pressEnterOn(*later));
        QCOMPARE(clicks.clicked(), QStringList{"later"});
    }

    // Shift or Ctrl with Enter is no press of a button, here as in the dialog.
    void enterWithAModifierPressesNothing_data()
    {
        QTest::addColumn<int>("modifier");
        QTest::newRow("Shift") << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl") << int(Qt::ControlModifier);
        QTest::newRow("Alt") << int(Qt::AltModifier);
    }

    void enterWithAModifierPressesNothing()
    {
        QFETCH(int, modifier);
        Dialog d;
        const ButtonClicks clicks(d.dialog);
        d.other->setFocus();
        QTest::keyClick(d.other, Qt::Key_Return, Qt::KeyboardModifiers(modifier));
        QCOMPARE(clicks.clicked(), QStringList{});
    }
};

QTEST_MAIN(TestDialogKeys)
#include "tst_DialogKeys.moc"
