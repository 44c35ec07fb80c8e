#include "dialogs/SelectExtension.h"

#include "dialogs/DialogSupport.h"
#include "platform/FileTypeRegistry.h"
#include "selection/StatFiles.h"
#include "support/Utility.h"
#include "widgets/DialogKeys.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/PickList.h"

#include <algorithm>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

namespace vorin {

namespace {

// The longest key the list offers: a dot and four characters.
constexpr qsizetype kLongestListedKey = 5;

void useBlackFont(QWidget &control, int pixelSize)
{
    control.setFont(dialogFont(pixelSize));
    QPalette colours = control.palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    control.setPalette(colours);
}

// From the last "." to the end, or nothing when there is no dot.
QString patternExtension(const QString &pattern)
{
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : pattern.mid(dot);
}

} // namespace

std::vector<std::string> listRegisteredExtensions(const FileTypeRegistry &registry, bool withAll)
{
    std::vector<std::string> keys;
    for (std::string &key : registry.registeredExtensions()) {
        // Counted in characters, not bytes: an extension in another script
        // is as short as it looks.
        if (!key.empty() && key.front() == '.' && toQt(key).size() <= kLongestListedKey)
            keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end(), [](const std::string &a, const std::string &b) {
        const std::string lowerA = asciiLower(a);
        const std::string lowerB = asciiLower(b);
        return lowerA != lowerB ? lowerA < lowerB : a < b;
    });

    std::vector<std::string> patterns;
    patterns.reserve(keys.size() + 1);
    if (withAll)
        patterns.emplace_back("*.*");
    for (const std::string &key : keys)
        patterns.push_back('*' + key);
    return patterns;
}

TfrmSelectExtension::TfrmSelectExtension(const FileTypeRegistry &registry, QWidget *parent)
    : QDialog(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("frmSelectExtension"));
    setUpFixedDialog(*this, QStringLiteral("Select a file extension"), 324, 393);

    Label1 = placed<QLabel>(this, "Label1", 11, 8, 305, 41);
    Label1->setText(
        QStringLiteral("Type in a new file extension or select one or many from the list below:"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    useBlackFont(*Label1, 13);

    Edit1 = placed<QLineEdit>(this, "Edit1", 159, 40, 121, 21);
    Edit1->setMaxLength(6);
    Label1->setBuddy(Edit1);

    // The pattern box and its label lie under the list and are never seen;
    // they are made first so that the list covers them, and they take no
    // keyboard focus, so that Tab never disappears into a hidden control.
    cbWildCard = placed<QComboBox>(this, "cbWildCard", 92, 116, 144, 24);
    cbWildCard->setEditable(true);
    cbWildCard->setMaxVisibleItems(14);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setEditText(QStringLiteral("*.*"));
    cbWildCard->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
    cbWildCard->setFocusPolicy(Qt::NoFocus);
    cbWildCard->lineEdit()->setFocusPolicy(Qt::NoFocus);

    lblWild = placed<QLabel>(this, "lblWild", 94, 92, 42, 16);
    lblWild->setText(QStringLiteral("All files"));
    useBlackFont(*lblWild, 13);

    lBox = placed<PickList>(this, "lBox", 15, 72, 297, 241);
    lBox->setSelectionStyle(PickList::SelectionStyle::Extended);
    lBox->setBackgroundColor(palette().color(QPalette::Button));
    lBox->setToolTip(QStringLiteral("Double click to select, Ctrl-click to select more than one"));

    Label2 = placed<QLabel>(this, "Label2", 15, 320, 297, 30);
    Label2->setText(
        QStringLiteral("Hint: Drag mouse or use ctrl-click to select multiple file extensions."));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    BitBtn1 = placedButton(this, "BitBtn1", QStringLiteral("OK"), 129, 362, 88, 25);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setDefault(true);
    BitBtn2 = placedButton(this, "BitBtn2", QStringLiteral("Cancel"), 232, 362, 88, 25);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));

    connect(lBox, &PickList::clicked, this, &TfrmSelectExtension::lBoxClick);
    connect(lBox, &PickList::doubleClicked, this, [this](int) {
        if (BitBtn1Click())
            accept();
    });
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmSelectExtension::cbWildCardChange);
    // The button ends the dialog with OK whatever the handler made of the
    // input: several rows, or a refused pattern that the editor then skips.
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(Edit1, lBox);
    setTabOrder(lBox, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    enterPressesFocusedButton(*this);
    Edit1->setFocus();
}

TfrmSelectExtension::~TfrmSelectExtension() = default;

QStringList TfrmSelectExtension::selectedRows() const
{
    return lBox->selectedItems();
}

void TfrmSelectExtension::showEvent(QShowEvent *event)
{
    if (!m_shownBefore && !event->spontaneous()) {
        m_shownBefore = true;
        centreOnScreen(*this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfrmSelectExtension::FormShow()
{
    const std::vector<std::string> patterns = listRegisteredExtensions(m_registry, false);
    QStringList boxItems;
    QStringList rows;
    boxItems.reserve(static_cast<qsizetype>(patterns.size()));
    rows.reserve(static_cast<qsizetype>(patterns.size()));
    for (const std::string &pattern : patterns) {
        const QString text = toQt(pattern);
        boxItems << text;
        if (pattern != "*.*")
            rows << text + QLatin1Char('\t') +
                        toQt(describeExtension(std::string_view(pattern).substr(1), m_registry));
    }
    // One batch each: the list repaints once, however many rows there are.
    {
        const QSignalBlocker quiet(cbWildCard);
        cbWildCard->clear();
        cbWildCard->addItems(boxItems);
        cbWildCard->setEditText(QStringLiteral("*.*"));
    }
    lBox->setItems(rows);
    Edit1->setText(boxItems.value(0));
    Edit1->setFocus();
}

void TfrmSelectExtension::lBoxClick(int index)
{
    // The pattern is taken from the row itself rather than from the pattern
    // box at the same index, so that a row and its pattern can never part.
    const QString row = lBox->item(index);
    if (!row.isNull())
        Edit1->setText(row.left(row.indexOf(QLatin1Char('\t'))));
}

void TfrmSelectExtension::cbWildCardChange(const QString &text)
{
    lblWild->clear();
    lblWild->setText(toQt(describeExtension(toUtf8(text.mid(1)), m_registry)));
}

bool TfrmSelectExtension::BitBtn1Click()
{
    severalChosen = lBox->selCount() > 1;
    if (severalChosen)
        return false;
    chosenPattern.clear();
    chosenDescription.clear();

    const QString typed = Edit1->text();
    if (typed == QLatin1String("*.*") || typed == QLatin1String(".*") ||
        typed == QLatin1String("*"))
        return false;

    chosenPattern = typed;
    if (!typed.startsWith(QLatin1String("*."))) {
        const bool hasStar = typed.contains(QLatin1Char('*'));
        const bool hasDot = typed.contains(QLatin1Char('.'));
        if (!hasStar && !hasDot)
            chosenPattern = QStringLiteral("*.") + typed;
        else if (hasDot && !hasStar)
            chosenPattern = QLatin1Char('*') + typed;
    }
    chosenDescription =
        toQt(describeExtension(toUtf8(patternExtension(chosenPattern)), m_registry));
    return true;
}

} // namespace vorin
