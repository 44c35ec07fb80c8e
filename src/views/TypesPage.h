#pragma once

#include "views/PageContext.h"

#include <QObject>

class QAction;
class QGroupBox;
class QMenu;

namespace vorin {

class MenuButton;
class StringGrid;
class TypeFilter;
namespace chart {
class Chart;
}

// The "Types" tab: size, number of files and average size per file type,
// as a sortable table or as a pie of the leading types. The table's texts
// are the page's only store: sorting and the pie read the cells back. GUI
// thread.
class TypesPage : public QObject
{
    Q_OBJECT

public:
    TypesPage(QWidget *page, PageContext &context);

    // Fills the table from the per-type totals of the last run; `filter` says
    // whether the run counted chosen types only (those get a row even when
    // no file of them was found).
    void doFileTypes(const TypeFilter &filter);
    void SortbyExtensionClick(QAction *sender);
    // One tick of the pie rotation while this page is shown.
    void turnPie();
    // Writes the headings into row 0 (done whenever the window is shown).
    void writeHeadings();
    // A new run starts: only the header and the footer row stay, empty.
    void clearTable();

    StringGrid *gridTypes = nullptr;
    chart::Chart *chartPie = nullptr;
    QGroupBox *rgTypes = nullptr;
    MenuButton *btSort = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *SortbyExtension = nullptr;
    QAction *SortbyType = nullptr;
    QAction *SortbySize = nullptr;
    QAction *SortbyNumFiles = nullptr;
    QAction *SortbyAverageFileSize1 = nullptr;

private:
    PageContext &m_context;
};

} // namespace vorin
