#pragma once

#include "engine/FigureFiles.h"

#include <functional>
#include <QPoint>
#include <QString>
#include <vector>

class QMenu;
class QWidget;

namespace vorin {

class DrawGrid;
namespace chart {
class Chart;
} // namespace chart

// One figure a row, bar or point stands for, with the caption under which a
// menu offers it when there are several (the Combined table's three dates).
struct FigureChoice
{
    QString caption;
    Figure figure;
};
using FigureChoices = std::vector<FigureChoice>;

// Where a page sends the user who asks for a figure's files: the statistics
// window, which opens the list. Empty while no window listens (a page alone).
using ShowFiles = std::function<void(const Figure &)>;

// The ways from a page's figures to their files. Each takes a function that
// says which figures a place stands for (none: nothing there) and calls
// `show` (read when asked, so the window may set it later) with the one the
// user picked; where a place stands for several, a small menu named
// "FigureChoice" asks which. GUI thread.

// A table: a double click on a row, Enter on the current row, and "Show
// files" at the top of its right-click menu (disabled away from a row).
void linkGridToFiles(DrawGrid &grid, QMenu &menu,
                     std::function<FigureChoices(int column, int row)> figuresAt,
                     const ShowFiles &show);

// A chart: a double click or Enter on a bar, slice or point, and "Show files"
// at the top of its right-click menu.
void linkChartToFiles(chart::Chart &chart,
                      std::function<FigureChoices(int series, int point)> figuresAt,
                      const ShowFiles &show);

// A page whose figures stand in rows of labels: a double click on a row, and
// "Show files" in the page's right-click menu for the row under the pointer,
// or, from the keyboard or away from a row, a choice of every row.
void linkRowsToFiles(QWidget &page, QMenu &menu,
                     std::function<FigureChoices(const QPoint &position)> figuresAt,
                     std::function<FigureChoices()> everyRow, const ShowFiles &show);

// Offers the choices at a point of the screen: the one at once, several in a
// menu named "FigureChoice".
void chooseFigure(QWidget *parent, const QPoint &globalPosition, const FigureChoices &choices,
                  const ShowFiles &show);

} // namespace vorin
