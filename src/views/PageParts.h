#pragma once

#include "support/LocaleSeparators.h"

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <vector>

class QFrame;
class QLabel;
class QPainter;
class QRadioButton;
class QScrollBar;
class QToolButton;
class QWidget;

namespace vorin {

class StringGrid;
class TableExport;
namespace chart {
class Chart;
class ChartModel;
class ChartSeries;
} // namespace chart

// The pieces several result pages are built from, so that each page says
// only what is its own.

// The pages' megabyte, in which sizes are charted and written.
inline constexpr double kBytesPerMB = 1048576.0;

// The colour of the window's own face, which the listing tables share.
[[nodiscard]] QColor buttonFace();

[[nodiscard]] chart::Chart *makeChart(QWidget *page, const QString &name, const QRect &geometry,
                                      const LocaleSeparators &locale);

// A text at a fixed place, vertically centred; named when `name` is not empty.
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, const QRect &place,
                  Qt::Alignment alignment = Qt::AlignLeft, bool bold = false);

[[nodiscard]] QRadioButton *makeRadio(QWidget *parent, const QString &name, const QString &caption,
                                      int x, int y, int width);

// The framed strip under a chart with a page's three views, left to right
// "Listing", "Chart by Size (in MB)" (checked) and "Chart by Number of
// Files", named prefix0 to prefix2.
[[nodiscard]] std::array<QRadioButton *, 3> makeViewButtons(QWidget *page, const QString &prefix);

// A note button at the bottom right of a page: a picture only, named "Note"
// for a screen reader, with `hint` (what the note is about) on its tooltip.
[[nodiscard]] QToolButton *makeNoteButton(QWidget *page, const QString &name, const QString &hint);

// Tab goes through the widgets in the order given, each after the one before
// it, whatever order they were made in; those that take no focus are passed.
void chainTabOrder(std::initializer_list<QWidget *> widgets);

// A scroll bar that the keyboard reaches too (Tab, then the arrow keys), under
// a name a screen reader says; scroll bars take no focus of their own accord.
void reachScrollBarByKeyboard(QScrollBar &bar, const QString &name);

// Space on the widget, while it has the focus, does what a click on it does
// (a pie's turning started or stopped).
void pressWithSpace(QWidget &widget, std::function<void()> press);

// A read-only result table of the Sizes and date pages: a fixed header row,
// horizontal lines only, in the button-face colour, 19-pixel rows, hidden
// until its listing is chosen. Its cells are drawn by gridSizesDrawCell; a
// click or the arrow keys pick a whole row (gridSizesSelectCell), whose
// files Enter then opens, and Ctrl+C and the right-click menu copy it.
[[nodiscard]] StringGrid *makeListingGrid(QWidget *page, const QString &name, int columns, int rows,
                                          const QList<int> &widths);

// Copy and CSV save for a grid: its right-click menu, and Ctrl+C while it has
// the focus. The headings are its first row; `numberColumns` hold figures.
// A grid not yet named for a screen reader takes `title` as its name.
TableExport *offerGridExport(StringGrid *grid, const QString &title,
                             const QList<int> &numberColumns, const LocaleSeparators &locale);

// Widens the columns of a listing table whose texts no longer fit the
// widths it was laid out with (a drive of terabytes, a wider font), and, when
// the table would then be wider than its place, takes its letters a pixel
// smaller until it fits (down to 9 pixels; beyond that the table scrolls
// sideways). The widths given stay the least each column gets.
void fitListingGrid(StringGrid &grid, const QList<int> &widths);

// The figures of one row of a listing table.
struct RowFigures
{
    double bytes = 0;
    double files = 0;
};

// The columns "Size change" and "Files change" after a listing table's size
// and file columns, each data row's change from `before` (row r: index r - 1),
// while a comparison is on; without `before` the table has its columns back.
// Fits the table as fitListingGrid does.
void writeChangeColumns(StringGrid &grid, const QList<int> &widths, const std::vector<RowFigures> &now,
                        const std::vector<RowFigures> *before, const LocaleSeparators &locale);

// One change column of a listing table: its heading and each data row's
// figure now and then.
struct ChangeColumn
{
    QString heading;
    std::vector<double> now;
    std::vector<double> before;
};
// The same for any number of change columns, after the table's own `widths`;
// none gives the table its own columns back.
void writeChangeColumns(StringGrid &grid, const QList<int> &widths,
                        const std::vector<ChangeColumn> &changes, const LocaleSeparators &locale);

// Draws a cell's text 2 pixels below the cell's top edge: column 0 from 3
// pixels right of the left edge, every other column right-aligned, ending 3
// pixels left of the right edge; clipped to the cell.
void gridSizesDrawCell(const StringGrid &grid, QPainter &painter, const QRect &rect, int column,
                       int row);
// Takes the rows of figures, never a heading: a row is picked to reach its files.
[[nodiscard]] bool gridSizesSelectCell(int column, int row);

// A horizontal bar chart of the Sizes and single-date pages: one series of
// gradient bars whose marks show each bar's share of the sum ("##0.# %"), a
// legend at the right listing the values in reverse order with 15-pixel
// colour boxes. Adds the series and returns it.
chart::ChartSeries &setUpShareBars(chart::Chart &chart, const QString &seriesTitle);

// A colour halfway to white: an earlier scan's beside the current one's.
[[nodiscard]] QColor paler(const QColor &colour);

// The series of an earlier scan, found by its title: made by `make` the
// first time a comparison needs it and active then; without a comparison
// (`compared` false) put out of sight, and nullptr.
chart::ChartSeries *earlierSeries(chart::ChartModel &model, const QString &title, bool compared,
                                  const std::function<chart::ChartSeries &()> &make);

// The bars of an earlier scan beside those of a share-bars chart while a
// comparison is on: a second series, "Then", in the same colours paler, its
// bars and the chart's own side by side in each row, counting what the
// chart's own count (its unit). `values` go with the chart's bars in their
// order; empty takes the earlier bars away.
void showEarlierBars(chart::Chart &chart, chart::ChartSeries &now, const std::vector<double> &values);

// The bar chart beside a figure table of the Attribute and Overhang pages:
// one horizontal bar per table row, `rows` to the chart's height so that each
// stands level with its row, in `colour`, marked with its value in
// `valueFormat`; no title, legend, axes or frame, on the window's face. Adds
// the series and returns it.
chart::ChartSeries &setUpRowBars(chart::Chart &chart, std::size_t rows, const QColor &colour,
                                 const QString &valueFormat);

// The mark text of the bar level with table row `row` (from 0 at the top) of
// such a chart, whose bars run from the bottom up; empty while the series
// does not hold one bar for each of the `rows` rows.
[[nodiscard]] QString rowBarText(const chart::ChartSeries &series, std::size_t row,
                                 std::size_t rows, const LocaleSeparators &locale);

} // namespace vorin
