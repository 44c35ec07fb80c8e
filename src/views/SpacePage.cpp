#include "views/SpacePage.h"

#include "chart/Chart.h"
#include "views/PageParts.h"
#include "widgets/PickList.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>

namespace vorin {

SpacePage::SpacePage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    auto *panel4 = new QFrame(page);
    panel4->setObjectName(QStringLiteral("Panel4"));
    panel4->setFrameShape(QFrame::Panel);
    panel4->setFrameShadow(QFrame::Sunken);
    panel4->setGeometry(5, 5, 183, 353);
    pckStatDrive = new PickList(panel4);
    pckStatDrive->setObjectName(QStringLiteral("pckStatDrive"));
    pckStatDrive->setGeometry(2, 2, 179, 349);
    pckStatDrive->setFont(QFont(QStringLiteral("Arial"), -1));
    pckStatDrive->setRowHeight(16);

    const struct
    {
        QLabel **label;
        const char *name;
        int x, y, width;
    } figures[] = {
        {&lblTotal, "lblTotal", 340, 5, 160}, {&lblTot, "lblTot", 505, 5, 40},
        {&lblFree, "lblFree", 340, 34, 160},  {&lblPct, "lblPct", 505, 34, 40},
        {&lblUsed, "lblUsed", 340, 64, 160},  {&lblPct2, "lblPct2", 505, 64, 40},
    };
    const struct
    {
        const char *name;
        const char *caption;
        int y;
    } captions[] = {{"lblTotalC", "Total Capacity:", 5},
                    {"lblFreeC", "Free Space:", 34},
                    {"label26", "Used Space:", 64}};
    QFont figureFont(QStringLiteral("Times New Roman"));
    figureFont.setPixelSize(21);
    for (const auto &c : captions) {
        auto *label = new QLabel(QString::fromLatin1(c.caption), page);
        label->setObjectName(QString::fromLatin1(c.name));
        label->setFont(figureFont);
        label->setGeometry(200, c.y, 140, 26);
    }
    for (const auto &f : figures) {
        *f.label = new QLabel(page);
        (*f.label)->setObjectName(QString::fromLatin1(f.name));
        (*f.label)->setFont(figureFont);
        (*f.label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*f.label)->setGeometry(f.x, f.y, f.width, 26);
    }
    chartSpaceBar = makeChart(page, QStringLiteral("chartSpaceBar"), QRect(190, 87, 436, 255),
                              context.services.locale);

    rgSpace2 =
        makeRadio(page, QStringLiteral("rgSpace2"), QStringLiteral("Bar - totals"), 200, 342, 110);
    rgSpace1 =
        makeRadio(page, QStringLiteral("rgSpace1"), QStringLiteral("Pie - percent"), 320, 342, 110);
    rgSpace2->setChecked(true);
    cbTotal = new QCheckBox(QStringLiteral("Show Cumulative Total"), page);
    cbTotal->setObjectName(QStringLiteral("cbTotal"));
    cbTotal->setGeometry(440, 342, 180, 17);
    cbTotal->setChecked(true);
}

void SpacePage::doDiskSize() {}

void SpacePage::turnPies() {}

bool SpacePage::growBarDepth()
{
    // The bar chart grows its depth here once the page draws its bars; until
    // then there is nothing to animate.
    return false;
}

} // namespace vorin
