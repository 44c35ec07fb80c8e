#pragma once

#include "widgets/DrawGrid.h"

#include <functional>
#include <QString>
#include <QStringList>
#include <vector>

class QPrinter;

namespace vorin {

// The rows of each printed page, in print order: every page starts with the
// header rows, the body rows follow in order, and the footer rows come after
// the last body row. `rowsPerPage` counts all rows a page can hold.
[[nodiscard]] std::vector<std::vector<int>> paginateGridRows(int rowCount, int headerRows,
                                                             int footerRows, int rowsPerPage);

// How a grid goes onto paper, in the grid's own pixels before scaling.
struct GridPrintLayout
{
    double scale = 1.0;  // device pixels per grid pixel
    int titleHeight = 0; // the title line and the gap under it
    int rowsPerPage = 0;
    std::vector<std::vector<int>> pages;
};

// A grid of text cells: the file-type table with its headings and totals,
// and the listing tables of the other pages. Each cell's alignment comes
// from an optional callback; a draw handler, when set, replaces the text
// drawing. The whole table prints under a title line, page by page with the
// headings repeated. Texts are the grid's only store. GUI thread only.
class StringGrid : public DrawGrid
{
    Q_OBJECT

public:
    using AlignmentHandler = std::function<Qt::Alignment(int column, int row)>;

    explicit StringGrid(QWidget *parent = nullptr);

    void setRowCount(int rows) override;

    [[nodiscard]] QString cell(int column, int row) const;
    [[nodiscard]] QString cellText(int column, int row) const override { return cell(column, row); }
    void setCell(int column, int row, const QString &text);
    [[nodiscard]] QStringList rowTexts(int row) const;
    void setRowTexts(int row, const QStringList &texts);
    [[nodiscard]] QStringList columnTexts(int column) const;
    // Empties every cell; the size stays.
    void clearCells();

    void setAlignmentHandler(AlignmentHandler handler);
    // Left and vertically centred unless the handler says otherwise.
    [[nodiscard]] Qt::Alignment cellAlignment(int column, int row) const;

    [[nodiscard]] QString printTitle() const { return m_printTitle; }
    void setPrintTitle(const QString &title);
    // Where the rows fall on pages of `pageSize` device pixels at
    // `resolution` dots per inch.
    [[nodiscard]] GridPrintLayout printLayout(const QSizeF &pageSize, int resolution) const;
    // Prints the whole table on the printer as it is set up (no dialog).
    // Returns false when the printer cannot be painted on.
    bool print(QPrinter &printer) const;
    // Draws page `page` of `layout` into a painter whose device is
    // `pageSize` device pixels; the printer and page previews share it.
    void paintPrintPage(QPainter &painter, const GridPrintLayout &layout, int page,
                        const QSizeF &pageSize) const;

    // Draws one cell's text as the grid does, into any painter.
    void paintCellText(QPainter &painter, const QRect &rect, int column, int row) const;

protected:
    void drawCell(QPainter &painter, const QRect &rect, int column, int row,
                  const GridCellState &state) override;

private:
    [[nodiscard]] QFont pixelFont() const;

    std::vector<QStringList> m_cells; // one list per row
    AlignmentHandler m_alignment;
    QString m_printTitle;
};

} // namespace vorin
