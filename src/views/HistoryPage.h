#pragma once

#include "engine/Statistics.h"
#include "platform/History.h"
#include "views/PageContext.h"

#include <array>
#include <map>
#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QRadioButton;

namespace vorin {

class MenuButton;
class StringGrid;
class TableExport;
namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The "History" tab: for the drive chosen in its list, the used space and the
// five largest types (by size in the drive's last kept scan) over every kept
// scan, as a line chart with the scans' dates on the bottom axis or as a
// table that copies and saves like the others; by size in MB or by number of
// files. Beside the list, "Keep a history of scans" (stored with the other
// settings) and "Forget history", for the drive chosen or for all, after a
// confirmation. GUI thread.
class HistoryPage : public QObject
{
    Q_OBJECT

public:
    HistoryPage(QWidget *page, PageContext &context);

    // Reads the kept scans again; the drive chosen stays chosen while it has any.
    void refresh();
    // The chart or the table of the drive chosen, by the view chosen.
    void showDrive();
    // Forgets the chosen drive's scans, or every scan, once the user agrees.
    void forgetClick(bool everyDrive);
    void cbKeepHistoryClick();

    QComboBox *cbHistoryDrive = nullptr;
    QCheckBox *cbKeepHistory = nullptr;
    MenuButton *btForget = nullptr;
    QMenu *ForgetMenu = nullptr;
    chart::Chart *chartHistory = nullptr;
    StringGrid *gridHistory = nullptr;
    TableExport *historyTable = nullptr;
    QLabel *lblNoHistory = nullptr;
    std::array<QRadioButton *, 3> rgHistory{}; // Listing, by size, by number of files

private:
    // One drive as the history knows it: its root and its file system.
    struct KeptDrive
    {
        std::string place;
        std::string identity;
        QString label;
    };

    // One kept scan of the drive, with its types.
    struct ScanFigures
    {
        KeptScan scan;
        std::map<std::string, TypeTotal> types;
    };
    void chartDrive(const std::vector<ScanFigures> &kept, const std::vector<TypeTotal> &last);

    PageContext &m_context;
    std::vector<KeptDrive> m_drives;
};

} // namespace vorin
