#include "views/TypesPage.h"

#include "chart/Chart.h"
#include "engine/Statistics.h"
#include "selection/StatFiles.h"
#include "selection/TypeFilter.h"
#include "support/Utility.h"
#include "views/FigureLinks.h"
#include "views/PageParts.h"
#include "views/Palette.h"
#include "views/Sortgrid.h"
#include "views/TableExport.h"
#include "widgets/MenuButton.h"
#include "widgets/StringGrid.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace vorin {
namespace {

constexpr int kSizeColumn = 2;
constexpr int kFilesColumn = 3;
constexpr int kAverageColumn = 4;
// While a comparison is on: the changes since the earlier scan.
constexpr int kSizeChangeColumn = 5;
constexpr int kFilesChangeColumn = 6;
const QList<int> kWidths = {80, 219, 120, 75, 82};
const QList<int> kComparedWidths = {70, 150, 100, 62, 72, 88, 62};
// The pie shows the leading types only: one palette colour each.
constexpr int kMaxSlices = 12;

} // namespace

TypesPage::TypesPage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    gridTypes = new StringGrid(page);
    gridTypes->setObjectName(QStringLiteral("gridTypes"));
    gridTypes->setColCount(5);
    gridTypes->setRowCount(3);
    gridTypes->setFixedRows(1);
    gridTypes->setFixedBottomRows(1);
    gridTypes->setColWidths(kWidths);
    gridTypes->setRowHeight(19);
    gridTypes->setGridLines(DrawGrid::AllLines);
    gridTypes->setRowSelect(true);
    gridTypes->setGeometry(4, 4, 616, 300);
    gridTypes->setAccessibleName(QStringLiteral("File types"));
    gridTypes->setAlignmentHandler([](int column, int) { return gridTypesGetAlignment(column); });
    gridTypes->hide();

    chartPie =
        makeChart(page, QStringLiteral("chartPie"), QRect(4, 4, 616, 300), context.services.locale);
    chartPie->setHint(QStringLiteral("Click on pie to toggle animation"));
    chartPie->setAccessibleName(QStringLiteral("File types"));
    chart::ChartModel &pie = chartPie->model();
    pie.edit([](chart::ChartSettings &s) {
        s.titleLines.clear();
        s.titleVisible = false;
        s.legend.visible = false;
        s.view.depthPercent = 25;
        s.view.elevation = 315;
        // A click toggles the rotation; a pie has nothing to zoom into.
        s.userZoomAllowed = false;
    });
    Series2 = &pie.addSeries(chart::SeriesKind::Pie);
    Series2->setMarkStyle(chart::MarkStyle::LabelAndPercent);
    Series2->setPercentFormat(QStringLiteral("##0.# %"));
    Series2->setOtherThresholdPercent(5.0);
    Series2->setOtherLabel(QStringLiteral("Other"));
    Series2->setExplodePercent(10);
    connect(chartPie, &chart::Chart::clicked, this, &TypesPage::chartSpacePieClick);
    pressWithSpace(*chartPie, [this] { chartSpacePieClick(); });
    linkChartToFiles(
        *chartPie,
        [this](int, int point) {
            if (point < 0 || static_cast<std::size_t>(point) >= m_sliceKeys.size())
                return FigureChoices{};
            return FigureChoices{
                {QString(), {FigureKind::Type, 0, m_sliceKeys[static_cast<std::size_t>(point)]}}};
        },
        context.showFiles);

    chartPieThen = makeChart(page, QStringLiteral("chartPieThen"), QRect(404, 4, 216, 300),
                             context.services.locale);
    chartPieThen->model().edit([](chart::ChartSettings &s) {
        s.titleLines = {QStringLiteral("Then")};
        s.legend.visible = false;
        s.view.depthPercent = 25;
        s.view.elevation = 315;
        s.userZoomAllowed = false;
    });
    SeriesThen = &chartPieThen->model().addSeries(chart::SeriesKind::Pie);
    SeriesThen->setMarkStyle(chart::MarkStyle::Percent);
    SeriesThen->setPercentFormat(QStringLiteral("##0.# %"));
    SeriesThen->setOtherThresholdPercent(5.0);
    SeriesThen->setOtherLabel(QStringLiteral("Other"));
    chartPieThen->setAccessibleName(QStringLiteral("File types then"));
    chartPieThen->hide();

    ScrollBar2 = new QScrollBar(Qt::Horizontal, chartPie);
    ScrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
    ScrollBar2->setRange(0, 360);
    ScrollBar2->setGeometry(616 - 121 - 3, 300 - 16 - 3, 121, 16);
    connect(ScrollBar2, &QScrollBar::valueChanged, this, &TypesPage::ScrollBar2Change);
    reachScrollBarByKeyboard(*ScrollBar2, QStringLiteral("Turn the pie"));

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
        // The menu has already flipped the item's mark when this arrives;
        // the marks are the sort's to set, so the flip is undone first.
        connect(action, &QAction::triggered, this, [this, action](bool checked) {
            action->setChecked(!checked);
            SortbyExtensionClick(action);
        });
        *s.action = action;
    }
    SortbyExtension->setChecked(true);
    typesTable = new TableExport(
        gridTypes, QStringLiteral("File types"),
        [this] {
            return gridTable(*gridTypes, {kSizeColumn, kFilesColumn, kAverageColumn,
                                          kSizeChangeColumn, kFilesChangeColumn});
        },
        context.services.locale);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(typesTable->copyAction());
    PopupMenu1->addAction(typesTable->saveAction());
    gridTypes->setContextMenu(PopupMenu1);
    const auto typeFigure = [](const std::string &key) {
        return FigureChoices{{QString(), {FigureKind::Type, 0, key}}};
    };
    linkGridToFiles(
        *gridTypes, *PopupMenu1,
        [this, typeFigure](int, int row) {
            const auto key = row >= 1 && row <= dataRows()
                                 ? m_keysByText.find(gridTypes->cell(0, row))
                                 : m_keysByText.end();
            return key == m_keysByText.end() ? FigureChoices{} : typeFigure(key->second);
        },
        context.showFiles);

    rgTypes = new QGroupBox(page);
    rgTypes->setObjectName(QStringLiteral("rgTypes"));
    rgTypes->setGeometry(4, 310, 500, 44);
    auto *row = new QHBoxLayout(rgTypes);
    const char *const views[] = {"Listing", "Pie by Size", "Pie by # Files", "Pie by Average Size"};
    for (std::size_t item = 0; item < rgTypesItems.size(); ++item) {
        auto *button = new QRadioButton(QString::fromLatin1(views[item]), rgTypes);
        button->setObjectName(QStringLiteral("rgTypes%1").arg(item));
        button->setChecked(item == 1);
        row->addWidget(button);
        rgTypesItems[item] = button;
    }
    for (QRadioButton *button : rgTypesItems)
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                rgTypesClick();
        });

    btSort = new MenuButton(QStringLiteral("&Sort"), page);
    btSort->setObjectName(QStringLiteral("btSort"));
    btSort->setGeometry(520, 320, 90, 25);
    btSort->setPopupMenu(PopupMenu1);
    btSort->hide(); // only the listing can be sorted

    // The pie's turning bar lies on the pie; the pie of then stands at its right.
    chainTabOrder({chartPie, ScrollBar2, chartPieThen});
}

int TypesPage::rgTypesIndex() const
{
    for (std::size_t item = 0; item < rgTypesItems.size(); ++item)
        if (rgTypesItems[item]->isChecked())
            return static_cast<int>(item);
    return -1;
}

int TypesPage::dataRows() const
{
    return std::max(0, gridTypes->rowCount() - 2);
}

void TypesPage::writeHeadings()
{
    const char *const headings[] = {"Extension",     "Type",        "Size",        "# Files",
                                    "Avg File Size", "Size change", "Files change"};
    for (int column = 0; column < gridTypes->colCount(); ++column)
        gridTypes->setCell(column, 0, QString::fromLatin1(headings[column]));
}

void TypesPage::clearTable()
{
    gridTypes->setRowCount(3);
    for (int row = 1; row < 3; ++row)
        gridTypes->setRowTexts(row, {});
}

void TypesPage::doFileTypes(const TypeFilter &filter)
{
    // The chosen types are registered on a copy: the page shows them, but the
    // run's figures stay what the drives held.
    Statistics listed;
    listed.lbTypes = m_context.statistics().lbTypes;
    m_keysByText.clear();
    if (filter.includeTypes())
        for (const std::string &entry : filter.chosenEntries())
            insertType(listed, extractExtension(entry), 0, true);

    // Compared with an earlier scan, its types get a line too: a type that
    // is gone shows what it took then.
    const Statistics *earlier = m_context.earlierStatistics();
    if (earlier)
        for (const TypeTotal &then : earlier->lbTypes)
            insertType(listed, then.key, 0, true);
    const bool compared = earlier != nullptr;
    if (gridTypes->colCount() != (compared ? 7 : 5)) {
        gridTypes->setColCount(compared ? 7 : 5);
        gridTypes->setColWidths(compared ? kComparedWidths : kWidths);
        writeHeadings();
    }

    const std::vector<TypeTotal> &types = listed.lbTypes;
    const int rows = static_cast<int>(types.size());
    gridTypes->setRowCount(rows + 2);
    const LocaleSeparators &locale = m_context.services.locale;
    for (int row = 1; row <= rows; ++row) {
        const TypeTotal &t = types[static_cast<std::size_t>(row - 1)];
        const QString average = t.files > 0
                                    ? toQt(formatWhole(double(t.bytes) / double(t.files), locale))
                                    : QStringLiteral("0");
        m_keysByText.insert_or_assign(toQt(t.key), t.key);
        QString description = toQt(describeExtension(t.key, m_context.services.registry));
        QStringList texts{toQt(t.key), description, toQt(formatWhole(double(t.bytes), locale)),
                          toQt(formatWhole(double(t.files), locale)), average};
        if (compared) {
            const int line = findType(*earlier, t.key);
            const TypeTotal then =
                line >= 0 ? earlier->lbTypes[static_cast<std::size_t>(line)] : TypeTotal{};
            const bool now = findType(m_context.statistics(), t.key) >= 0;
            if (line < 0)
                texts[1] += QStringLiteral(" (new)");
            else if (!now)
                texts[1] += QStringLiteral(" (gone)");
            texts << toQt(formatChange(double(t.bytes - then.bytes), locale))
                  << toQt(formatChange(double(t.files - then.files), locale));
        }
        gridTypes->setRowTexts(row, texts);
    }
    gridTypes->setRowTexts(rows + 1, {});
    // The pie's turning is the window's to keep across a refill.
    showTypesView();
}

void TypesPage::rgTypesClick()
{
    showTypesView();
    // A pie chosen turns; the listing stands still.
    if (rgTypesIndex() == 0)
        m_context.Timer1.stop();
    else
        m_context.Timer1.start();
}

void TypesPage::showTypesView()
{
    const int item = rgTypesIndex();
    btSort->setVisible(item == 0);

    int column = kSizeColumn;
    switch (item) {
    case 1:
        SortbyExtensionClick(SortbySize);
        column = kSizeColumn;
        break;
    case 2:
        SortbyExtensionClick(SortbyNumFiles);
        column = kFilesColumn;
        break;
    case 3:
        SortbyExtensionClick(SortbyAverageFileSize1);
        column = kAverageColumn;
        break;
    default:
        break;
    }
    const QString unit = column == kFilesColumn ? QStringLiteral("files") : QStringLiteral("bytes");
    Series2->setUnit(unit);
    SeriesThen->setUnit(unit);

    gridTypes->setVisible(item == 0);
    chartPie->setVisible(gridTypes->isHidden());
    const Statistics *earlier = m_context.earlierStatistics();
    const bool paired = earlier != nullptr && gridTypes->isHidden();
    chartPieThen->setVisible(paired);
    chartPie->resize(paired ? 400 : 616, 300);
    ScrollBar2->move(chartPie->width() - 121 - 3, 300 - 16 - 3);
    if (!gridTypes->isHidden()) {
        doTotals();
        return;
    }

    m_context.aColors.initAColors(true, QColor());
    Series2->clear();
    m_sliceKeys.clear();
    const LocaleSeparators &locale = m_context.services.locale;
    const int last = std::min(kMaxSlices, dataRows());
    for (int row = 1; row <= last; ++row) {
        const double value =
            strToFloatZero(stripCommas(gridTypes->cell(column, row)).toStdString(), locale);
        if (value > 0) {
            Series2->addPoint(value, gridTypes->cell(1, row), m_context.aColors[row]);
            const auto key = m_keysByText.find(gridTypes->cell(0, row));
            m_sliceKeys.push_back(key == m_keysByText.end() ? std::string() : key->second);
        }
    }
    // The same types then, in the same colours paler.
    SeriesThen->clear();
    if (!paired)
        return;
    for (int row = 1; row <= last; ++row) {
        const auto key = m_keysByText.find(gridTypes->cell(0, row));
        const int line = key == m_keysByText.end() ? -1 : findType(*earlier, key->second);
        if (line < 0)
            continue;
        const TypeTotal &then = earlier->lbTypes[static_cast<std::size_t>(line)];
        const double value = column == kSizeColumn    ? double(then.bytes)
                             : column == kFilesColumn ? double(then.files)
                             : then.files > 0         ? double(then.bytes) / double(then.files)
                                                      : 0;
        if (value > 0)
            SeriesThen->addPoint(value, gridTypes->cell(1, row), paler(m_context.aColors[row]));
    }
}

void TypesPage::SortbyExtensionClick(QAction *sender)
{
    const int rows = dataRows();
    if (rows < 2)
        return;
    int column = -1;
    if (sender == SortbyExtension)
        column = 0;
    else if (sender == SortbyType)
        column = 1;
    else if (sender == SortbySize)
        column = kSizeColumn;
    else if (sender == SortbyNumFiles)
        column = kFilesColumn;
    else if (sender == SortbyAverageFileSize1)
        column = kAverageColumn;
    if (column < 0)
        return;

    for (QAction *action : PopupMenu1->actions())
        action->setChecked(false);
    {
        const HourglassCursor hourglass;
        if (column <= 1)
            sortGridText(*gridTypes, 1, rows, false, column);
        else
            sortGridNumeric(*gridTypes, 1, rows, true, column, m_context.services.locale);
    }
    sender->setChecked(true);
}

void TypesPage::doTotals()
{
    const int rows = dataRows();
    const LocaleSeparators &locale = m_context.services.locale;
    const bool compared = gridTypes->colCount() > kFilesChangeColumn;
    double bytes = 0;
    double files = 0;
    double bytesChange = 0;
    double filesChange = 0;
    // A change keeps its sign: a minus counts against the others.
    const auto change = [this, &locale](int column, int row) {
        const QString text = gridTypes->cell(column, row);
        const double size = strToFloatZero(digitsOnly(text.toStdString()), locale);
        return text.startsWith(u'-') ? -size : size;
    };
    for (int row = 1; row <= rows; ++row) {
        bytes +=
            strToFloatZero(digitsOnly(gridTypes->cell(kSizeColumn, row).toStdString()), locale);
        files +=
            strToFloatZero(digitsOnly(gridTypes->cell(kFilesColumn, row).toStdString()), locale);
        if (compared) {
            bytesChange += change(kSizeChangeColumn, row);
            filesChange += change(kFilesChangeColumn, row);
        }
    }
    QStringList totals{QString(), QStringLiteral("Totals"), toQt(formatWhole(bytes, locale)),
                       toQt(formatWhole(files, locale)), QString()};
    if (compared)
        totals << toQt(formatChange(bytesChange, locale)) << toQt(formatChange(filesChange, locale));
    gridTypes->setRowTexts(rows + 1, totals);
}

Qt::Alignment TypesPage::gridTypesGetAlignment(int column)
{
    return Qt::AlignVCenter | (column > 1 ? Qt::AlignRight : Qt::AlignLeft);
}

QString TypesPage::stripCommas(const QString &text) const
{
    return toQt(vorin::stripCommas(text.toStdString(), m_context.services.locale));
}

void TypesPage::ScrollBar2Change()
{
    Series2->setRotation(ScrollBar2->value());
}

void TypesPage::chartSpacePieClick()
{
    if (m_context.Timer1.isActive())
        m_context.Timer1.stop();
    else
        m_context.Timer1.start();
}

void TypesPage::turnPie()
{
    if (rgTypesIndex() == 0)
        return;
    Series2->rotate(1);
    ScrollBar2->setValue(Series2->rotation());
}

} // namespace vorin
