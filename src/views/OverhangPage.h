#pragma once

#include "views/PageContext.h"

#include <array>
#include <cstdint>
#include <optional>
#include <QObject>

class QFrame;
class QLabel;
class QPixmap;
class QPlainTextEdit;

namespace vorin {

class TableExport;
struct TextTable;
namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The "Overhang" tab: the space the counted files of one drive lose to the
// empty tail of their last cluster, at the drive's real cluster size and at
// 4K to 64K, beside the classic table of FAT and FAT32 cluster sizes. Only a
// run over exactly one drive fills it. GUI thread.
class OverhangPage : public QObject
{
    Q_OBJECT

public:
    OverhangPage(QWidget *page, PageContext &context);

    // clusterSize: the allocation unit of the scanned drive, 0 when unknown.
    // With no bytes counted the tab is switched off and nothing else changes.
    void doOverHang(std::int32_t clusterSize);
    // Points the arrow at the row of the drive's cluster size, or covers the
    // page when the size is none of the five.
    void drawClusterArrow(std::int32_t clusterSize);

    // The arrow's picture: a red arrow pointing right above "Actual" and
    // "Size", drawn here rather than loaded, 32 x 32.
    [[nodiscard]] static QPixmap arrowPicture();

    // The page's table as shown: per cluster size the FAT and FAT32 partition
    // sizes, the percentage wasted and the wasted bytes.
    [[nodiscard]] TextTable figureTable() const;

    // Rows top to bottom: 4K, 8K, 16K, 32K, 64K.
    std::array<QLabel *, 5> lblCSize{};
    std::array<QLabel *, 5> lblOver{};
    // Compared with an earlier scan: each cluster size's change of wasted
    // space, in the memo's place (objectNames lblOverChange1 to 5).
    QWidget *pnlOverChanges = nullptr;
    std::array<QLabel *, 5> lblOverChange{};
    QLabel *imArrow = nullptr;
    chart::Chart *chartOverhang = nullptr;
    chart::ChartSeries *Series9 = nullptr;
    QFrame *pnlOverhang = nullptr;
    QLabel *lblNumFiles = nullptr;
    QLabel *lblSize = nullptr;
    QLabel *lblLbl = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *pnlCluster = nullptr;
    TableExport *overhangTable = nullptr; // copy and CSV, from a right click on the page

private:
    PageContext &m_context;
    std::optional<std::size_t> m_arrowRow; // the row the arrow stands at, if shown
};

} // namespace vorin
