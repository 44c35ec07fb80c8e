#include "views/TimePage.h"

#include "chart/Chart.h"
#include "views/PageParts.h"

namespace vorin {

TimePage::TimePage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    Chart4 =
        makeChart(page, QStringLiteral("Chart4"), QRect(4, 4, 616, 330), context.services.locale);
}

void TimePage::doFileTimes() {}

} // namespace vorin
