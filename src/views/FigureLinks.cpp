#include "views/FigureLinks.h"

#include "chart/Chart.h"
#include "widgets/DrawGrid.h"

#include <memory>
#include <optional>
#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>

namespace vorin {

namespace {

const QString kShowFiles = QStringLiteral("Show files");

// "Show files" put first in a menu, before what it held, with a line between.
QAction *addShowFiles(QMenu &menu)
{
    auto *action = new QAction(kShowFiles, &menu);
    action->setObjectName(QStringLiteral("ShowFiles"));
    QAction *first = menu.actions().isEmpty() ? nullptr : menu.actions().constFirst();
    menu.insertAction(first, action);
    if (first)
        menu.insertSeparator(first);
    return action;
}

// Watches a page for a double click and for where its menu was asked for,
// which the page's own handler of the menu does not pass on.
class RowWatcher final : public QObject
{
public:
    RowWatcher(QWidget &page, std::function<FigureChoices(const QPoint &)> figuresAt,
               const ShowFiles &show)
        : QObject(&page), m_page(page), m_figuresAt(std::move(figuresAt)), m_show(show)
    {
        page.installEventFilter(this);
    }

    // The rows under the place the menu was asked for; none from the keyboard.
    FigureChoices atMenu() const { return m_menuAt ? m_figuresAt(*m_menuAt) : FigureChoices{}; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_page)
            return false;
        if (event->type() == QEvent::ContextMenu) {
            const auto *menu = static_cast<QContextMenuEvent *>(event);
            m_menuAt.reset();
            if (menu->reason() == QContextMenuEvent::Mouse)
                m_menuAt = menu->pos();
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const FigureChoices choices = m_figuresAt(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && !choices.empty()) {
                chooseFigure(&m_page, mouse->globalPosition().toPoint(), choices, m_show);
                return true;
            }
        }
        return false;
    }

private:
    QWidget &m_page;
    std::function<FigureChoices(const QPoint &)> m_figuresAt;
    const ShowFiles &m_show;
    std::optional<QPoint> m_menuAt;
};

} // namespace

void chooseFigure(QWidget *parent, const QPoint &globalPosition, const FigureChoices &choices,
                  const ShowFiles &show)
{
    if (choices.empty())
        return;
    if (choices.size() == 1) {
        if (show)
            show(choices.front().figure);
        return;
    }
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("FigureChoice"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const FigureChoice &choice : choices) {
        QAction *action = menu->addAction(choice.caption);
        const Figure figure = choice.figure;
        QObject::connect(action, &QAction::triggered, menu, [figure, &show] {
            if (show)
                show(figure);
        });
    }
    menu->popup(globalPosition);
}

void linkGridToFiles(DrawGrid &grid, QMenu &menu,
                     std::function<FigureChoices(int column, int row)> figuresAt,
                     const ShowFiles &show)
{
    QAction *action = addShowFiles(menu);
    auto at = std::make_shared<std::function<FigureChoices(int, int)>>(std::move(figuresAt));
    // The cell a right click or the menu key named; else (the menu opened
    // from elsewhere, a button) the grid's current cell.
    auto asked = std::make_shared<std::optional<QPoint>>();
    auto cell = std::make_shared<QPoint>(-1, -1);
    // Where the menu of several figures opens: on the cell, wherever the
    // pointer is (the keyboard's user has no eye on it).
    const auto offer = [&grid, &show, at](int column, int row) {
        const QRect rect = grid.cellRect(column, row);
        chooseFigure(&grid, grid.viewport()->mapToGlobal(rect.isNull() ? QPoint() : rect.center()),
                     (*at)(column, row), show);
    };
    QObject::connect(&grid, &DrawGrid::cellActivated, action, offer);
    QObject::connect(
        &grid, &DrawGrid::contextMenuRequested, action,
        [asked](const QPoint &, int column, int row) { *asked = QPoint(column, row); });
    QObject::connect(&menu, &QMenu::aboutToShow, action, [&grid, action, at, asked, cell] {
        *cell = asked->value_or(QPoint(grid.col(), grid.row()));
        asked->reset();
        action->setEnabled(!(*at)(cell->x(), cell->y()).empty());
    });
    QObject::connect(action, &QAction::triggered, &grid,
                     [offer, cell] { offer(cell->x(), cell->y()); });
}

void linkChartToFiles(chart::Chart &chart,
                      std::function<FigureChoices(int series, int point)> figuresAt,
                      const ShowFiles &show)
{
    auto at = std::make_shared<std::function<FigureChoices(int, int)>>(std::move(figuresAt));
    QObject::connect(&chart, &chart::Chart::pointActivated, &chart,
                     [&chart, &show, at](int series, int point) {
                         chooseFigure(&chart, QCursor::pos(), (*at)(series, point), show);
                     });
    chart.setPointMenu([&chart, &show, at](QMenu &menu, std::optional<chart::ChartHit> hit) {
        const FigureChoices choices = hit ? (*at)(hit->series, hit->point) : FigureChoices{};
        QAction *action = menu.addAction(kShowFiles);
        action->setObjectName(QStringLiteral("ShowFiles"));
        action->setEnabled(!choices.empty());
        QObject::connect(action, &QAction::triggered, &chart, [&chart, &show, choices] {
            chooseFigure(&chart, QCursor::pos(), choices, show);
        });
    });
}

void linkRowsToFiles(QWidget &page, QMenu &menu,
                     std::function<FigureChoices(const QPoint &position)> figuresAt,
                     std::function<FigureChoices()> everyRow, const ShowFiles &show)
{
    auto *watcher = new RowWatcher(page, std::move(figuresAt), show);
    QAction *action = addShowFiles(menu);
    QObject::connect(action, &QAction::triggered, &page, [&page, &menu, &show, watcher, everyRow] {
        FigureChoices choices = watcher->atMenu();
        if (choices.empty())
            choices = everyRow();
        // Where the page's menu was, which the keyboard may have opened far
        // from the pointer.
        chooseFigure(&page, menu.pos(), choices, show);
    });
}

} // namespace vorin
