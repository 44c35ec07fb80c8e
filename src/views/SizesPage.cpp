#include "views/SizesPage.h"

#include "chart/Chart.h"
#include "views/PageParts.h"
#include "widgets/StringGrid.h"

#include <QRadioButton>

namespace vorin {

SizesPage::SizesPage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    Chart1 =
        makeChart(page, QStringLiteral("Chart1"), QRect(4, 4, 616, 300), context.services.locale);
    gridSizes = makeListingGrid(page, QStringLiteral("gridSizes"), 3, 13, {194, 189, 140});
    rgSize = makeViewButtons(page, QStringLiteral("rgSize"));
}

void SizesPage::doFileSizes() {}

} // namespace vorin
