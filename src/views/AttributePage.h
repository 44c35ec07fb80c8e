#pragma once

#include "views/PageContext.h"

#include <array>
#include <QObject>

class QLabel;

namespace vorin {

class TableExport;
struct TextTable;
namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The "Attribute" tab: how many counted files are hidden, read-only, system
// or archive, how large they are together, and two share charts whose bars
// stand beside the rows. GUI thread.
class AttributePage : public QObject
{
    Q_OBJECT

public:
    AttributePage(QWidget *page, PageContext &context);

    // Writes the four counts and sizes and redraws both share charts.
    void doFileAttrs();
    // The page's figures as a table: per attribute its share of the files,
    // the number of files, its share of the bytes and the bytes, as shown.
    [[nodiscard]] TextTable figureTable() const;

    QLabel *lblNHidden = nullptr;
    QLabel *lblSzHidden = nullptr;
    QLabel *lblNReadOnly = nullptr;
    QLabel *lblSzReadOnly = nullptr;
    QLabel *lblNSystem = nullptr;
    QLabel *lblSzSystem = nullptr;
    QLabel *lblNArchive = nullptr;
    QLabel *lblSzArchive = nullptr;
    // Compared with an earlier scan: each row's change in files and bytes,
    // under the note (objectNames lblChangeFiles0.., lblChangeSize0..).
    QWidget *pnlChanges = nullptr;
    std::array<QLabel *, 4> lblChangeFiles{};
    std::array<QLabel *, 4> lblChangeSize{};
    chart::Chart *Chart2 = nullptr; // share of the files
    chart::Chart *Chart3 = nullptr; // share of the bytes
    chart::ChartSeries *HorizBarSeries4 = nullptr;
    chart::ChartSeries *HorizBarSeries5 = nullptr;
    TableExport *attributeTable = nullptr; // copy and CSV, from a right click on the page

private:
    PageContext &m_context;
};

} // namespace vorin
