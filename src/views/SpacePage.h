#pragma once

#include "views/PageContext.h"

#include <QObject>

class QCheckBox;
class QLabel;
class QRadioButton;

namespace vorin {

class PickList;
namespace chart {
class Chart;
}

// The "Space" tab: capacity, free and used space of the drives chosen in its
// drive list, as stacked bars per drive with a total pair, or as one pie per
// drive with a total pie. Needs no scan: it asks the drives afresh whenever
// it is shown or the choice changes. Also owns the steps of the window's two
// animations (the bar depth and the turning pies). GUI thread.
class SpacePage : public QObject
{
    Q_OBJECT

public:
    SpacePage(QWidget *page, PageContext &context);

    void doDiskSize();

    // One tick of the pie rotation while this page is shown.
    void turnPies();
    // One tick of the bar depth animation; false once the depth has reached
    // its target and the timer should stop.
    [[nodiscard]] bool growBarDepth();

    // The drive list; the main window's chart reads it too.
    PickList *pckStatDrive = nullptr;
    QLabel *lblTotal = nullptr;
    QLabel *lblFree = nullptr;
    QLabel *lblUsed = nullptr;
    QLabel *lblTot = nullptr;
    QLabel *lblPct = nullptr;
    QLabel *lblPct2 = nullptr;
    QRadioButton *rgSpace1 = nullptr;
    QRadioButton *rgSpace2 = nullptr;
    QCheckBox *cbTotal = nullptr;
    chart::Chart *chartSpaceBar = nullptr;

private:
    PageContext &m_context;
};

} // namespace vorin
