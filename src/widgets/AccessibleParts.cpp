#include "widgets/AccessibleParts.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace vorin::accessibility {

QWindow *WidgetPart::window() const
{
    if (!m_widget)
        return nullptr;
    const QWidget *top = m_widget->window();
    return top->windowHandle();
}

QAccessibleInterface *WidgetPart::parent() const
{
    return QAccessible::queryAccessibleInterface(m_widget.data());
}

QRect WidgetPart::rect() const
{
    QWidget *drawnOn = area();
    if (drawnOn == nullptr)
        return {};
    const QRect local = localRect();
    if (local.isEmpty())
        return {};
    return QRect(drawnOn->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State WidgetPart::baseState() const
{
    QAccessible::State state;
    if (!m_widget)
        return state;
    state.invisible = !m_widget->isVisible();
    state.disabled = !m_widget->isEnabled();
    state.offscreen = localRect().isEmpty();
    return state;
}

PartCache::~PartCache()
{
    for (const auto &[key, id] : m_ids)
        QAccessible::deleteAccessibleInterface(id);
}

namespace {

// One cell of an AccessibleTable, or (row -1) one of its column headers.
class TableCell : public WidgetPart,
                  public QAccessibleTableCellInterface,
                  public QAccessibleActionInterface
{
public:
    TableCell(QWidget *widget, int row, int column)
        : WidgetPart(widget), m_row(row), m_column(column)
    {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface && m_row >= 0)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface && m_row >= 0)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    [[nodiscard]] QAccessible::Role role() const override
    {
        return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    [[nodiscard]] QString text(QAccessible::Text type) const override
    {
        const AccessibleTable *owner = tableOf();
        if (owner == nullptr || type != QAccessible::Name)
            return {};
        return m_row < 0 ? owner->headerText(m_column) : owner->cellText(m_row, m_column);
    }

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = baseState();
        const AccessibleTable *owner = tableOf();
        if (owner == nullptr || m_row < 0)
            return state;
        state.selectable = true;
        state.focusable = true;
        state.selected = owner->isCellSelected(m_row, m_column);
        state.focused = owner->isCellFocused(m_row, m_column);
        return state;
    }

    // --- table cell
    [[nodiscard]] bool isSelected() const override
    {
        const AccessibleTable *owner = tableOf();
        return owner != nullptr && owner->isCellSelected(m_row, m_column);
    }
    [[nodiscard]] QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        const AccessibleTable *owner = tableOf();
        if (owner == nullptr || !owner->hasColumnHeaders())
            return {};
        return {owner->cell(-1, m_column)};
    }
    [[nodiscard]] QList<QAccessibleInterface *> rowHeaderCells() const override
    {
        const AccessibleTable *owner = tableOf();
        const int header = owner == nullptr ? -1 : owner->rowHeaderColumn();
        if (header < 0 || header == m_column)
            return {};
        return {owner->cell(m_row, header)};
    }
    [[nodiscard]] int columnIndex() const override { return m_column; }
    [[nodiscard]] int rowIndex() const override { return m_row; }
    [[nodiscard]] int columnExtent() const override { return 1; }
    [[nodiscard]] int rowExtent() const override { return 1; }
    [[nodiscard]] QAccessibleInterface *table() const override { return parent(); }

    // --- actions: what a click and the menu key do on the cell
    [[nodiscard]] QStringList actionNames() const override
    {
        return {setFocusAction(), showMenuAction()};
    }
    void doAction(const QString &name) override
    {
        AccessibleTable *owner = tableOf();
        if (owner == nullptr || !owner->selectCell(m_row, m_column))
            return;
        if (name == setFocusAction()) {
            widget()->setFocus(Qt::OtherFocusReason);
        } else if (name == showMenuAction()) {
            const QRect local = localRect();
            QWidget *drawnOn = area();
            const QPoint at = local.isEmpty() ? QPoint(4, 4) : local.center();
            QContextMenuEvent event(QContextMenuEvent::Keyboard, at, drawnOn->mapToGlobal(at));
            QCoreApplication::sendEvent(widget(), &event);
        }
    }
    [[nodiscard]] QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name == showMenuAction())
            return {QStringLiteral("Shift+F10")};
        return {};
    }

    [[nodiscard]] int row() const { return m_row; }
    [[nodiscard]] int column() const { return m_column; }

protected:
    [[nodiscard]] bool exists() const override
    {
        const AccessibleTable *owner = tableOf();
        return owner != nullptr && m_column < owner->columnCount() &&
               (m_row < 0 ? owner->hasColumnHeaders() : m_row < owner->rowCount());
    }
    [[nodiscard]] QRect localRect() const override
    {
        const AccessibleTable *owner = tableOf();
        return owner == nullptr ? QRect() : owner->cellRect(m_row, m_column);
    }
    [[nodiscard]] QWidget *area() const override
    {
        const AccessibleTable *owner = tableOf();
        return owner == nullptr ? nullptr : owner->cellArea();
    }

private:
    [[nodiscard]] AccessibleTable *tableOf() const
    {
        return dynamic_cast<AccessibleTable *>(parent());
    }

    int m_row;
    int m_column;
};

} // namespace

AccessibleTable::AccessibleTable(QWidget *widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role)
{}

void *AccessibleTable::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

bool AccessibleTable::inTable(int row, int column) const
{
    return column >= 0 && column < columnCount() && row >= (hasColumnHeaders() ? -1 : 0) &&
           row < rowCount();
}

int AccessibleTable::childIndex(int row, int column) const
{
    if (!inTable(row, column))
        return -1;
    return headerCount() + row * columnCount() + column;
}

QAccessibleInterface *AccessibleTable::cell(int row, int column) const
{
    if (!inTable(row, column))
        return nullptr;
    const quint64 key = (quint64(quint32(row + 1)) << 32) | quint32(column);
    return m_cells.get(key, [&] { return new TableCell(widget(), row, column); });
}

int AccessibleTable::childCount() const
{
    return headerCount() + rowCount() * columnCount();
}

QAccessibleInterface *AccessibleTable::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount())
        return nullptr;
    const int headers = headerCount();
    if (index < headers)
        return cell(-1, index);
    return cell((index - headers) / columns, (index - headers) % columns);
}

int AccessibleTable::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *part = dynamic_cast<const TableCell *>(child);
    if (part == nullptr || part->parent() != this)
        return -1;
    return childIndex(part->row(), part->column());
}

QAccessibleInterface *AccessibleTable::childAt(int x, int y) const
{
    QWidget *drawnOn = cellArea();
    if (drawnOn == nullptr)
        return nullptr;
    const QPoint local = drawnOn->mapFromGlobal(QPoint(x, y));
    // Only the rows in view can be under a point; a visible table holds a
    // screenful of them, so asking each is cheap enough.
    for (int row = hasColumnHeaders() ? -1 : 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            const QRect rect = cellRect(row, column);
            if (rect.isEmpty())
                break;
            if (rect.contains(local))
                return cell(row, column);
        }
    }
    return nullptr;
}

QAccessibleInterface *AccessibleTable::focusChild() const
{
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            if (isCellFocused(row, column))
                return cell(row, column);
        }
    }
    return nullptr;
}

QAccessibleInterface *AccessibleTable::cellAt(int row, int column) const
{
    return row < 0 ? nullptr : cell(row, column);
}

QList<QAccessibleInterface *> AccessibleTable::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            if (isCellSelected(row, column))
                cells << cell(row, column);
        }
    }
    return cells;
}

int AccessibleTable::selectedCellCount() const
{
    // Counted without making an interface for every cell.
    int count = 0;
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < columnCount(); ++column)
            count += isCellSelected(row, column) ? 1 : 0;
    return count;
}

QString AccessibleTable::columnDescription(int column) const
{
    return hasColumnHeaders() ? headerText(column) : QString();
}

QString AccessibleTable::rowDescription(int row) const
{
    const int header = rowHeaderColumn();
    return header < 0 ? QString() : cellText(row, header);
}

QList<int> AccessibleTable::selectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < rowCount(); ++row) {
        if (isRowSelected(row))
            rows << row;
    }
    return rows;
}

int AccessibleTable::selectedRowCount() const
{
    return static_cast<int>(selectedRows().size());
}

bool AccessibleTable::isRowSelected(int row) const
{
    for (int column = 0; column < columnCount(); ++column) {
        if (!isCellSelected(row, column))
            return false;
    }
    return columnCount() > 0;
}

bool AccessibleTable::selectRow(int row)
{
    return selectCell(row, 0);
}

namespace {

Announcer g_announcer = nullptr; // none: Qt's own way

} // namespace

Announcer setAnnouncer(Announcer announcer)
{
    return std::exchange(g_announcer, announcer);
}

bool listening()
{
    return g_announcer != nullptr || QAccessible::isActive();
}

void announceWhole(QAccessibleEvent &event)
{
    if (g_announcer != nullptr)
        g_announcer(&event);
    else if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
}

void announce(QWidget *widget, QAccessible::Event type, int child)
{
    if (!listening() || widget == nullptr || child < 0)
        return;
    QAccessibleEvent event(widget, type);
    event.setChild(child);
    announceWhole(event);
}

void announceState(QWidget *widget, int child, QAccessible::State changed)
{
    if (!listening() || widget == nullptr || child < 0)
        return;
    QAccessibleStateChangeEvent event(widget, changed);
    event.setChild(child);
    announceWhole(event);
}

} // namespace vorin::accessibility
