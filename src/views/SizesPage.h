#pragma once

#include "views/PageContext.h"

#include <array>
#include <QObject>

class QRadioButton;

namespace vorin {

class StringGrid;
namespace chart {
class Chart;
}

// The "Sizes" tab: the counted files over twelve size bands, largest band
// at the top, as a horizontal bar chart by megabytes or by file count, or as
// a read-only table. GUI thread.
class SizesPage : public QObject
{
    Q_OBJECT

public:
    SizesPage(QWidget *page, PageContext &context);

    void doFileSizes();

    chart::Chart *Chart1 = nullptr;
    StringGrid *gridSizes = nullptr;
    std::array<QRadioButton *, 3> rgSize{};

private:
    PageContext &m_context;
};

} // namespace vorin
