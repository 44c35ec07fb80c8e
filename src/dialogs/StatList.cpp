#include "dialogs/StatList.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/SelectExtension.h"
#include "platform/FileTypeRegistry.h"
#include "platform/Messages.h"
#include "platform/SettingsFile.h"
#include "selection/StatFiles.h"
#include "widgets/DialogKeys.h"
#include "widgets/HeadingLabel.h"
#include "widgets/PickList.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <utility>

namespace vorin {

TfrmStatList::TfrmStatList(SettingsFile &settings, const FileTypeRegistry &registry,
                           QString section, QWidget *parent)
    : QDialog(parent), sectionName(std::move(section)), m_settings(settings), m_registry(registry)
{
    setObjectName(QStringLiteral("frmStatList"));
    setUpFixedDialog(*this, QStringLiteral("File types"), 367, 348);
    runPicker = [](TfrmSelectExtension &picker) { return picker.exec(); };

    Label1 = placedHeading(this, "Label1", QStringLiteral("File Types"), 8, 5, 259, 27);
    lblCount = placedHeading(this, "lblCount", QStringLiteral("25 available"), 16, 5, 233, 27);
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignTop);

    PickList1 = placed<PickList>(this, "PickList1", 8, 37, 241, 304);
    PickList1->setSelectionStyle(PickList::SelectionStyle::Extended);
    PickList1->setSorted(true);
    PickList1->setBackgroundColor(palette().color(QPalette::Button));
    PickList1->setToolTip(QStringLiteral("List of temporary file extensions and types"));
    // Its heading is drawn, not a label: the list carries its name.
    PickList1->setAccessibleName(QStringLiteral("File types"));

    btAdd = placedButton(this, "btAdd", QStringLiteral("&Add"), 264, 41, 96, 27);
    btAdd->setToolTip(QStringLiteral("Add a file extension to this list"));
    btDelete = placedButton(this, "btDelete", QStringLiteral("&Delete"), 264, 75, 96, 27);
    btDelete->setToolTip(QStringLiteral("Delete a file extension"));
    btClear = placedButton(this, "btClear", QStringLiteral("&Clear all"), 264, 109, 96, 27);
    btClear->setToolTip(QStringLiteral("Clear all extensions"));
    btClose = placedButton(this, "btClose", QStringLiteral("Close"), 264, 144, 96, 27);
    btClose->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btClose->setToolTip(QStringLiteral("Close window"));

    Label2 = placed<QLabel>(this, "Label2", 264, 248, 97, 81);
    Label2->setText(
        QStringLiteral("Hint: Drag mouse or use ctrl-click to select multiple file types."));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The controls carry their hints, but this window keeps them to itself.
    for (QWidget *control : {static_cast<QWidget *>(PickList1), PickList1->viewport(),
                             static_cast<QWidget *>(btAdd), static_cast<QWidget *>(btDelete),
                             static_cast<QWidget *>(btClear), static_cast<QWidget *>(btClose)})
        control->installEventFilter(this);

    connect(btAdd, &QPushButton::clicked, this, &TfrmStatList::btAddClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmStatList::btDeleteClick);
    connect(btClear, &QPushButton::clicked, this, &TfrmStatList::btClearClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmStatList::btCloseClick);

    // The window has no default button: Enter in the list must neither open
    // the picker nor save.
    for (QPushButton *button : {btAdd, btDelete, btClear, btClose})
        button->setAutoDefault(false);
    enterPressesFocusedButton(*this);
}

TfrmStatList::~TfrmStatList() = default;

bool TfrmStatList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        return true;
    return QDialog::eventFilter(watched, event);
}

void TfrmStatList::showEvent(QShowEvent *event)
{
    if (!m_shownBefore && !event->spontaneous()) {
        m_shownBefore = true;
        centreOnScreen(*this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfrmStatList::keyPressEvent(QKeyEvent *event)
{
    // Escape is the Close button here: it saves. Only the close box cancels.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btClose->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmStatList::FormShow()
{
    QStringList rows;
    for (const std::string &entry :
         ReadStatFilesFromDisk(m_settings, toUtf8(sectionName), m_registry))
        rows << toQt(entry);
    PickList1->setItems(rows);
    showCount();
}

void TfrmStatList::showCount()
{
    lblCount->setText(QString::number(PickList1->count()) + QStringLiteral(" available"));
}

void TfrmStatList::addUnlessPresent(const QString &entry)
{
    if (PickList1->indexOf(entry, Qt::CaseInsensitive) < 0)
        PickList1->addItem(entry);
}

void TfrmStatList::btAddClick()
{
    {
        TfrmSelectExtension picker(m_registry, this);
        if (runPicker(picker) == QDialog::Accepted) {
            if (!picker.severalChosen) {
                if (!picker.chosenPattern.isEmpty() && picker.chosenPattern != QLatin1String("*.*"))
                    addUnlessPresent(picker.chosenPattern + QLatin1Char('\t') +
                                     picker.chosenDescription);
            } else {
                for (const QString &row : picker.selectedRows())
                    addUnlessPresent(row);
            }
        }
    }
    showCount();
}

void TfrmStatList::btDeleteClick()
{
    const QList<int> chosen = PickList1->selectedIndexes();
    if (chosen.size() > 1) {
        const std::string question =
            "Really delete " + std::to_string(chosen.size()) + " extensions?";
        if (confirm(question) != Answer::Yes)
            return;
    }
    for (auto row = chosen.crbegin(); row != chosen.crend(); ++row)
        PickList1->removeItem(*row);
    showCount();
}

void TfrmStatList::btClearClick()
{
    if (confirm("Really clear out all extensions?") != Answer::Yes)
        return;
    PickList1->clear();
    showCount();
}

void TfrmStatList::btCloseClick()
{
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(PickList1->count()));
    for (const QString &row : PickList1->items())
        entries.push_back(toUtf8(row));
    try {
        WriteStatFilesToDisk(m_settings, entries, toUtf8(sectionName));
    } catch (const SettingsWriteError &error) {
        // The file is as it was before. The window stays open with the
        // user's list, so that Close can be tried again or the changes
        // given up with the close box, rather than lost unasked.
        showError(error.what());
        return;
    }
    accept();
}

} // namespace vorin
