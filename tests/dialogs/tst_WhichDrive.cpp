#include "ButtonClicks.h"
#include "dialogs/StatList.h"
#include "dialogs/WhichDrive.h"
#include "DialogTestSupport.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "support/Utility.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/HeadingLabel.h"
#include "widgets/PickList.h"

#include <functional>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using vorin::FakeFileTypeRegistry;
using vorin::FakeSettingsFile;
using vorin::FakeVolumes;
using vorin::HeadingLabel;
using vorin::PickList;
using vorin::TfrmStatList;
using vorin::TfrmWhichDrive;
using vorin::Volume;
using vorin::test::ButtonClicks;
using vorin::test::clickRow;
using vorin::test::control;
using vorin::test::pressEnterOn;

namespace {

// Floppies a and b, a system disk, an unlabelled fixed disk, a removable
// disk, a network share, an empty disc slot and a drive of no known type.
FakeVolumes makeVolumes(char current)
{
    FakeVolumes volumes;
    volumes.add(Volume{'a', vorin::kDriveRemovable, "/media/a", "", "vfat", ""});
    volumes.add(Volume{'b', vorin::kDriveFixed, "/media/b", "B", "ext4", ""});
    volumes.add(Volume{'c', vorin::kDriveFixed, "/", "/", "ext4", ""});
    volumes.add(Volume{'d', vorin::kDriveFixed, "/data", "", "ext4", ""});
    volumes.add(Volume{'e', vorin::kDriveRemovable, "/media/stick", "STICK", "vfat", ""});
    volumes.add(Volume{'f', vorin::kDriveRemote, "/net", "", "cifs", "//Server/Share"});
    volumes.add(Volume{'g', vorin::kDriveCdRom, "/media/cdrom", "", "iso9660", ""});
    volumes.add(Volume{'h', vorin::kDriveUnknown, "/odd", "odd", "fuse", ""});
    volumes.setCurrentDrive(current);
    return volumes;
}

const QStringList kDriveRows{"c: [/]", "d: (Fixed disk)", "e:", "f: //server/share", "g: (CD-ROM)"};

FakeFileTypeRegistry makeRegistry()
{
    FakeFileTypeRegistry registry;
    registry.add(".doc", "application/msword", "Word document");
    registry.add(".zip", "application/zip", "Zip archive");
    return registry;
}

const char *const kStored = "[Include]\n"
                            "Number=3\n"
                            "File1=*.zip\n"
                            "File2=*.doc\n"
                            "File3=*.log\n"
                            "[Exclude]\n"
                            "Number=2\n"
                            "File1=*.tmp\n"
                            "File2=*.bak\n";

QString visiblePanel(const TfrmWhichDrive &wizard)
{
    QString shown;
    for (const char *name : {"Panel1", "Panel2", "Panel3"}) {
        if (control<QFrame>(wizard, name)->isVisible())
            shown += QString::fromLatin1(name);
    }
    return shown;
}

void press(const TfrmWhichDrive &wizard, const char *button)
{
    auto *found = control<QPushButton>(wizard, button);
    QVERIFY2(found && found->isVisible() && found->isEnabled(), button);
    found->click();
}

void triggerMenu(const TfrmWhichDrive &wizard, const char *action)
{
    auto *found = wizard.findChild<QAction *>(QString::fromLatin1(action));
    QVERIFY2(found, action);
    found->trigger();
}

QList<bool> selection(const PickList &list)
{
    QList<bool> flags;
    for (int i = 0; i < list.count(); ++i)
        flags << list.selected(i);
    return flags;
}

} // namespace

class TestWhichDrive : public QObject
{
    Q_OBJECT

private:
    FakeVolumes m_volumes = makeVolumes('c');
    FakeFileTypeRegistry m_registry = makeRegistry();
    FakeSettingsFile m_settings{kStored};

    std::unique_ptr<TfrmWhichDrive> shownWizard(const vorin::Volumes &volumes)
    {
        auto wizard = std::make_unique<TfrmWhichDrive>(volumes, m_settings, m_registry);
        wizard->setResult(-1);
        wizard->show();
        return wizard;
    }
    std::unique_ptr<TfrmWhichDrive> shownWizard() { return shownWizard(m_volumes); }

    // Through the drives and the mode to the type panel.
    std::unique_ptr<TfrmWhichDrive> wizardOnTypes(const char *mode)
    {
        auto wizard = shownWizard();
        press(*wizard, "btNext1");
        control<QRadioButton>(*wizard, mode)->setChecked(true);
        press(*wizard, "btNext2");
        return wizard;
    }

    static QString counter(const TfrmWhichDrive &wizard)
    {
        return control<HeadingLabel>(wizard, "lblOf")->text();
    }

private slots:
    void initTestCase() { vorin::installFontSubstitutes(); }
    void init() { m_settings.setContents(std::string(kStored)); }

    void opensOnTheDrivesWithTheCurrentDriveSelected()
    {
        auto wizard = shownWizard();
        QCOMPARE(wizard->windowTitle(), QStringLiteral("Which drives and file types?"));
        QCOMPARE(wizard->size(), QSize(283, 315));
        QCOMPARE(visiblePanel(*wizard), QStringLiteral("Panel1"));
        QCOMPARE(wizard->pckDrive->items(), kDriveRows);
        QCOMPARE(wizard->pckDrive->accessibleName(), QStringLiteral("Drives"));
        QCOMPARE(wizard->PickList1->accessibleName(), QStringLiteral("File types"));
        QCOMPARE(selection(*wizard->pckDrive), (QList<bool>{true, false, false, false, false}));
        QVERIFY(control<QPushButton>(*wizard, "btNext1")->isEnabled());
        QVERIFY(control<QRadioButton>(*wizard, "rbAll")->isChecked());
        QVERIFY(!control<QPushButton>(*wizard, "btOK")->isEnabled());
        QCOMPARE(wizard->allFiles, true);
    }

    void defaultDriveSelection_data()
    {
        QTest::addColumn<char>("current");
        QTest::addColumn<QList<bool>>("selected");
        const QList<bool> every{true, true, true, true, true};
        QTest::newRow("labelled system disk")
            << 'c' << QList<bool>{true, false, false, false, false};
        QTest::newRow("removable") << 'e' << QList<bool>{false, false, true, false, false};
        QTest::newRow("network share") << 'f' << QList<bool>{false, false, false, true, false};
        // The entry of a drive without label was rewritten, so it is not found.
        QTest::newRow("unlabelled disk") << 'd' << every;
        QTest::newRow("unlabelled disc") << 'g' << every;
        QTest::newRow("floppy a") << 'a' << every;
        QTest::newRow("floppy b") << 'b' << every;
        QTest::newRow("unknown type") << 'h' << every;
        QTest::newRow("no current drive") << '\0' << every;
    }

    void defaultDriveSelection()
    {
        QFETCH(char, current);
        QFETCH(QList<bool>, selected);
        const FakeVolumes volumes = makeVolumes(current);
        auto wizard = shownWizard(volumes);
        QCOMPARE(wizard->pckDrive->items(), kDriveRows);
        QCOMPARE(selection(*wizard->pckDrive), selected);
        QVERIFY(control<QPushButton>(*wizard, "btNext1")->isEnabled());
    }

    void namedDrivesAreSelectedInsteadOfTheCurrentOne_data()
    {
        QTest::addColumn<QList<char>>("named");
        QTest::addColumn<QList<bool>>("selected");
        QTest::newRow("two folders")
            << QList<char>{'e', 'f'} << QList<bool>{false, false, true, true, false};
        QTest::newRow("one, not the current drive")
            << QList<char>{'d'} << QList<bool>{false, true, false, false, false};
        // Nothing named is listed: the current drive, as without names.
        QTest::newRow("only unlisted drives")
            << QList<char>{'a', 'h', 'x'} << QList<bool>{true, false, false, false, false};
    }

    void namedDrivesAreSelectedInsteadOfTheCurrentOne()
    {
        QFETCH(QList<char>, named);
        QFETCH(QList<bool>, selected);
        auto wizard = std::make_unique<TfrmWhichDrive>(m_volumes, m_settings, m_registry);
        wizard->namedDrives.assign(named.begin(), named.end());
        wizard->setResult(-1);
        wizard->show();
        QCOMPARE(wizard->pckDrive->items(), kDriveRows);
        QCOMPARE(selection(*wizard->pckDrive), selected);
        QVERIFY(control<QPushButton>(*wizard, "btNext1")->isEnabled());
    }

    void withoutAnyDriveNextStaysDisabled()
    {
        FakeVolumes floppiesOnly;
        floppiesOnly.add(Volume{'a', vorin::kDriveRemovable, "/media/a", "", "vfat", ""});
        floppiesOnly.setCurrentDrive('a');
        auto wizard = shownWizard(floppiesOnly);
        QCOMPARE(wizard->pckDrive->count(), 0);
        QVERIFY(!control<QPushButton>(*wizard, "btNext1")->isEnabled());
    }

    void nextFollowsTheDriveSelection()
    {
        auto wizard = shownWizard();
        auto *next = control<QPushButton>(*wizard, "btNext1");
        clickRow(*wizard->pckDrive, 0); // the only selected drive, off
        QVERIFY(!next->isEnabled());
        clickRow(*wizard->pckDrive, 3);
        QVERIFY(next->isEnabled());
        triggerMenu(*wizard, "Deselectall1");
        QCOMPARE(wizard->pckDrive->selCount(), 0);
        QVERIFY(!next->isEnabled());
        triggerMenu(*wizard, "SelectAll1");
        QCOMPARE(wizard->pckDrive->selCount(), kDriveRows.size());
        QVERIFY(next->isEnabled());
        // Enter does nothing while Next is disabled.
        triggerMenu(*wizard, "Deselectall1");
        QTest::keyClick(wizard->pckDrive, Qt::Key_Return);
        QCOMPARE(visiblePanel(*wizard), QStringLiteral("Panel1"));
    }

    void rightClickOpensTheSelectAllMenu_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("menu");
        QTest::newRow("drives") << "pckDrive"
                                << "PopupMenu1";
        QTest::newRow("types") << "PickList1"
                               << "PopupMenu2";
    }

    void rightClickOpensTheSelectAllMenu()
    {
        QFETCH(QString, list);
        QFETCH(QString, menu);
        auto wizard =
            list == QLatin1String("pckDrive") ? shownWizard() : wizardOnTypes("rbInclude");
        auto *pick = wizard->findChild<PickList *>(list);
        auto *popup = wizard->findChild<QMenu *>(menu);
        QVERIFY(pick && popup);
        QCOMPARE(pick->contextMenu(), popup);
        QTest::mouseClick(pick->viewport(), Qt::RightButton, {}, pick->rowRect(0).center());
        QTRY_VERIFY(popup->isVisible());
        QStringList texts;
        for (QAction *action : popup->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{"Select All", "Deselect All"}));
        popup->close();
    }

    void stateTable_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<int>("result");
        const int open = -1;
        QTest::newRow("Next") << QStringList{"btNext1"} << "Panel2" << open;
        QTest::newRow("Next, Previous") << QStringList{"btNext1", "btPrior2"} << "Panel1" << open;
        QTest::newRow("Cancel") << QStringList{"btCancel1"} << "" << int(QDialog::Rejected);
        QTest::newRow("close box on drives")
            << QStringList{"close"} << "" << int(QDialog::Rejected);
        QTest::newRow("close box on mode")
            << QStringList{"btNext1", "close"} << "" << int(QDialog::Rejected);
        QTest::newRow("close box on types")
            << QStringList{"btNext1", "rbExclude", "btNext2", "close"} << ""
            << int(QDialog::Rejected);
        QTest::newRow("include to types")
            << QStringList{"btNext1", "rbInclude", "btNext2"} << "Panel3" << open;
        QTest::newRow("types, Previous")
            << QStringList{"btNext1", "rbInclude", "btNext2", "btPrior3"} << "Panel2" << open;
        QTest::newRow("Escape does not leave")
            << QStringList{"btNext1", "escape"} << "Panel2" << open;
        QTest::newRow("Enter on drives") << QStringList{"enter"} << "Panel2" << open;
        QTest::newRow("Enter on mode with all files")
            << QStringList{"enter", "enter"} << "" << int(QDialog::Accepted);
        QTest::newRow("Enter on types without a type")
            << QStringList{"btNext1", "rbInclude", "enter", "enter"} << "Panel3" << open;
    }

    void stateTable()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, panel);
        QFETCH(int, result);
        auto wizard = shownWizard();
        for (const QString &step : steps) {
            if (step == QLatin1String("close"))
                wizard->close();
            else if (step == QLatin1String("escape") || step == QLatin1String("enter"))
                QTest::keyClick(wizard->focusWidget() ? wizard->focusWidget() : wizard.get(),
                                step == QLatin1String("escape") ? Qt::Key_Escape : Qt::Key_Return);
            else if (step.startsWith(QLatin1String("rb")))
                control<QRadioButton>(*wizard, step.toLatin1().constData())->setChecked(true);
            else
                press(*wizard, step.toLatin1().constData());
        }
        QCOMPARE(visiblePanel(*wizard), wizard->isVisible() ? panel : QString());
        QCOMPARE(wizard->isVisible(), result == -1);
        QCOMPARE(wizard->result(), result);
    }

    // Every button of every panel, reached by the steps before it; Enter
    // anywhere else is the panels' default button (see stateTable).
    void enterOnAFocusedButtonPressesThatButtonOnly_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("editorRuns");
        const int open = -1;
        const int accepted = int(QDialog::Accepted);
        const QStringList toTypes{"btNext1", "rbInclude", "btNext2"};
        for (const bool keypad : {false, true}) {
            const QByteArray key = keypad ? " keypad Enter" : " Return";
            QTest::newRow("Cancel" + key)
                << QStringList{} << "btCancel1" << keypad << "" << int(QDialog::Rejected) << 0;
            QTest::newRow("Next on drives" + key)
                << QStringList{} << "btNext1" << keypad << "Panel2" << open << 0;
            QTest::newRow("Previous on mode" + key)
                << QStringList{"btNext1"} << "btPrior2" << keypad << "Panel1" << open << 0;
            QTest::newRow("Next on mode, all files" + key)
                << QStringList{"btNext1"} << "btNext2" << keypad << "" << accepted << 0;
            QTest::newRow("Next on mode, chosen types" + key)
                << QStringList{"btNext1", "rbInclude"} << "btNext2" << keypad << "Panel3" << open
                << 0;
            QTest::newRow("Add/Delete" + key)
                << toTypes << "btEdit" << keypad << "Panel3" << open << 1;
            QTest::newRow("Previous on types" + key)
                << toTypes << "btPrior3" << keypad << "Panel2" << open << 0;
            QTest::newRow("OK" + key)
                << toTypes + QStringList{"type"} << "btOK" << keypad << "" << accepted << 0;
        }
    }

    void enterOnAFocusedButtonPressesThatButtonOnly()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, button);
        QFETCH(bool, keypad);
        QFETCH(QString, panel);
        QFETCH(int, result);
        QFETCH(int, editorRuns);
        auto wizard = shownWizard();
        int edits = 0;
        wizard->runListEditor = [&edits](TfrmStatList &) {
            ++edits;
            return int(QDialog::Rejected);
        };
        for (const QString &step : steps) {
            if (step == QLatin1String("type"))
                clickRow(*wizard->PickList1, 0);
            else if (step.startsWith(QLatin1String("rb")))
                control<QRadioButton>(*wizard, step.toLatin1().constData())->setChecked(true);
            else
                press(*wizard, step.toLatin1().constData());
        }
        const ButtonClicks clicks(*wizard);

        QVERIFY(
            pressEnterOn(*control<QPushButton>(*wizard, button.toLatin1().constData()), keypad));

        QCOMPARE(clicks.clicked(), QStringList{button});
        QCOMPARE(visiblePanel(*wizard), wizard->isVisible() ? panel : QString());
        QCOMPARE(wizard->isVisible(), result == -1);
        QCOMPARE(wizard->result(), result);
        QCOMPARE(edits, editorRuns);
    }

    void allFilesEndsAtOnce()
    {
        auto wizard = shownWizard();
        press(*wizard, "btNext1");
        press(*wizard, "btNext2");
        QCOMPARE(wizard->result(), int(QDialog::Accepted));
        QVERIFY(!control<QFrame>(*wizard, "Panel3")->isVisible());
        QCOMPARE(wizard->allFiles, true);
        QCOMPARE(wizard->includeTypes, false);
        QCOMPARE(wizard->excludeTypes, false);
        QCOMPARE(wizard->pckDrive->selectedItems(), QStringList{"c: [/]"});
        QCOMPARE(wizard->PickList1->count(), 0);
    }

    void typePanelLoadsTheModesList_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("include") << "rbInclude"
                                 << "Selected file types only"
                                 << QStringList{"*.zip\tZip archive", "*.doc\tWord document",
                                                "*.log\tLOG File"};
        QTest::newRow("exclude") << "rbExclude"
                                 << "All file types except ..."
                                 << QStringList{"*.tmp\tTMP File", "*.bak\tBAK File"};
    }

    void typePanelLoadsTheModesList()
    {
        QFETCH(QString, mode);
        QFETCH(QString, heading);
        QFETCH(QStringList, rows);
        auto wizard = wizardOnTypes(mode.toLatin1().constData());
        QCOMPARE(visiblePanel(*wizard), QStringLiteral("Panel3"));
        auto *headingLabel = control<HeadingLabel>(*wizard, "lblSelect");
        QCOMPARE(headingLabel->text(), heading);
        // The whole heading is shown, and the counter stays on top of it.
        QVERIFY(headingLabel->width() >= headingLabel->sizeHint().width());
        QCOMPARE(headingLabel->x(), 8);
        QVERIFY(headingLabel->parentWidget()->children().indexOf(headingLabel) <
                headingLabel->parentWidget()->children().indexOf(
                    control<HeadingLabel>(*wizard, "lblOf")));
        QCOMPARE(wizard->PickList1->items(), rows);
        QCOMPARE(wizard->PickList1->selCount(), 0);
        QCOMPARE(counter(*wizard), QStringLiteral("0/%1").arg(rows.size()));
        QVERIFY(!control<QPushButton>(*wizard, "btOK")->isEnabled());
    }

    void okNeedsATypeAndCountsThem()
    {
        auto wizard = wizardOnTypes("rbInclude");
        auto *ok = control<QPushButton>(*wizard, "btOK");
        clickRow(*wizard->PickList1, 0);
        QVERIFY(ok->isEnabled());
        QCOMPARE(counter(*wizard), QStringLiteral("1/3"));
        clickRow(*wizard->PickList1, 2);
        QCOMPARE(counter(*wizard), QStringLiteral("2/3"));
        clickRow(*wizard->PickList1, 0);
        clickRow(*wizard->PickList1, 2);
        QVERIFY(!ok->isEnabled());
        QCOMPARE(counter(*wizard), QStringLiteral("0/3"));
        triggerMenu(*wizard, "SelectAll2");
        QVERIFY(ok->isEnabled());
        QCOMPARE(counter(*wizard), QStringLiteral("3/3"));
        triggerMenu(*wizard, "DeselectAll2");
        QVERIFY(!ok->isEnabled());
        QCOMPARE(counter(*wizard), QStringLiteral("0/3"));
    }

    void okHandsBackModeAndTypes_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("include");
        QTest::addColumn<QStringList>("types");
        QTest::newRow("include") << "rbInclude" << true
                                 << QStringList{"*.zip\tZip archive", "*.log\tLOG File"};
        QTest::newRow("exclude") << "rbExclude" << false
                                 << QStringList{"*.tmp\tTMP File", "*.bak\tBAK File"};
    }

    void okHandsBackModeAndTypes()
    {
        QFETCH(QString, mode);
        QFETCH(bool, include);
        QFETCH(QStringList, types);
        auto wizard = shownWizard();
        clickRow(*wizard->pckDrive, 3);
        press(*wizard, "btNext1");
        control<QRadioButton>(*wizard, mode.toLatin1().constData())->setChecked(true);
        press(*wizard, "btNext2");
        clickRow(*wizard->PickList1, wizard->PickList1->count() - 1);
        clickRow(*wizard->PickList1, 0);
        QTest::keyClick(wizard->PickList1, Qt::Key_Return);
        QCOMPARE(wizard->result(), int(QDialog::Accepted));
        QCOMPARE(wizard->allFiles, false);
        QCOMPARE(wizard->includeTypes, include);
        QCOMPARE(wizard->excludeTypes, !include);
        QCOMPARE(wizard->pckDrive->selectedItems(), (QStringList{"c: [/]", "f: //server/share"}));
        QCOMPARE(wizard->PickList1->selectedItems(), types);
    }

    void previousThenNextLosesTheTypeSelection()
    {
        auto wizard = wizardOnTypes("rbInclude");
        triggerMenu(*wizard, "SelectAll2");
        QCOMPARE(counter(*wizard), QStringLiteral("3/3"));
        press(*wizard, "btPrior3");
        press(*wizard, "btNext2");
        QCOMPARE(wizard->PickList1->selCount(), 0);
        QCOMPARE(counter(*wizard), QStringLiteral("0/3"));
        QVERIFY(!control<QPushButton>(*wizard, "btOK")->isEnabled());
    }

    void addDeleteEditsTheModesListAndReloads_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("section");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("counterAfter");
        QTest::newRow("include, Close") << "rbInclude"
                                        << "Include" << true << "0/2";
        QTest::newRow("exclude, Close") << "rbExclude"
                                        << "Exclude" << true << "0/1";
        QTest::newRow("include, close box") << "rbInclude"
                                            << "Include" << false << "0/3";
    }

    void addDeleteEditsTheModesListAndReloads()
    {
        QFETCH(QString, mode);
        QFETCH(QString, section);
        QFETCH(bool, saved);
        QFETCH(QString, counterAfter);
        vorin::RecordingMessages messages;
        auto wizard = wizardOnTypes(mode.toLatin1().constData());
        triggerMenu(*wizard, "SelectAll2");
        QVERIFY(control<QPushButton>(*wizard, "btOK")->isEnabled());
        QString editedSection;
        wizard->runListEditor = [&](TfrmStatList &editor) {
            editedSection = editor.sectionName;
            editor.show();
            // Delete the first of the sorted rows, then save or throw away.
            clickRow(*control<PickList>(editor, "PickList1"), 0);
            control<QPushButton>(editor, "btDelete")->click();
            if (saved)
                control<QPushButton>(editor, "btClose")->click();
            else
                editor.close();
            return editor.result();
        };
        press(*wizard, "btEdit");
        QCOMPARE(editedSection, section);
        QCOMPARE(counter(*wizard), counterAfter);
        QCOMPARE(wizard->PickList1->count(), counterAfter.section('/', 1).toInt());
        QCOMPARE(wizard->PickList1->selCount(), 0);
        QVERIFY(!control<QPushButton>(*wizard, "btOK")->isEnabled());
        QCOMPARE(visiblePanel(*wizard), QStringLiteral("Panel3"));
    }

    void runsModallyWithExec()
    {
        TfrmWhichDrive wizard(m_volumes, m_settings, m_registry);
        QTimer::singleShot(0, &wizard, [&] {
            press(wizard, "btNext1");
            control<QRadioButton>(wizard, "rbExclude")->setChecked(true);
            press(wizard, "btNext2");
            // The real list editor, in a nested modal loop of its own.
            QTimer::singleShot(0, &wizard, [] {
                auto *editor = qobject_cast<TfrmStatList *>(QApplication::activeModalWidget());
                QVERIFY(editor);
                control<QPushButton>(*editor, "btClose")->click();
            });
            press(wizard, "btEdit");
            triggerMenu(wizard, "SelectAll2");
            press(wizard, "btOK");
        });
        // A safety net: a test that went wrong must not hang.
        QTimer::singleShot(10000, &wizard, &QDialog::reject);
        QCOMPARE(wizard.exec(), int(QDialog::Accepted));
        QCOMPARE(wizard.excludeTypes, true);
        // The editor saved its list in its own sorted order.
        QCOMPARE(wizard.PickList1->selectedItems(),
                 (QStringList{"*.bak\tBAK File", "*.tmp\tTMP File"}));
    }

    void controlsStandInTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("text");
        QTest::newRow("Panel1") << "Panel1"
                                << "" << QRect(0, 0, 281, 313) << "";
        QTest::newRow("EsLabel1") << "EsLabel1"
                                  << "Panel1" << QRect(8, 5, 259, 27) << "Which drives?";
        QTest::newRow("pckDrive") << "pckDrive"
                                  << "Panel1" << QRect(7, 32, 266, 243) << "";
        QTest::newRow("btCancel1") << "btCancel1"
                                   << "Panel1" << QRect(115, 280, 75, 25) << "Cancel";
        QTest::newRow("btNext1") << "btNext1"
                                 << "Panel1" << QRect(198, 280, 75, 25) << "&Next >>";
        QTest::newRow("Panel2") << "Panel2"
                                << "" << QRect(0, 0, 281, 313) << "";
        QTest::newRow("EsLabel3") << "EsLabel3"
                                  << "Panel2" << QRect(8, 5, 259, 27) << "Which file types?";
        QTest::newRow("rbAll") << "rbAll"
                               << "Panel2" << QRect(24, 80, 225, 17) << "&All files";
        QTest::newRow("rbInclude")
            << "rbInclude"
            << "Panel2" << QRect(24, 112, 225, 17) << "&Selected file types only";
        QTest::newRow("rbExclude")
            << "rbExclude"
            << "Panel2" << QRect(24, 144, 225, 17) << "All files &except selected file types";
        QTest::newRow("btPrior2") << "btPrior2"
                                  << "Panel2" << QRect(115, 280, 75, 25) << "<< &Previous";
        QTest::newRow("btNext2") << "btNext2"
                                 << "Panel2" << QRect(198, 280, 75, 25) << "&Next >>";
        QTest::newRow("Panel3") << "Panel3"
                                << "" << QRect(0, 0, 281, 313) << "";
        QTest::newRow("lblSelect") << "lblSelect"
                                   << "Panel3" << QRect(8, 5, 192, 27) << "Selected files only";
        QTest::newRow("lblOf") << "lblOf"
                               << "Panel3" << QRect(200, 5, 75, 27) << "99/999";
        QTest::newRow("PickList1") << "PickList1"
                                   << "Panel3" << QRect(8, 32, 265, 243) << "";
        QTest::newRow("btEdit") << "btEdit"
                                << "Panel3" << QRect(8, 281, 89, 25) << "&Add/Delete";
        QTest::newRow("btPrior3") << "btPrior3"
                                  << "Panel3" << QRect(115, 281, 75, 25) << "<< &Previous";
        QTest::newRow("btOK") << "btOK"
                              << "Panel3" << QRect(198, 281, 75, 25) << "OK";
    }

    void controlsStandInTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QString, panel);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        TfrmWhichDrive wizard(m_volumes, m_settings, m_registry);
        auto *widget = wizard.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(),
                 panel.isEmpty() ? wizard.objectName() : panel);
        QCOMPARE(widget->geometry(), place);
        if (auto *heading = qobject_cast<HeadingLabel *>(widget))
            QCOMPARE(heading->text(), text);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(button->text(), text);
    }

    void typeDescriptionsStartTwelveCharactersIn()
    {
        auto wizard = wizardOnTypes("rbInclude");
        const PickList &list = *wizard->PickList1;
        const QList<int> lefts = list.segmentLefts(0);
        QCOMPARE(lefts.size(), 2);
        QCOMPARE(lefts[1] - lefts[0], 12 * list.averageCharWidth());
    }
};

QTEST_MAIN(TestWhichDrive)
#include "tst_WhichDrive.moc"
