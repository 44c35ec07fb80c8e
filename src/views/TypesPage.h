#pragma once

#include "views/PageContext.h"

#include <array>
#include <map>
#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QMenu;
class QRadioButton;
class QScrollBar;

namespace vorin {

class MenuButton;
class StringGrid;
class TableExport;
class TypeFilter;
namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The "Types" tab: size, number of files and average size per file type,
// as a sortable table or as a pie of the leading types. The table's texts
// are the page's only store: sorting and the pie read the cells back, so the
// pie costs at most twelve rows whatever the number of types. GUI thread.
class TypesPage : public QObject
{
    Q_OBJECT

public:
    TypesPage(QWidget *page, PageContext &context);

    // Fills the table from the per-type totals of the last run and shows the
    // chosen view. When the run counted chosen types only (`filter`), every
    // chosen type gets a row, with zeros when no file of it was found; the
    // run's own totals are left as they are.
    void doFileTypes(const TypeFilter &filter);
    // The view chosen: shows it and turns the pie, or stops it for the listing.
    void rgTypesClick();
    // Shows the listing (with its totals) or the pie of the chosen measure,
    // after sorting the table by that measure; the pie's turning stays as it is.
    void showTypesView();
    // Sorts the data rows by the column of the sort menu item `sender` and
    // moves the check mark to it; a table with fewer than two types is left
    // alone, check marks included.
    void SortbyExtensionClick(QAction *sender);
    // The footer: "Totals" with the sums of the size and file columns.
    void doTotals();
    [[nodiscard]] static Qt::Alignment gridTypesGetAlignment(int column);
    // The text without the locale's thousands separators.
    [[nodiscard]] QString stripCommas(const QString &text) const;
    void ScrollBar2Change();
    // A click on the pie starts or stops its rotation.
    void chartSpacePieClick();
    // One tick of the pie rotation while this page is shown.
    void turnPie();
    // Writes the headings into row 0 (done whenever the window is shown).
    void writeHeadings();
    // A new run starts: only the header and the footer row stay, empty.
    void clearTable();

    // The view selected in rgTypes: 0 "Listing", 1 "Pie by Size", 2 "Pie by
    // # Files", 3 "Pie by Average Size".
    [[nodiscard]] int rgTypesIndex() const;

    StringGrid *gridTypes = nullptr;
    chart::Chart *chartPie = nullptr;
    chart::ChartSeries *Series2 = nullptr;
    // Compared with an earlier scan: its pie of the same types, paler, at the
    // right of the current one.
    chart::Chart *chartPieThen = nullptr;
    chart::ChartSeries *SeriesThen = nullptr;
    QScrollBar *ScrollBar2 = nullptr; // the pie's rotation, 0 to 360 degrees
    QGroupBox *rgTypes = nullptr;
    std::array<QRadioButton *, 4> rgTypesItems{}; // objectNames rgTypes0 to rgTypes3
    MenuButton *btSort = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *SortbyExtension = nullptr;
    QAction *SortbyType = nullptr;
    QAction *SortbySize = nullptr;
    QAction *SortbyNumFiles = nullptr;
    QAction *SortbyAverageFileSize1 = nullptr;
    // Copy and CSV of the listing, below the sort items of PopupMenu1.
    TableExport *typesTable = nullptr;

private:
    // Rows between the header and the footer.
    [[nodiscard]] int dataRows() const;

    PageContext &m_context;
    // The type keys as the table writes them, back to their bytes (a key of
    // a Latin-1 name does not survive the trip through the text).
    std::map<QString, std::string> m_keysByText;
    // The key of each slice of the pie, in the order of its points.
    std::vector<std::string> m_sliceKeys;
};

} // namespace vorin
