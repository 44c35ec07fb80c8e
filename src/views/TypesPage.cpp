#include "views/TypesPage.h"

#include "chart/Chart.h"
#include "engine/Statistics.h"
#include "selection/StatFiles.h"
#include "selection/TypeFilter.h"
#include "support/Utility.h"
#include "views/PageParts.h"
#include "widgets/MenuButton.h"
#include "widgets/StringGrid.h"
#include "widgets/WindowSupport.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QRadioButton>

namespace vorin {

TypesPage::TypesPage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    gridTypes = new StringGrid(page);
    gridTypes->setObjectName(QStringLiteral("gridTypes"));
    gridTypes->setColCount(5);
    gridTypes->setRowCount(3);
    gridTypes->setFixedRows(1);
    gridTypes->setFixedBottomRows(1);
    gridTypes->setColWidths({80, 219, 120, 75, 82});
    gridTypes->setRowHeight(19);
    gridTypes->setGridLines(DrawGrid::AllLines);
    gridTypes->setRowSelect(true);
    gridTypes->setGeometry(4, 4, 616, 300);
    gridTypes->setAlignmentHandler([](int column, int) {
        return Qt::AlignVCenter | (column >= 2 ? Qt::AlignRight : Qt::AlignLeft);
    });
    gridTypes->hide();

    chartPie =
        makeChart(page, QStringLiteral("chartPie"), QRect(4, 4, 616, 300), context.services.locale);
    chartPie->setHint(QStringLiteral("Click on pie to toggle animation"));

    PopupMenu1 = new QMenu(page);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const struct
    {
        QAction **action;
        const char *name;
        const char *caption;
    } sorts[] = {
        {&SortbyExtension, "SortbyExtension", "Sort by &Extension"},
        {&SortbyType, "SortbyType", "Sort by &Type"},
        {&SortbySize, "SortbySize", "Sort by &Size"},
        {&SortbyNumFiles, "SortbyNumFiles", "Sort by &Number of files"},
        {&SortbyAverageFileSize1, "SortbyAverageFileSize1", "Sort by &Average File Size"},
    };
    for (const auto &s : sorts) {
        QAction *action = PopupMenu1->addAction(QString::fromLatin1(s.caption));
        action->setObjectName(QString::fromLatin1(s.name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
                [this, action] { SortbyExtensionClick(action); });
        *s.action = action;
    }
    SortbyExtension->setChecked(true);
    gridTypes->setContextMenu(PopupMenu1);

    rgTypes = new QGroupBox(page);
    rgTypes->setObjectName(QStringLiteral("rgTypes"));
    rgTypes->setGeometry(4, 310, 500, 44);
    auto *row = new QHBoxLayout(rgTypes);
    const char *const views[] = {"Listing", "Pie by Size", "Pie by # Files", "Pie by Average Size"};
    int item = 0;
    for (const char *view : views) {
        auto *button = new QRadioButton(QString::fromLatin1(view), rgTypes);
        button->setObjectName(QStringLiteral("rgTypes%1").arg(item));
        button->setChecked(item == 1);
        row->addWidget(button);
        ++item;
    }

    btSort = new MenuButton(QStringLiteral("&Sort"), page);
    btSort->setObjectName(QStringLiteral("btSort"));
    btSort->setGeometry(520, 320, 90, 25);
    btSort->setPopupMenu(PopupMenu1);
    btSort->hide(); // only the listing can be sorted
}

void TypesPage::writeHeadings()
{
    const char *const headings[] = {"Extension", "Type", "Size", "# Files", "Avg File Size"};
    for (int column = 0; column < 5; ++column)
        gridTypes->setCell(column, 0, QString::fromLatin1(headings[column]));
}

void TypesPage::clearTable()
{
    gridTypes->setRowCount(3);
    for (int row = 1; row < 3; ++row)
        gridTypes->setRowTexts(row, {});
}

void TypesPage::doFileTypes(const TypeFilter &)
{
    const std::vector<TypeTotal> &types = m_context.statistics().lbTypes;
    const int rows = static_cast<int>(types.size());
    gridTypes->setRowCount(rows + 2);
    const LocaleSeparators &locale = m_context.services.locale;
    for (int row = 1; row <= rows; ++row) {
        const TypeTotal &t = types[static_cast<std::size_t>(row - 1)];
        const QString average = t.files > 0
                                    ? toQt(formatWhole(double(t.bytes) / double(t.files), locale))
                                    : QStringLiteral("0");
        gridTypes->setRowTexts(row, {toQt(t.key),
                                     toQt(describeExtension(t.key, m_context.services.registry)),
                                     toQt(formatWhole(double(t.bytes), locale)),
                                     toQt(formatWhole(double(t.files), locale)), average});
    }
    gridTypes->setRowTexts(rows + 1, {});
}

void TypesPage::turnPie() {}

void TypesPage::SortbyExtensionClick(QAction *sender)
{
    for (QAction *action : PopupMenu1->actions())
        action->setChecked(action == sender);
}

} // namespace vorin
