#include "ButtonClicks.h"
#include "dialogs/SelectExtension.h"
#include "dialogs/StatList.h"
#include "DialogTestSupport.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/RecordingMessages.h"
#include "platform/posix/PosixSettingsFile.h"
#include "selection/StatFiles.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/HeadingLabel.h"
#include "widgets/PickList.h"

#include <functional>
#include <memory>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using vorin::Answer;
using vorin::FakeFileTypeRegistry;
using vorin::FakeSettingsFile;
using vorin::HeadingLabel;
using vorin::PickList;
using vorin::RecordingMessages;
using vorin::TfrmSelectExtension;
using vorin::TfrmStatList;
using vorin::test::ButtonClicks;
using vorin::test::clickRow;
using vorin::test::control;
using vorin::test::pressEnterOn;

namespace {

FakeFileTypeRegistry makeRegistry()
{
    FakeFileTypeRegistry registry;
    registry.add(".doc", "application/msword", "Word document");
    registry.add(".exe", "application/x-msdownload", "Program");
    registry.add(".dll", "application/x-sharedlib", "Library");
    registry.add(".bat", "application/x-bat", "DOS batch file");
    registry.add(".zip", "application/zip", "Zip archive");
    return registry;
}

// An "Include" list of three in key order that is not sorted, an "Exclude"
// list beside it that must survive every save of "Include".
const char *const kStored = "[Include]\n"
                            "Number=3\n"
                            "File1=*.exe\n"
                            "File2=*.doc\n"
                            "File3=*.Bat\n"
                            "[Exclude]\n"
                            "Number=1\n"
                            "File1=*.tmp\n";

QStringList rowsOf(const TfrmStatList &editor)
{
    return control<PickList>(editor, "PickList1")->items();
}

QString countText(const TfrmStatList &editor)
{
    return control<HeadingLabel>(editor, "lblCount")->text();
}

QStringList patternsStored(const vorin::SettingsFile &file, const char *section,
                           const vorin::FileTypeRegistry &registry)
{
    QStringList patterns;
    for (const std::string &entry : vorin::ReadStatFilesFromDisk(file, section, registry))
        patterns << QString::fromStdString(entry).section(QLatin1Char('\t'), 0, 0);
    return patterns;
}

} // namespace

class TestStatList : public QObject
{
    Q_OBJECT

private:
    FakeFileTypeRegistry m_registry = makeRegistry();

    std::unique_ptr<TfrmStatList> shownEditor(vorin::SettingsFile &file,
                                              const char *section = "Include")
    {
        auto editor =
            std::make_unique<TfrmStatList>(file, m_registry, QString::fromLatin1(section));
        editor->show();
        return editor;
    }

    // Lets "&Add" run the picker through `drive` (which acts on the shown
    // picker and ends it) instead of a nested event loop.
    static void pickWith(TfrmStatList &editor, std::function<void(TfrmSelectExtension &)> drive)
    {
        editor.runPicker = [drive](TfrmSelectExtension &picker) {
            picker.show();
            drive(picker);
            return picker.result();
        };
    }

    static void typeAndOk(TfrmSelectExtension &picker, const QString &text)
    {
        auto *edit = control<QLineEdit>(picker, "Edit1");
        edit->setText(text);
        control<QPushButton>(picker, "BitBtn1")->click();
    }

    static void selectRows(PickList &list, const QList<int> &rows)
    {
        for (int i = 0; i < rows.size(); ++i)
            clickRow(list, rows[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
    }

private slots:
    void initTestCase() { vorin::installFontSubstitutes(); }

    void showLoadsTheSectionSortedWithItsCount()
    {
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        QCOMPARE(rowsOf(*editor),
                 (QStringList{"*.Bat\tDOS batch file", "*.doc\tWord document", "*.exe\tProgram"}));
        QCOMPARE(countText(*editor), QStringLiteral("3 available"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("File types"));
        QCOMPARE(editor->size(), QSize(367, 348));
        QCOMPARE(control<PickList>(*editor, "PickList1")->accessibleName(),
                 QStringLiteral("File types"));
    }

    void missingFileShowsTheDefaultsAndStaysMissing()
    {
        FakeSettingsFile file;
        {
            auto editor = shownEditor(file, "Exclude");
            QCOMPARE(rowsOf(*editor),
                     (QStringList{"*.dll\tLibrary", "*.doc\tWord document", "*.exe\tProgram"}));
            QCOMPARE(countText(*editor), QStringLiteral("3 available"));
            editor->close();
        }
        QCOMPARE(file.contents(), std::nullopt);
        QCOMPARE(file.replaceAttempts(), 0);
    }

    void addTakesThePickerResult_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("rowsAfter");
        QTest::addColumn<QString>("count");
        const QStringList before{"*.Bat\tDOS batch file", "*.doc\tWord document", "*.exe\tProgram"};
        QTest::newRow("new type") << "zip"
                                  << QStringList{before[0], before[1], before[2],
                                                 "*.zip\tZip archive"}
                                  << "4 available";
        QTest::newRow("unregistered type")
            << ".qqq" << QStringList{before[0], before[1], before[2], "*.qqq\tQQQ File"}
            << "4 available";
        QTest::newRow("duplicate") << "doc" << before << "3 available";
        QTest::newRow("duplicate in other case") << "*.BAT" << before << "3 available";
        QTest::newRow("all files refused") << "*.*" << before << "3 available";
        QTest::newRow("nothing typed")
            << "" << QStringList{"*.\t File", before[0], before[1], before[2]} << "4 available";
    }

    void addTakesThePickerResult()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, rowsAfter);
        QFETCH(QString, count);
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        bool pickerShown = false;
        pickWith(*editor, [&](TfrmSelectExtension &picker) {
            pickerShown = picker.isVisible();
            typeAndOk(picker, typed);
        });
        control<QPushButton>(*editor, "btAdd")->click();
        QVERIFY(pickerShown);
        QCOMPARE(rowsOf(*editor), rowsAfter);
        QCOMPARE(countText(*editor), count);
        // Nothing reaches the file before Close.
        QCOMPARE(file.contents(), std::optional<std::string>(kStored));
    }

    void addSeveralRowsSkipsThoseAlreadyListed()
    {
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        pickWith(*editor, [](TfrmSelectExtension &picker) {
            // Picker rows: *.bat, *.dll, *.doc, *.exe, *.zip
            selectRows(*control<PickList>(picker, "lBox"), {4, 0, 1});
            typeAndOk(picker, QStringLiteral("txt"));
        });
        control<QPushButton>(*editor, "btAdd")->click();
        QCOMPARE(rowsOf(*editor),
                 (QStringList{"*.Bat\tDOS batch file", "*.dll\tLibrary", "*.doc\tWord document",
                              "*.exe\tProgram", "*.zip\tZip archive"}));
        QCOMPARE(countText(*editor), QStringLiteral("5 available"));
    }

    void cancelledPickerAddsNothing()
    {
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        control<HeadingLabel>(*editor, "lblCount")->setText(QStringLiteral("stale"));
        pickWith(*editor, [](TfrmSelectExtension &picker) {
            control<QLineEdit>(picker, "Edit1")->setText(QStringLiteral("zip"));
            control<QPushButton>(picker, "BitBtn2")->click();
        });
        control<QPushButton>(*editor, "btAdd")->click();
        QCOMPARE(rowsOf(*editor).size(), 3);
        QCOMPARE(countText(*editor), QStringLiteral("3 available"));
    }

    void deleteAsksOnlyForSeveralRows_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("patternsAfter");
        QTest::newRow("one row, no question")
            << QList<int>{1} << int(Answer::No) << "" << QStringList{"*.Bat", "*.exe"};
        QTest::newRow("no row") << QList<int>{} << int(Answer::Yes) << ""
                                << QStringList{"*.Bat", "*.doc", "*.exe"};
        QTest::newRow("two rows, yes") << QList<int>{0, 2} << int(Answer::Yes)
                                       << "Really delete 2 extensions?" << QStringList{"*.doc"};
        QTest::newRow("three rows, yes") << QList<int>{0, 1, 2} << int(Answer::Yes)
                                         << "Really delete 3 extensions?" << QStringList{};
        QTest::newRow("two rows, no")
            << QList<int>{0, 2} << int(Answer::No) << "Really delete 2 extensions?"
            << QStringList{"*.Bat", "*.doc", "*.exe"};
        QTest::newRow("two rows, cancel")
            << QList<int>{1, 2} << int(Answer::Cancel) << "Really delete 2 extensions?"
            << QStringList{"*.Bat", "*.doc", "*.exe"};
    }

    void deleteAsksOnlyForSeveralRows()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QStringList, patternsAfter);
        RecordingMessages messages;
        messages.queueAnswer(Answer(answer));
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        auto *list = control<PickList>(*editor, "PickList1");
        selectRows(*list, selected);
        control<HeadingLabel>(*editor, "lblCount")->setText(QStringLiteral("stale"));
        control<QPushButton>(*editor, "btDelete")->click();

        QStringList patterns;
        for (const QString &row : list->items())
            patterns << row.section(QLatin1Char('\t'), 0, 0);
        QCOMPARE(patterns, patternsAfter);
        if (question.isEmpty()) {
            QVERIFY(messages.shown().empty());
        } else {
            QCOMPARE(messages.shown().size(), std::size_t(1));
            QCOMPARE(messages.shown()[0].kind, RecordingMessages::Shown::Confirm);
            QCOMPARE(QString::fromStdString(messages.shown()[0].text), question);
        }
        // The counter is set again whenever the rows were looked at.
        if (answer == int(Answer::Yes) || question.isEmpty())
            QCOMPARE(countText(*editor), QString::number(patternsAfter.size()) + " available");
    }

    void clearAllAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<QString>("count");
        QTest::newRow("yes") << int(Answer::Yes) << 0 << "0 available";
        QTest::newRow("no") << int(Answer::No) << 3 << "3 available";
        QTest::newRow("cancel") << int(Answer::Cancel) << 3 << "3 available";
    }

    void clearAllAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(int, rowsAfter);
        QFETCH(QString, count);
        RecordingMessages messages;
        messages.queueAnswer(Answer(answer));
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        control<QPushButton>(*editor, "btClear")->click();
        QCOMPARE(rowsOf(*editor).size(), rowsAfter);
        QCOMPARE(countText(*editor), count);
        QCOMPARE(messages.shown().size(), std::size_t(1));
        QCOMPARE(messages.shown()[0].text, std::string("Really clear out all extensions?"));
    }

    void closeAndEscapeSaveTheList_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Close") << false;
        QTest::newRow("Escape") << true;
    }

    void closeAndEscapeSaveTheList()
    {
        QFETCH(bool, byEscape);
        RecordingMessages messages;
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        auto *list = control<PickList>(*editor, "PickList1");
        clickRow(*list, 2); // *.exe
        control<QPushButton>(*editor, "btDelete")->click();
        pickWith(*editor, [](TfrmSelectExtension &picker) { typeAndOk(picker, "zip"); });
        control<QPushButton>(*editor, "btAdd")->click();
        editor->setResult(-1);
        if (byEscape)
            QTest::keyClick(list, Qt::Key_Escape);
        else
            control<QPushButton>(*editor, "btClose")->click();

        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(editor->isVisible(), false);
        QVERIFY(messages.shown().empty());
        QCOMPARE(patternsStored(file, "Include", m_registry),
                 (QStringList{"*.Bat", "*.doc", "*.zip"}));
        QCOMPARE(patternsStored(file, "Exclude", m_registry), QStringList{"*.tmp"});
        const std::string text = *file.contents();
        QVERIFY(text.find("File1=*.Bat\n") != std::string::npos);
        QVERIFY(text.find("File3=*.zip\n") != std::string::npos);
    }

    void closeBoxThrowsTheChangesAway()
    {
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        clickRow(*control<PickList>(*editor, "PickList1"), 0);
        control<QPushButton>(*editor, "btDelete")->click();
        QCOMPARE(rowsOf(*editor).size(), 2);
        editor->setResult(-1);
        editor->close();
        QCOMPARE(editor->result(), int(QDialog::Rejected));
        QCOMPARE(file.replaceAttempts(), 0);
        QCOMPARE(file.contents(), std::optional<std::string>(kStored));
    }

    void clearAllThenCloseStoresCountZero()
    {
        RecordingMessages messages;
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        control<QPushButton>(*editor, "btClear")->click();
        control<QPushButton>(*editor, "btClose")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(patternsStored(file, "Include", m_registry), QStringList{});
        const std::string text = *file.contents();
        QVERIFY(text.find("Number=0") != std::string::npos);
        // The old keys stay; they lie above the count and are not read.
        QVERIFY(text.find("File3=*.Bat") != std::string::npos);
    }

    void failedSaveReportsAndKeepsFileAndList()
    {
        RecordingMessages messages;
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        clickRow(*control<PickList>(*editor, "PickList1"), 0);
        control<QPushButton>(*editor, "btDelete")->click();
        file.setFailing(true);
        editor->setResult(-1);
        control<QPushButton>(*editor, "btClose")->click();

        QCOMPARE(messages.shown().size(), std::size_t(1));
        QCOMPARE(messages.shown()[0].kind, RecordingMessages::Shown::Error);
        QCOMPARE(messages.shown()[0].text, std::string("Unable to write to vorin98.ini"));
        QCOMPARE(file.contents(), std::optional<std::string>(kStored));
        QVERIFY(editor->result() != int(QDialog::Accepted));
        // The user's list is still there to be saved once the file can be written.
        QVERIFY(editor->isVisible());
        QCOMPARE(rowsOf(*editor).size(), 2);
        file.setFailing(false);
        control<QPushButton>(*editor, "btClose")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(patternsStored(file, "Include", m_registry), (QStringList{"*.doc", "*.exe"}));
    }

    void saveOfAFileThatCannotBeReadReportsAndKeepsFileAndList()
    {
        RecordingMessages messages;
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        clickRow(*control<PickList>(*editor, "PickList1"), 0);
        control<QPushButton>(*editor, "btDelete")->click();
        // Between opening and saving, the file stops being readable: a save
        // now could only start from nothing and lose the other list.
        file.setUnreadable(true);
        editor->setResult(-1);
        control<QPushButton>(*editor, "btClose")->click();

        QCOMPARE(messages.shown().size(), std::size_t(1));
        QCOMPARE(messages.shown()[0].kind, RecordingMessages::Shown::Error);
        QCOMPARE(messages.shown()[0].text, std::string("Unable to write to vorin98.ini"));
        QCOMPARE(file.contents(), std::optional<std::string>(kStored));
        QVERIFY(editor->isVisible());
        QCOMPARE(rowsOf(*editor).size(), 2);
        file.setUnreadable(false);
        control<QPushButton>(*editor, "btClose")->click();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(patternsStored(file, "Include", m_registry), (QStringList{"*.doc", "*.exe"}));
        QCOMPARE(patternsStored(file, "Exclude", m_registry).size(), 1);
    }

    void savesToTheSettingsFileOnDisk()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        vorin::PosixSettingsFile file(dir.filePath(QStringLiteral("config dir")).toStdString());
        {
            auto editor = shownEditor(file, "Exclude");
            pickWith(*editor, [](TfrmSelectExtension &picker) { typeAndOk(picker, "bak"); });
            control<QPushButton>(*editor, "btAdd")->click();
            control<QPushButton>(*editor, "btClose")->click();
            QCOMPARE(editor->result(), int(QDialog::Accepted));
        }
        QFile saved(QString::fromStdString(file.path().string()));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(saved.readAll());
        QVERIFY2(text.contains(QLatin1String("[Exclude]")), qPrintable(text));
        QCOMPARE(patternsStored(file, "Exclude", m_registry),
                 (QStringList{"*.bak", "*.dll", "*.doc", "*.exe"}));
        auto again = shownEditor(file, "Exclude");
        QCOMPARE(countText(*again), QStringLiteral("4 available"));
    }

    void hintsAreCarriedButNotShown()
    {
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        auto *add = control<QPushButton>(*editor, "btAdd");
        QCOMPARE(add->toolTip(), QStringLiteral("Add a file extension to this list"));
        QToolTip::hideText();
        QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), add->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(add, &hover);
        QVERIFY(!QToolTip::isVisible());

        // The same hint on a plain button does show: the check above can fail.
        QPushButton plain;
        plain.setToolTip(add->toolTip());
        plain.show();
        QHelpEvent hoverPlain(QEvent::ToolTip, QPoint(5, 5), plain.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&plain, &hoverPlain);
        QVERIFY(QToolTip::isVisible());
        QToolTip::hideText();
    }

    void enterOnAFocusedButtonPressesThatButtonOnly_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("pickerRuns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("saves");
        const int open = -1;
        for (const bool keypad : {false, true}) {
            const QByteArray key = keypad ? " keypad Enter" : " Return";
            // The first row is selected for each: Delete takes it without asking.
            QTest::newRow("Add" + key) << "btAdd" << keypad << 1 << 3 << 0 << open << 0;
            QTest::newRow("Delete" + key) << "btDelete" << keypad << 0 << 2 << 0 << open << 0;
            // Answered No: the question alone shows the button was pressed.
            QTest::newRow("Clear all" + key) << "btClear" << keypad << 0 << 3 << 1 << open << 0;
            QTest::newRow("Close" + key)
                << "btClose" << keypad << 0 << 3 << 0 << int(QDialog::Accepted) << 1;
        }
    }

    void enterOnAFocusedButtonPressesThatButtonOnly()
    {
        QFETCH(QString, button);
        QFETCH(bool, keypad);
        QFETCH(int, pickerRuns);
        QFETCH(int, rows);
        QFETCH(int, questions);
        QFETCH(int, result);
        QFETCH(int, saves);
        RecordingMessages messages;
        messages.queueAnswer(Answer::No);
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        int picks = 0;
        editor->runPicker = [&picks](TfrmSelectExtension &) {
            ++picks;
            return int(QDialog::Rejected);
        };
        clickRow(*control<PickList>(*editor, "PickList1"), 0);
        editor->setResult(-1);
        const ButtonClicks clicks(*editor);

        QVERIFY(
            pressEnterOn(*control<QPushButton>(*editor, button.toLatin1().constData()), keypad));

        QCOMPARE(clicks.clicked(), QStringList{button});
        QCOMPARE(picks, pickerRuns);
        QCOMPARE(rowsOf(*editor).size(), rows);
        QCOMPARE(int(messages.shown().size()), questions);
        QCOMPARE(editor->result(), result);
        QCOMPARE(editor->isVisible(), result == -1);
        QCOMPARE(file.replaceAttempts(), saves);
    }

    // The window has no default button: Enter in the list neither opens the
    // picker nor saves.
    void enterInTheListPressesNoButton()
    {
        RecordingMessages messages;
        FakeSettingsFile file(kStored);
        auto editor = shownEditor(file);
        int picks = 0;
        editor->runPicker = [&picks](TfrmSelectExtension &) {
            ++picks;
            return int(QDialog::Rejected);
        };
        auto *list = control<PickList>(*editor, "PickList1");
        clickRow(*list, 1);
        editor->setResult(-1);
        const ButtonClicks clicks(*editor);

        QVERIFY(pressEnterOn(*list));
        QVERIFY(pressEnterOn(*list, true));

        QCOMPARE(clicks.clicked(), QStringList{});
        QCOMPARE(picks, 0);
        QCOMPARE(rowsOf(*editor).size(), 3);
        QVERIFY(messages.shown().empty());
        QCOMPARE(editor->result(), -1);
        QVERIFY(editor->isVisible());
        QCOMPARE(file.replaceAttempts(), 0);
    }

    void controlsStandInTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label1") << "Label1" << QRect(8, 5, 259, 27) << "File Types";
        QTest::newRow("lblCount") << "lblCount" << QRect(16, 5, 233, 27) << "25 available";
        QTest::newRow("PickList1") << "PickList1" << QRect(8, 37, 241, 304) << "";
        QTest::newRow("btAdd") << "btAdd" << QRect(264, 41, 96, 27) << "&Add";
        QTest::newRow("btDelete") << "btDelete" << QRect(264, 75, 96, 27) << "&Delete";
        QTest::newRow("btClear") << "btClear" << QRect(264, 109, 96, 27) << "&Clear all";
        QTest::newRow("btClose") << "btClose" << QRect(264, 144, 96, 27) << "Close";
        QTest::newRow("Label2")
            << "Label2" << QRect(264, 248, 97, 81)
            << "Hint: Drag mouse or use ctrl-click to select multiple file types.";
    }

    void controlsStandInTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        FakeSettingsFile file;
        TfrmStatList editor(file, m_registry, QStringLiteral("Include"));
        auto *widget = editor.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), place);
        if (auto *heading = qobject_cast<HeadingLabel *>(widget))
            QCOMPARE(heading->text(), text);
        else if (auto *label = qobject_cast<QLabel *>(widget))
            QCOMPARE(label->text(), text);
        else if (auto *button = qobject_cast<QPushButton *>(widget))
            QCOMPARE(button->text(), text);
    }
};

QTEST_MAIN(TestStatList)
#include "tst_StatList.moc"
