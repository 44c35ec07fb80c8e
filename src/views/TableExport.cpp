#include "views/TableExport.h"

#include "platform/Messages.h"
#include "widgets/DialogKeys.h"
#include "widgets/SaveFile.h"
#include "widgets/StringGrid.h"

#include <algorithm>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace vorin {

namespace {

bool isAsciiDigits(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The cell in double quotes with its quotes doubled when it holds one of
// `special`; otherwise as it is.
QString quoted(const QString &cell, QStringView special)
{
    const bool needsQuotes =
        std::any_of(special.begin(), special.end(), [&cell](QChar c) { return cell.contains(c); });
    if (!needsQuotes)
        return cell;
    QString text = cell;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Headings and rows, each padded to the widest, so that every record has
// as many fields as the others.
QList<QStringList> records(const TextTable &table)
{
    QList<QStringList> all;
    all.reserve(table.rows.size() + 1);
    all << table.headings;
    all << table.rows;
    qsizetype columns = 0;
    for (const QStringList &record : all)
        columns = std::max(columns, record.size());
    for (QStringList &record : all)
        while (record.size() < columns)
            record << QString();
    return all;
}

QString joined(const TextTable &table, QChar separator, QStringView special, const QString &end,
               const std::function<QString(const QString &, int column)> &shown)
{
    QString text;
    bool headings = true;
    for (const QStringList &record : records(table)) {
        for (int column = 0; column < record.size(); ++column) {
            if (column > 0)
                text += separator;
            const QString &cell = record[column];
            text += quoted(headings ? cell : shown(cell, column), special);
        }
        text += end;
        headings = false;
    }
    return text;
}

const SaveFileKind kCsv{QStringLiteral("Save as CSV"), QStringLiteral("CSV files (*.csv)"),
                        QStringLiteral("csv"), QStandardPaths::DocumentsLocation};

} // namespace

QString plainNumber(const QString &cell, const LocaleSeparators &locale)
{
    const QString thousands = QString::fromStdString(locale.thousands);
    const QString decimal = QString::fromStdString(locale.decimal);
    QStringView rest(cell);
    QString sign;
    if (rest.startsWith(u'-')) {
        sign = QStringLiteral("-");
        rest = rest.mid(1);
    } else if (rest.startsWith(u'+')) { // a change: the plus goes, a spreadsheet needs none
        rest = rest.mid(1);
    }
    QStringView fraction;
    if (!decimal.isEmpty()) {
        const qsizetype point = rest.indexOf(decimal);
        if (point >= 0) {
            fraction = rest.mid(point + decimal.size());
            if (!isAsciiDigits(fraction))
                return cell;
            rest = rest.left(point);
        }
    }
    // Digits in groups: the first of one to three, every later one of three.
    QString digits;
    const QList<QStringView> groups =
        thousands.isEmpty() ? QList<QStringView>{rest} : rest.split(thousands);
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QStringView group = groups[i];
        if (!isAsciiDigits(group))
            return cell;
        if (groups.size() > 1 && (i == 0 ? group.size() > 3 : group.size() != 3))
            return cell;
        digits += group;
    }
    return fraction.isNull() ? sign + digits : sign + digits + decimal + fraction.toString();
}

QString tabSeparated(const TextTable &table)
{
    return joined(table, u'\t', u"\t\r\n\"", QStringLiteral("\n"),
                  [](const QString &cell, int) { return cell; });
}

QByteArray commaSeparated(const TextTable &table, const LocaleSeparators &locale)
{
    return joined(table, u',', u",\r\n\"", QStringLiteral("\r\n"),
                  [&table, &locale](const QString &cell, int column) {
                      return table.numberColumns.contains(column) ? plainNumber(cell, locale)
                                                                  : cell;
                  })
        .toUtf8();
}

TextTable gridTable(const StringGrid &grid, const QList<int> &numberColumns)
{
    TextTable table;
    table.headings = grid.rowTexts(0);
    table.numberColumns = numberColumns;
    for (int row = 1; row < grid.rowCount(); ++row) {
        const QStringList texts = grid.rowTexts(row);
        if (std::any_of(texts.begin(), texts.end(), [](const QString &t) { return !t.isEmpty(); }))
            table.rows << texts;
    }
    return table;
}

TableExport::TableExport(QWidget *owner, const QString &title, Source source,
                         const LocaleSeparators &locale)
    : QObject(owner), m_owner(owner), m_title(title), m_source(std::move(source)), m_locale(locale)
{
    m_copy = new QAction(QStringLiteral("Copy"), this);
    m_copy->setObjectName(QStringLiteral("CopyTable"));
    // Shown in the menu as the key to remember; the key itself is taken by
    // the event filter, while the table has the focus.
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    connect(m_copy, &QAction::triggered, this, [this] { copyTable(); });
    m_save = new QAction(QStringLiteral("Save as CSV…"), this);
    m_save->setObjectName(QStringLiteral("SaveTableAsCsv"));
    connect(m_save, &QAction::triggered, this, [this] { saveTable(); });

    m_menu = new QMenu(owner);
    m_menu->setObjectName(QStringLiteral("TableMenu"));
    m_menu->addAction(m_copy);
    m_menu->addAction(m_save);
    owner->installEventFilter(this);
}

void TableExport::offerOnPage()
{
    // Tab reaches the page too: the keyboard's way to its figures' menu.
    m_onPage = true;
    m_owner->setFocusPolicy(Qt::StrongFocus);
    if (m_owner->accessibleName().isEmpty())
        m_owner->setAccessibleName(m_title);
    m_owner->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_owner, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &position) { popUpMenu(position); });
}

void TableExport::popUpMenu(const QPoint &position)
{
    // Some platforms report the menu key both as a key and as a request for
    // the menu: one menu is enough.
    if (!m_menu->isVisible())
        m_menu->popup(m_owner->mapToGlobal(position));
}

void TableExport::copyTable() const
{
    QGuiApplication::clipboard()->setText(tabSeparated(table()));
}

bool TableExport::saveTable()
{
    const QString path = askSaveFileName(m_owner, kCsv, m_title + QStringLiteral(".csv"));
    if (path.isEmpty())
        return false;
    const QByteArray text = commaSeparated(table(), m_locale);
    return saveWhole(path, QStringLiteral("table"), [&text](QIODevice &file) {
        return file.write(text) == text.size() ? QString() : file.errorString();
    });
}

bool TableExport::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_owner && m_onPage) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            m_owner->update();
        // A page draws nothing of its own: the frame that shows it has the
        // focus is drawn here, before the page's children cover its inside.
        if (event->type() == QEvent::Paint && m_owner->hasFocus()) {
            QPainter painter(m_owner);
            QStyleOptionFocusRect frame;
            frame.initFrom(m_owner);
            frame.rect = m_owner->rect().adjusted(1, 1, -1, -1);
            m_owner->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, m_owner);
        }
        // The page's own keys only: a child that leaves them alone (the
        // Overhang page's text) has a menu of its own.
        if (event->type() == QEvent::KeyPress && m_owner->hasFocus()) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (isMenuKey(*key)) {
                // Asked as the platform asks, so that whoever watches the
                // page's menu requests hears that the keyboard asked.
                const QPoint centre = m_owner->rect().center();
                QContextMenuEvent request(QContextMenuEvent::Keyboard, centre,
                                          m_owner->mapToGlobal(centre), key->modifiers());
                QCoreApplication::sendEvent(m_owner, &request);
                return true;
            }
        }
    }
    if (watched == m_owner &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        // Claimed on the override too, so that no shortcut of the window
        // takes the keys while the table has the focus.
        event->accept();
        if (event->type() == QEvent::KeyPress)
            copyTable();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vorin
