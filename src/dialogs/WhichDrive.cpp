#include "dialogs/WhichDrive.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/StatList.h"
#include "engine/Drives.h"
#include "platform/FileTypeRegistry.h"
#include "platform/SettingsFile.h"
#include "platform/Volumes.h"
#include "selection/StatFiles.h"
#include "widgets/DialogKeys.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/HeadingLabel.h"
#include "widgets/PickList.h"

#include <algorithm>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace vorin {

namespace {

constexpr int kPanelWidth = 281;
constexpr int kPanelHeight = 313;
constexpr int kSelectHeadingWidth = 192;

QFrame *makePanel(QWidget *parent, const char *name)
{
    auto *panel = placed<QFrame>(parent, name, 0, 0, kPanelWidth, kPanelHeight);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->hide();
    return panel;
}

QRadioButton *makeModeButton(QWidget *panel, const char *name, const QString &text, int top)
{
    auto *button = placed<QRadioButton>(panel, name, 24, top, 225, 17);
    button->setText(text);
    button->setFont(dialogFont(13));
    QPalette colours = button->palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    button->setPalette(colours);
    return button;
}

// A pick list of the wizard: check-box rows of 16 pixels on the button face,
// with a menu that selects or deselects every row.
PickList *makeWizardList(QWidget *panel, const char *name, int left, int top, int width, int height)
{
    auto *list = placed<PickList>(panel, name, left, top, width, height);
    list->setSelectionStyle(PickList::SelectionStyle::Toggle);
    list->setRowHeight(16);
    list->setBackgroundColor(panel->palette().color(QPalette::Button));
    list->setToolTip(QStringLiteral("Right click to select/deselect all"));
    return list;
}

QMenu *makeSelectAllMenu(QWidget *owner, const char *name, const char *selectName,
                         const char *deselectName)
{
    auto *menu = new QMenu(owner);
    menu->setObjectName(QString::fromLatin1(name));
    menu->addAction(QStringLiteral("Select All"))->setObjectName(QString::fromLatin1(selectName));
    menu->addAction(QStringLiteral("Deselect All"))
        ->setObjectName(QString::fromLatin1(deselectName));
    return menu;
}

QAction *menuAction(QMenu *menu, const char *name)
{
    return menu->findChild<QAction *>(QString::fromLatin1(name));
}

} // namespace

TfrmWhichDrive::TfrmWhichDrive(const Volumes &volumes, SettingsFile &settings,
                               const FileTypeRegistry &registry, QWidget *parent)
    : QDialog(parent), m_volumes(volumes), m_settings(settings), m_registry(registry)
{
    setObjectName(QStringLiteral("frmWhichDrive"));
    setUpFixedDialog(*this, QStringLiteral("Which drives and file types?"), kPanelWidth + 2,
                     kPanelHeight + 2);
    runListEditor = [](TfrmStatList &editor) { return editor.exec(); };

    // The drives.
    Panel1 = makePanel(this, "Panel1");
    EsLabel1 = placedHeading(Panel1, "EsLabel1", QStringLiteral("Which drives?"), 8, 5, 259, 27);
    pckDrive = makeWizardList(Panel1, "pckDrive", 7, 32, 266, 243);
    // The lists' headings are drawn, not labels: the lists carry their names.
    pckDrive->setAccessibleName(QStringLiteral("Drives"));
    PopupMenu1 = makeSelectAllMenu(this, "PopupMenu1", "SelectAll1", "Deselectall1");
    pckDrive->setContextMenu(PopupMenu1);
    btCancel1 = placedButton(Panel1, "btCancel1", QStringLiteral("Cancel"), 115, 280, 75, 25);
    btNext1 = placedButton(Panel1, "btNext1", QStringLiteral("&Next >>"), 198, 280, 75, 25);

    // The mode.
    Panel2 = makePanel(this, "Panel2");
    EsLabel3 =
        placedHeading(Panel2, "EsLabel3", QStringLiteral("Which file types?"), 8, 5, 259, 27);
    rbAll = makeModeButton(Panel2, "rbAll", QStringLiteral("&All files"), 80);
    rbInclude =
        makeModeButton(Panel2, "rbInclude", QStringLiteral("&Selected file types only"), 112);
    rbExclude = makeModeButton(Panel2, "rbExclude",
                               QStringLiteral("All files &except selected file types"), 144);
    rbAll->setChecked(true);
    btPrior2 = placedButton(Panel2, "btPrior2", QStringLiteral("<< &Previous"), 115, 280, 75, 25);
    btNext2 = placedButton(Panel2, "btNext2", QStringLiteral("&Next >>"), 198, 280, 75, 25);

    // The types.
    Panel3 = makePanel(this, "Panel3");
    lblSelect = placedHeading(Panel3, "lblSelect", QStringLiteral("Selected files only"), 8, 5,
                              kSelectHeadingWidth, 27);
    lblOf = placedHeading(Panel3, "lblOf", QStringLiteral("99/999"), 200, 5, 75, 27);
    lblOf->setAlignment(Qt::AlignRight | Qt::AlignTop);
    PickList1 = makeWizardList(Panel3, "PickList1", 8, 32, 265, 243);
    PickList1->setAccessibleName(QStringLiteral("File types"));
    PickList1->setTabStops({12 * PickList1->averageCharWidth()});
    PopupMenu2 = makeSelectAllMenu(this, "PopupMenu2", "SelectAll2", "DeselectAll2");
    PickList1->setContextMenu(PopupMenu2);
    btEdit = placedButton(Panel3, "btEdit", QStringLiteral("&Add/Delete"), 8, 281, 89, 25);
    btEdit->setToolTip(QStringLiteral("Add, delete file types"));
    btPrior3 = placedButton(Panel3, "btPrior3", QStringLiteral("<< &Previous"), 115, 281, 75, 25);
    btOK = placedButton(Panel3, "btOK", QStringLiteral("OK"), 198, 281, 75, 25);
    btOK->setEnabled(false);

    connect(pckDrive, &PickList::clicked, this, &TfrmWhichDrive::pckDriveClick);
    connect(menuAction(PopupMenu1, "SelectAll1"), &QAction::triggered, this, [this] {
        pckDrive->setAllSelected(true);
        pckDriveClick();
    });
    connect(menuAction(PopupMenu1, "Deselectall1"), &QAction::triggered, this, [this] {
        pckDrive->setAllSelected(false);
        pckDriveClick();
    });
    connect(btCancel1, &QPushButton::clicked, this, &QDialog::reject);
    connect(btNext1, &QPushButton::clicked, this, &TfrmWhichDrive::btNext1Click);
    connect(btPrior2, &QPushButton::clicked, this, &TfrmWhichDrive::btPrior2Click);
    connect(btNext2, &QPushButton::clicked, this, &TfrmWhichDrive::btNext2Click);
    connect(PickList1, &PickList::clicked, this, &TfrmWhichDrive::PickList1Click);
    connect(menuAction(PopupMenu2, "SelectAll2"), &QAction::triggered, this, [this] {
        PickList1->setAllSelected(true);
        PickList1Click();
    });
    connect(menuAction(PopupMenu2, "DeselectAll2"), &QAction::triggered, this, [this] {
        PickList1->setAllSelected(false);
        PickList1Click();
    });
    connect(btEdit, &QPushButton::clicked, this, &TfrmWhichDrive::btEditClick);
    connect(btPrior3, &QPushButton::clicked, this, &TfrmWhichDrive::btPrior3Click);
    connect(btOK, &QPushButton::clicked, this, &TfrmWhichDrive::btOKClick);

    enterPressesFocusedButton(*this);
    showPanel(Panel1);
}

TfrmWhichDrive::~TfrmWhichDrive() = default;

void TfrmWhichDrive::showEvent(QShowEvent *event)
{
    if (!m_shownBefore && !event->spontaneous()) {
        m_shownBefore = true;
        centreOnScreen(*this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfrmWhichDrive::keyPressEvent(QKeyEvent *event)
{
    // Only "Cancel" and the close box give up; Escape is not a way out
    // that the user could take by accident on the later panels.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmWhichDrive::FormShow()
{
    const std::vector<std::string> entries = makeDriveEntries(m_volumes);
    const std::vector<bool> chosen = namedDrives.empty()
                                         ? defaultDriveSelection(entries, m_volumes)
                                         : namedDriveSelection(entries, m_volumes, namedDrives);
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string &entry : entries)
        rows << toQt(entry);
    pckDrive->setItems(rows);
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (chosen[i])
            pckDrive->setSelected(static_cast<int>(i), true);
    }
    showPanel(Panel1);
    allFiles = true;
    // Next is enabled exactly when a drive is selected, from the start: the
    // default selection always holds one unless no drive is listed at all.
    pckDriveClick();
}

void TfrmWhichDrive::showPanel(QFrame *panel)
{
    for (QFrame *each : {Panel1, Panel2, Panel3})
        each->setVisible(each == panel);
    // Enter presses the default button of the panel in view.
    if (panel == Panel1) {
        btNext1->setDefault(true);
        pckDrive->setFocus();
    } else if (panel == Panel2) {
        btNext2->setDefault(true);
        for (QRadioButton *mode : {rbAll, rbInclude, rbExclude}) {
            if (mode->isChecked())
                mode->setFocus();
        }
    } else {
        btOK->setDefault(true);
        PickList1->setFocus();
    }
}

void TfrmWhichDrive::loadTypes(const QString &section)
{
    QStringList rows;
    for (const std::string &entry : ReadStatFilesFromDisk(m_settings, toUtf8(section), m_registry))
        rows << toQt(entry);
    PickList1->setItems(rows);
    lblOf->setText(QStringLiteral("0/") + QString::number(PickList1->count()));
}

void TfrmWhichDrive::pckDriveClick()
{
    btNext1->setEnabled(pckDrive->selCount() > 0);
}

void TfrmWhichDrive::btNext1Click()
{
    showPanel(Panel2);
}

void TfrmWhichDrive::btPrior2Click()
{
    showPanel(Panel1);
}

void TfrmWhichDrive::btNext2Click()
{
    btOK->setEnabled(false);
    QString section;
    if (rbInclude->isChecked()) {
        lblSelect->setText(QStringLiteral("Selected file types only"));
        section = QStringLiteral("Include");
    } else if (rbExclude->isChecked()) {
        lblSelect->setText(QStringLiteral("All file types except ..."));
        section = QStringLiteral("Exclude");
    } else {
        allFiles = true;
        includeTypes = false;
        excludeTypes = false;
        accept();
        return;
    }
    // The run-time headings are wider than the place the panel keeps for
    // them; the heading grows to the right rather than losing its last word.
    // The counter is drawn over it, and leaves it clear up to two-digit lists.
    lblSelect->resize(std::max(kSelectHeadingWidth, lblSelect->sizeHint().width()),
                      lblSelect->height());
    loadTypes(section);
    showPanel(Panel3);
}

void TfrmWhichDrive::PickList1Click()
{
    btOK->setEnabled(pckDrive->selCount() > 0 && PickList1->selCount() > 0);
    lblOf->setText(QString::number(PickList1->selCount()) + QLatin1Char('/') +
                   QString::number(PickList1->count()));
}

void TfrmWhichDrive::btEditClick()
{
    const QString section =
        rbInclude->isChecked() ? QStringLiteral("Include") : QStringLiteral("Exclude");
    {
        TfrmStatList editor(m_settings, m_registry, section, this);
        runListEditor(editor);
    }
    // The file is the only way back from the editor: whatever its result,
    // the list shows what is stored now, nothing selected.
    loadTypes(section);
    btOK->setEnabled(false);
}

void TfrmWhichDrive::btPrior3Click()
{
    showPanel(Panel2);
}

void TfrmWhichDrive::btOKClick()
{
    allFiles = rbAll->isChecked();
    includeTypes = rbInclude->isChecked();
    excludeTypes = rbExclude->isChecked();
    accept();
}

} // namespace vorin
