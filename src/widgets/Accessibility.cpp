#include "widgets/Accessibility.h"

#include "widgets/AccessibleParts.h"
#include "widgets/DrawGrid.h"
#include "widgets/HeadingLabel.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"

#include <QStackedWidget>

namespace vorin {

namespace {

using accessibility::AccessibleTable;
using accessibility::PartCache;
using accessibility::WidgetPart;

// --- the notebook: its tabs, then the page area

class NotebookTab : public WidgetPart, public QAccessibleActionInterface
{
public:
    NotebookTab(Notebook *notebook, int index) : WidgetPart(notebook), m_index(index) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::PageTab; }
    [[nodiscard]] QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name ? notebook()->pageCaption(m_index) : QString();
    }
    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = baseState();
        state.selectable = true;
        state.focusable = true;
        state.selected = notebook()->pageIndex() == m_index;
        state.focused = state.selected && notebook()->hasFocus();
        state.disabled = state.disabled || !notebook()->pageEnabled(m_index);
        return state;
    }

    [[nodiscard]] QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction())
            notebook()->setPageIndex(m_index);
    }
    [[nodiscard]] QStringList keyBindingsForAction(const QString &) const override { return {}; }

    [[nodiscard]] int index() const { return m_index; }

protected:
    [[nodiscard]] bool exists() const override { return m_index < notebook()->pageCount(); }
    [[nodiscard]] QRect localRect() const override { return notebook()->tabRect(m_index); }

private:
    [[nodiscard]] Notebook *notebook() const { return static_cast<Notebook *>(widget()); }

    int m_index;
};

class NotebookAccessible : public QAccessibleWidget
{
public:
    explicit NotebookAccessible(Notebook *notebook)
        : QAccessibleWidget(notebook, QAccessible::PageTabList)
    {}

    [[nodiscard]] int childCount() const override { return notebook()->pageCount() + 1; }
    [[nodiscard]] QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index > notebook()->pageCount())
            return nullptr;
        if (index == notebook()->pageCount())
            return QAccessible::queryAccessibleInterface(pages());
        return m_tabs.get(quint64(index), [&] { return new NotebookTab(notebook(), index); });
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (const auto *tab = dynamic_cast<const NotebookTab *>(child))
            return tab->parent() == this ? tab->index() : -1;
        return child != nullptr && child->object() == pages() ? notebook()->pageCount() : -1;
    }
    [[nodiscard]] QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = notebook()->mapFromGlobal(QPoint(x, y));
        const int tab = notebook()->tabAt(local);
        if (tab >= 0)
            return child(tab);
        return notebook()->pageRect().contains(local) ? child(notebook()->pageCount()) : nullptr;
    }
    [[nodiscard]] QAccessibleInterface *focusChild() const override
    {
        if (notebook()->hasFocus() && notebook()->pageIndex() >= 0)
            return child(notebook()->pageIndex());
        return QAccessibleWidget::focusChild();
    }

private:
    [[nodiscard]] Notebook *notebook() const { return static_cast<Notebook *>(widget()); }
    [[nodiscard]] QStackedWidget *pages() const
    {
        return notebook()->findChild<QStackedWidget *>(QString(), Qt::FindDirectChildrenOnly);
    }

    PartCache m_tabs;
};

// --- pick lists: one item per row, ticked while selected

// How a row reads aloud: its TAB-separated columns as a list.
QString spokenRow(const QString &text)
{
    QStringList pieces = text.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
    for (QString &piece : pieces)
        piece = piece.trimmed();
    pieces.removeAll(QString());
    return pieces.join(QStringLiteral(", "));
}

class PickRow : public WidgetPart, public QAccessibleActionInterface
{
public:
    PickRow(PickList *list, int row) : WidgetPart(list), m_row(row) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::ListItem; }
    [[nodiscard]] QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name ? spokenRow(list()->item(m_row)) : QString();
    }
    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = baseState();
        state.selectable = true;
        state.focusable = true;
        state.selected = list()->selected(m_row);
        state.checkable = list()->hasCheckBoxes();
        state.checked = state.checkable && state.selected;
        state.focused = list()->itemIndex() == m_row && list()->hasFocus();
        return state;
    }

    [[nodiscard]] QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString &name) override
    {
        if (name == toggleAction())
            list()->toggleItem(m_row);
    }
    [[nodiscard]] QStringList keyBindingsForAction(const QString &name) const override
    {
        return name == toggleAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }

    [[nodiscard]] int row() const { return m_row; }

protected:
    [[nodiscard]] bool exists() const override { return m_row < list()->count(); }
    [[nodiscard]] QRect localRect() const override { return list()->rowRect(m_row); }
    [[nodiscard]] QWidget *area() const override { return list()->viewport(); }

private:
    [[nodiscard]] PickList *list() const { return static_cast<PickList *>(widget()); }

    int m_row;
};

class PickListAccessible : public QAccessibleWidget
{
public:
    explicit PickListAccessible(PickList *list) : QAccessibleWidget(list, QAccessible::List) {}

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.multiSelectable = true;
        return state;
    }
    // The rows only: the scroll bar is the mouse's way through a list that
    // the arrow keys walk.
    [[nodiscard]] int childCount() const override { return list()->count(); }
    [[nodiscard]] QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= list()->count())
            return nullptr;
        return m_rows.get(quint64(index), [&] { return new PickRow(list(), index); });
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *row = dynamic_cast<const PickRow *>(child);
        return row != nullptr && row->parent() == this ? row->row() : -1;
    }
    [[nodiscard]] QAccessibleInterface *childAt(int x, int y) const override
    {
        return child(list()->rowAt(list()->viewport()->mapFromGlobal(QPoint(x, y))));
    }
    [[nodiscard]] QAccessibleInterface *focusChild() const override
    {
        return list()->hasFocus() ? child(list()->itemIndex()) : nullptr;
    }

private:
    [[nodiscard]] PickList *list() const { return static_cast<PickList *>(widget()); }

    PartCache m_rows;
};

// --- grids: the heading rows become the column headers; the body and the
// footer are the table's rows

class GridAccessible : public AccessibleTable
{
public:
    explicit GridAccessible(DrawGrid *grid) : AccessibleTable(grid, QAccessible::Table) {}

    [[nodiscard]] int rowCount() const override
    {
        return std::max(0, grid()->rowCount() - grid()->fixedRows());
    }
    [[nodiscard]] int columnCount() const override { return grid()->colCount(); }
    [[nodiscard]] bool hasColumnHeaders() const override { return grid()->fixedRows() > 0; }
    [[nodiscard]] QString headerText(int column) const override
    {
        QStringList lines;
        for (int row = 0; row < grid()->fixedRows(); ++row) {
            const QString text = grid()->cellText(column, row).trimmed();
            if (!text.isEmpty())
                lines << text;
        }
        return lines.join(QLatin1Char(' '));
    }
    [[nodiscard]] QString cellText(int row, int column) const override
    {
        return grid()->cellText(column, row + grid()->fixedRows());
    }
    [[nodiscard]] QRect cellRect(int row, int column) const override
    {
        return grid()->cellRect(column, row < 0 ? 0 : row + grid()->fixedRows());
    }
    [[nodiscard]] QWidget *cellArea() const override { return grid()->viewport(); }
    [[nodiscard]] bool isCellSelected(int row, int column) const override
    {
        const int gridRow = row + grid()->fixedRows();
        return gridRow == grid()->row() && isBody(gridRow) &&
               (grid()->rowSelect() || column == grid()->col());
    }
    [[nodiscard]] bool isCellFocused(int row, int column) const override
    {
        const int gridRow = row + grid()->fixedRows();
        return gridRow == grid()->row() && column == grid()->col() && isBody(gridRow) &&
               grid()->hasFocus();
    }
    bool selectCell(int row, int column) override
    {
        return grid()->trySelectCell(column, row + grid()->fixedRows());
    }

private:
    [[nodiscard]] DrawGrid *grid() const { return static_cast<DrawGrid *>(widget()); }
    [[nodiscard]] bool isBody(int gridRow) const
    {
        return gridRow >= grid()->fixedRows() &&
               gridRow < grid()->rowCount() - grid()->fixedBottomRows();
    }
};

// --- heading labels: read as their lettering

class HeadingAccessible : public QAccessibleWidget
{
public:
    explicit HeadingAccessible(HeadingLabel *label) : QAccessibleWidget(label) {}

    [[nodiscard]] QAccessible::Role role() const override
    {
        return label()->isHeading() ? QAccessible::Heading : QAccessible::StaticText;
    }
    [[nodiscard]] QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(type);
    }

private:
    [[nodiscard]] HeadingLabel *label() const { return static_cast<HeadingLabel *>(widget()); }
};

QAccessibleInterface *widgetInterface(const QString &, QObject *object)
{
    if (auto *notebook = qobject_cast<Notebook *>(object))
        return new NotebookAccessible(notebook);
    if (auto *list = qobject_cast<PickList *>(object))
        return new PickListAccessible(list);
    if (auto *grid = qobject_cast<DrawGrid *>(object))
        return new GridAccessible(grid);
    if (auto *label = qobject_cast<HeadingLabel *>(object))
        return new HeadingAccessible(label);
    // A window made straight from QWidget (the main window, the file lists)
    // would read as an unnamed client area; screen readers look for a frame
    // named by its title, as a QMainWindow gives them.
    auto *window = qobject_cast<QWidget *>(object);
    if (window != nullptr && window->isWindow() &&
        window->metaObject()->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

} // namespace

void installWidgetAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(widgetInterface);
        return true;
    }();
    (void)installed;
}

namespace accessibility {

void pageChanged(Notebook &notebook, int index)
{
    announce(&notebook, QAccessible::Selection, index);
    if (notebook.hasFocus())
        announce(&notebook, QAccessible::Focus, index);
}

void pageStateChanged(Notebook &notebook, int index)
{
    QAccessible::State changed;
    changed.disabled = true;
    announceState(&notebook, index, changed);
}

void pickRowChanged(PickList &list, int row)
{
    QAccessible::State changed;
    changed.selected = true;
    changed.checked = list.hasCheckBoxes();
    announceState(&list, row, changed);
}

void pickCurrentChanged(PickList &list, int row)
{
    if (list.hasFocus())
        announce(&list, QAccessible::Focus, row);
}

void gridCurrentChanged(DrawGrid &grid)
{
    if (!listening())
        return;
    const auto *table =
        dynamic_cast<AccessibleTable *>(QAccessible::queryAccessibleInterface(&grid));
    if (table == nullptr)
        return;
    if (grid.row() < grid.fixedRows())
        return;
    const int child = table->childIndex(grid.row() - grid.fixedRows(), grid.col());
    announce(&grid, QAccessible::Selection, child);
    if (grid.hasFocus())
        announce(&grid, QAccessible::Focus, child);
}

} // namespace accessibility

} // namespace vorin
