#include "ButtonClicks.h"
#include "DialogTestSupport.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/posix/MimeRegistry.h"
#include "dialogs/SelectExtension.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/PickList.h"

#include <memory>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using vorin::FakeFileTypeRegistry;
using vorin::PickList;
using vorin::TfrmSelectExtension;
using vorin::test::ButtonClicks;
using vorin::test::clickRow;
using vorin::test::control;
using vorin::test::doubleClickRow;
using vorin::test::pressEnterOn;

namespace {

// A small register: some extensions too long to be offered, mixed case, and
// one without a description.
FakeFileTypeRegistry makeRegistry()
{
    FakeFileTypeRegistry registry;
    registry.add(".doc", "application/msword", "Word document");
    registry.add(".HTML", "text/html", "HTML document");
    registry.add(".class", "application/x-java", "Java class");
    registry.add(".Bat", "application/x-bat", "DOS batch file");
    registry.add(".zip", "application/zip"); // class name only
    registry.add(".jpeg", "image/jpeg", "JPEG image");
    registry.add(".b", "text/x-b", "B source");
    return registry;
}

QStringList toQStringList(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &text : texts)
        list << QString::fromStdString(text);
    return list;
}

} // namespace

class TestSelectExtension : public QObject
{
    Q_OBJECT

private:
    FakeFileTypeRegistry m_registry = makeRegistry();

    std::unique_ptr<TfrmSelectExtension> shownPicker(const vorin::FileTypeRegistry &registry)
    {
        auto picker = std::make_unique<TfrmSelectExtension>(registry);
        picker->show();
        return picker;
    }

    // Types text into the edit box as the user would, replacing what is there.
    static void typeText(TfrmSelectExtension &picker, const QString &text)
    {
        auto *edit = control<QLineEdit>(picker, "Edit1");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

private slots:
    void initTestCase() { vorin::installFontSubstitutes(); }

    void registeredExtensionsAreFilteredAndSorted_data()
    {
        QTest::addColumn<bool>("withAll");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("without all")
            << false << QStringList{"*.b", "*.Bat", "*.doc", "*.html", "*.jpeg", "*.zip"};
        QTest::newRow("with all") << true << QStringList{"*.*",    "*.b",    "*.Bat", "*.doc",
                                                         "*.html", "*.jpeg", "*.zip"};
    }

    void registeredExtensionsAreFilteredAndSorted()
    {
        QFETCH(bool, withAll);
        QFETCH(QStringList, expected);
        // The fake register lower-cases its keys; this one keeps them as given.
        class AsGiven final : public vorin::FileTypeRegistry
        {
        public:
            std::string className(std::string_view) const override { return {}; }
            std::string classDescription(std::string_view) const override { return {}; }
            std::vector<std::string> registeredExtensions() const override
            {
                return {".zip", ".html", ".class", ".Bat", "doc",
                        ".doc", ".jpeg", ".b",     "",     ".toolong"};
            }
        } registry;
        QCOMPARE(toQStringList(vorin::listRegisteredExtensions(registry, withAll)), expected);
    }

    void rowsShowPatternAndDescriptionInStepWithPatternBox()
    {
        auto picker = shownPicker(m_registry);
        auto *list = control<PickList>(*picker, "lBox");
        auto *box = control<QComboBox>(*picker, "cbWildCard");
        const QStringList expected{
            "*.b\tB source",         "*.bat\tDOS batch file", "*.doc\tWord document",
            "*.html\tHTML document", "*.jpeg\tJPEG image",    "*.zip\tapplication/zip",
        };
        QCOMPARE(list->items(), expected);
        QCOMPARE(box->count(), expected.size());
        for (int i = 0; i < box->count(); ++i)
            QCOMPARE(box->itemText(i), expected[i].section(QLatin1Char('\t'), 0, 0));
        QCOMPARE(control<QLineEdit>(*picker, "Edit1")->text(), QStringLiteral("*.b"));
        QCOMPARE(picker->focusWidget(), control<QLineEdit>(*picker, "Edit1"));
        QCOMPARE(list->selCount(), 0);
    }

    void emptyRegisterLeavesEditBoxEmpty()
    {
        FakeFileTypeRegistry empty;
        auto picker = shownPicker(empty);
        QCOMPARE(control<PickList>(*picker, "lBox")->count(), 0);
        QCOMPARE(control<QLineEdit>(*picker, "Edit1")->text(), QString());
    }

    void typedTextIsNormalised_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("description");
        QTest::newRow("bare") << "doc"
                              << "*.doc"
                              << "Word document";
        QTest::newRow("leading dot") << ".doc"
                                     << "*.doc"
                                     << "Word document";
        QTest::newRow("full pattern") << "*.doc"
                                      << "*.doc"
                                      << "Word document";
        QTest::newRow("dot inside") << "a.b"
                                    << "*a.b"
                                    << "B source";
        QTest::newRow("star without dot") << "*doc"
                                          << "*doc"
                                          << "";
        QTest::newRow("nothing") << ""
                                 << "*."
                                 << " File";
        QTest::newRow("all files refused") << "*.*"
                                           << ""
                                           << "";
        QTest::newRow("dot star refused") << ".*"
                                          << ""
                                          << "";
        QTest::newRow("star refused") << "*"
                                      << ""
                                      << "";
        QTest::newRow("unregistered") << "txt"
                                      << "*.txt"
                                      << "TXT File";
        QTest::newRow("upper case kept") << "DOC"
                                         << "*.DOC"
                                         << "Word document";
        QTest::newRow("too long for the list") << "class"
                                               << "*.class"
                                               << "Java class";
        QTest::newRow("cut at six characters") << "abcdefgh"
                                               << "*.abcdef"
                                               << "ABCDEF File";
    }

    void typedTextIsNormalised()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pattern);
        QFETCH(QString, description);
        auto picker = shownPicker(m_registry);
        typeText(*picker, typed);
        control<QPushButton>(*picker, "BitBtn1")->click();
        QCOMPARE(picker->result(), int(QDialog::Accepted));
        QCOMPARE(picker->isVisible(), false);
        QCOMPARE(picker->severalChosen, false);
        QCOMPARE(picker->chosenPattern, pattern);
        QCOMPARE(picker->chosenDescription, description);
    }

    void enterPressesOk()
    {
        auto picker = shownPicker(m_registry);
        typeText(*picker, QStringLiteral("txt"));
        QTest::keyClick(control<QLineEdit>(*picker, "Edit1"), Qt::Key_Return);
        QCOMPARE(picker->result(), int(QDialog::Accepted));
        QCOMPARE(picker->chosenPattern, QStringLiteral("*.txt"));
    }

    void enterOnAFocusedButtonPressesThatButtonOnly_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("pattern");
        for (const bool keypad : {false, true}) {
            const QByteArray key = keypad ? " keypad Enter" : " Return";
            QTest::newRow("OK" + key) << "BitBtn1" << keypad << int(QDialog::Accepted) << "*.txt";
            QTest::newRow("Cancel" + key) << "BitBtn2" << keypad << int(QDialog::Rejected) << "";
        }
    }

    void enterOnAFocusedButtonPressesThatButtonOnly()
    {
        QFETCH(QString, button);
        QFETCH(bool, keypad);
        QFETCH(int, result);
        QFETCH(QString, pattern);
        auto picker = shownPicker(m_registry);
        typeText(*picker, QStringLiteral("txt"));
        picker->setResult(-1);
        const ButtonClicks clicks(*picker);

        QVERIFY(
            pressEnterOn(*control<QPushButton>(*picker, button.toLatin1().constData()), keypad));

        QCOMPARE(clicks.clicked(), QStringList{button});
        QCOMPARE(picker->result(), result);
        QCOMPARE(picker->isVisible(), false);
        QCOMPARE(picker->chosenPattern, pattern);
    }

    void enterElsewherePressesOk_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("keypad");
        QTest::newRow("edit box") << "Edit1" << false;
        QTest::newRow("edit box, keypad Enter") << "Edit1" << true;
        QTest::newRow("list") << "lBox" << false;
        QTest::newRow("list, keypad Enter") << "lBox" << true;
    }

    void enterElsewherePressesOk()
    {
        QFETCH(QString, focus);
        QFETCH(bool, keypad);
        auto picker = shownPicker(m_registry);
        clickRow(*control<PickList>(*picker, "lBox"), 2);
        picker->setResult(-1);
        const ButtonClicks clicks(*picker);

        QVERIFY(pressEnterOn(*picker->findChild<QWidget *>(focus), keypad));

        QCOMPARE(clicks.clicked(), QStringList{"BitBtn1"});
        QCOMPARE(picker->result(), int(QDialog::Accepted));
        QCOMPARE(picker->chosenPattern, QStringLiteral("*.doc"));
    }

    void clickPutsRowPatternInEditBox_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<bool>("withCtrl");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("selected");
        QTest::newRow("one click") << QList<int>{2} << false << "*.doc" << 1;
        QTest::newRow("another row replaces") << QList<int>{2, 4} << false << "*.jpeg" << 1;
        QTest::newRow("ctrl adds") << QList<int>{1, 3} << true << "*.html" << 2;
        // Taking a row out of the selection still shows its pattern.
        QTest::newRow("ctrl removes") << QList<int>{1, 3, 3} << true << "*.html" << 1;
    }

    void clickPutsRowPatternInEditBox()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(bool, withCtrl);
        QFETCH(QString, edit);
        QFETCH(int, selected);
        auto picker = shownPicker(m_registry);
        auto *list = control<PickList>(*picker, "lBox");
        for (int i = 0; i < clicks.size(); ++i)
            clickRow(*list, clicks[i], withCtrl && i > 0 ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(control<QLineEdit>(*picker, "Edit1")->text(), edit);
        QCOMPARE(list->selCount(), selected);
    }

    void severalRowsAreHandedBackWhateverIsTyped()
    {
        auto picker = shownPicker(m_registry);
        auto *list = control<PickList>(*picker, "lBox");
        clickRow(*list, 4);
        clickRow(*list, 0, Qt::ControlModifier);
        clickRow(*list, 2, Qt::ControlModifier);
        typeText(*picker, QStringLiteral("txt"));
        control<QPushButton>(*picker, "BitBtn1")->click();
        QCOMPARE(picker->result(), int(QDialog::Accepted));
        QCOMPARE(picker->severalChosen, true);
        QCOMPARE(picker->chosenPattern, QString());
        QCOMPARE(picker->selectedRows(),
                 (QStringList{"*.b\tB source", "*.doc\tWord document", "*.jpeg\tJPEG image"}));
    }

    void doubleClickTakesThatRow()
    {
        auto picker = shownPicker(m_registry);
        auto *list = control<PickList>(*picker, "lBox");
        clickRow(*list, 0);
        doubleClickRow(*list, 3);
        QCOMPARE(picker->result(), int(QDialog::Accepted));
        QCOMPARE(picker->isVisible(), false);
        QCOMPARE(picker->severalChosen, false);
        QCOMPARE(picker->chosenPattern, QStringLiteral("*.html"));
        QCOMPARE(picker->chosenDescription, QStringLiteral("HTML document"));
    }

    void doubleClickWithSeveralRowsKeepsThePickerOpen()
    {
        auto picker = shownPicker(m_registry);
        auto *list = control<PickList>(*picker, "lBox");
        clickRow(*list, 0);
        doubleClickRow(*list, 2, Qt::ShiftModifier);
        QCOMPARE(list->selCount(), 3);
        QCOMPARE(picker->isVisible(), true);
        QCOMPARE(picker->result(), int(QDialog::Rejected));
    }

    void cancelEscapeAndCloseBoxEndWithCancel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }

    void cancelEscapeAndCloseBoxEndWithCancel()
    {
        QFETCH(QString, how);
        auto picker = shownPicker(m_registry);
        picker->setResult(-1);
        if (how == QLatin1String("button"))
            control<QPushButton>(*picker, "BitBtn2")->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(control<QLineEdit>(*picker, "Edit1"), Qt::Key_Escape);
        else
            picker->close();
        QCOMPARE(picker->isVisible(), false);
        QCOMPARE(picker->result(), int(QDialog::Rejected));
    }

    void hiddenPatternBoxDescribesItsText()
    {
        auto picker = shownPicker(m_registry);
        auto *box = control<QComboBox>(*picker, "cbWildCard");
        box->setEditText(QStringLiteral("*.doc"));
        QCOMPARE(control<QLabel>(*picker, "lblWild")->text(), QStringLiteral("Word document"));
        box->setEditText(QStringLiteral("*.qqq"));
        QCOMPARE(control<QLabel>(*picker, "lblWild")->text(), QStringLiteral("QQQ File"));
    }

    void controlsStandInTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label1") << "Label1" << QRect(11, 8, 305, 41)
                                << "Type in a new file extension or select one or many from the "
                                   "list below:";
        QTest::newRow("Edit1") << "Edit1" << QRect(159, 40, 121, 21) << "";
        QTest::newRow("lBox") << "lBox" << QRect(15, 72, 297, 241) << "";
        QTest::newRow("Label2")
            << "Label2" << QRect(15, 320, 297, 30)
            << "Hint: Drag mouse or use ctrl-click to select multiple file extensions.";
        QTest::newRow("BitBtn1") << "BitBtn1" << QRect(129, 362, 88, 25) << "OK";
        QTest::newRow("BitBtn2") << "BitBtn2" << QRect(232, 362, 88, 25) << "Cancel";
        QTest::newRow("cbWildCard") << "cbWildCard" << QRect(92, 116, 144, 24) << "";
        QTest::newRow("lblWild") << "lblWild" << QRect(94, 92, 42, 16) << "All files";
    }

    void controlsStandInTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        TfrmSelectExtension picker(m_registry);
        QCOMPARE(picker.windowTitle(), QStringLiteral("Select a file extension"));
        QCOMPARE(picker.size(), QSize(324, 393));
        auto *widget = picker.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), place);
        if (!text.isEmpty()) {
            if (auto *label = qobject_cast<QLabel *>(widget))
                QCOMPARE(label->text(), text);
            else
                QCOMPARE(qobject_cast<QPushButton *>(widget)->text(), text);
        }
    }

    void hiddenPatternBoxLiesUnderTheList()
    {
        auto picker = shownPicker(m_registry);
        auto *list = control<PickList>(*picker, "lBox");
        for (const char *name : {"cbWildCard", "lblWild"}) {
            auto *hidden = control<QWidget>(*picker, name);
            QVERIFY(list->geometry().contains(hidden->geometry()));
            QCOMPARE(picker->childAt(hidden->geometry().center()) == hidden, false);
            QCOMPARE(hidden->focusPolicy(), Qt::NoFocus);
        }
    }

    void okIsTheDefaultButton()
    {
        TfrmSelectExtension picker(m_registry);
        QVERIFY(control<QPushButton>(picker, "BitBtn1")->isDefault());
        QCOMPARE(control<QLineEdit>(picker, "Edit1")->maxLength(), 6);
        // The prompt names the box for a screen reader.
        QCOMPARE(control<QLabel>(picker, "Label1")->buddy(), control<QLineEdit>(picker, "Edit1"));
    }

    // The whole desktop register, as the program opens it: prints how long
    // filling the list takes (first opening, when the register reads every
    // description) and the number of rows.
    void fillFromDesktopRegister()
    {
        vorin::MimeRegistry registry;
        if (registry.registeredExtensions().empty())
            QSKIP("no shared MIME database on this machine");
        for (int opening = 1; opening <= 2; ++opening) {
            TfrmSelectExtension picker(registry);
            QElapsedTimer timer;
            timer.start();
            picker.show();
            const qint64 elapsed = timer.nsecsElapsed();
            auto *list = control<PickList>(picker, "lBox");
            qDebug("opening %d: %d rows filled in %.1f ms", opening, list->count(),
                   double(elapsed) / 1e6);
            QCOMPARE(std::size_t(list->count()),
                     vorin::listRegisteredExtensions(registry, false).size());
            for (const QString &row : list->items()) {
                const QString pattern = row.section(QLatin1Char('\t'), 0, 0);
                QVERIFY2(pattern.startsWith(QLatin1String("*.")) && pattern.size() <= 6,
                         qPrintable(row));
                QVERIFY2(!pattern.mid(1).contains(QLatin1Char('*')), qPrintable(row));
            }
        }
    }
};

QTEST_MAIN(TestSelectExtension)
#include "tst_SelectExtension.moc"
