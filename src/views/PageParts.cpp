#include "views/PageParts.h"

#include "chart/Chart.h"
#include "support/Utility.h"
#include "views/TableExport.h"
#include "widgets/PainterGuard.h"
#include "widgets/StringGrid.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

namespace vorin {

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Window);
}

chart::Chart *makeChart(QWidget *page, const QString &name, const QRect &geometry,
                        const LocaleSeparators &locale)
{
    auto *c = new chart::Chart(page);
    c->setObjectName(name);
    c->setGeometry(geometry);
    c->model().setSeparators(locale);
    return c;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, const QRect &place,
                  Qt::Alignment alignment, bool bold)
{
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->setGeometry(place);
    label->setAlignment(alignment | Qt::AlignVCenter);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QRadioButton *makeRadio(QWidget *parent, const QString &name, const QString &caption, int x, int y,
                        int width)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, width, 17);
    return button;
}

std::array<QRadioButton *, 3> makeViewButtons(QWidget *page, const QString &prefix)
{
    auto *strip = new QFrame(page);
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setGeometry(4, 310, 580, 44);
    const char *const captions[] = {"Listing", "Chart by Size (in MB)", "Chart by Number of Files"};
    std::array<QRadioButton *, 3> buttons{};
    for (int i = 0; i < 3; ++i)
        buttons.at(static_cast<std::size_t>(i)) =
            makeRadio(strip, prefix + QString::number(i), QString::fromLatin1(captions[i]),
                      10 + 190 * i, 13, 180);
    buttons[1]->setChecked(true);
    return buttons;
}

QToolButton *makeNoteButton(QWidget *page, const QString &name, const QString &hint)
{
    auto *button = new QToolButton(page);
    button->setObjectName(name);
    button->setIcon(page->style()->standardIcon(QStyle::SP_MessageBoxInformation));
    button->setAccessibleName(QStringLiteral("Note"));
    button->setToolTip(hint);
    button->setGeometry(593, 337, 25, 22);
    return button;
}

void chainTabOrder(std::initializer_list<QWidget *> widgets)
{
    // Qt orders no widget that takes no focus; the chain goes on past it.
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void reachScrollBarByKeyboard(QScrollBar &bar, const QString &name)
{
    // Tab only: a click on the bar leaves the focus where the user had it.
    bar.setFocusPolicy(Qt::TabFocus);
    bar.setAccessibleName(name);
}

namespace {

class SpacePress final : public QObject
{
public:
    SpacePress(QWidget &widget, std::function<void()> press)
        : QObject(&widget), m_press(std::move(press))
    {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Space ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // A held key would start and stop the pies twenty times a second.
        if (!key->isAutoRepeat())
            m_press();
        return true;
    }

private:
    std::function<void()> m_press;
};

} // namespace

void pressWithSpace(QWidget &widget, std::function<void()> press)
{
    new SpacePress(widget, std::move(press));
}

StringGrid *makeListingGrid(QWidget *page, const QString &name, int columns, int rows,
                            const QList<int> &widths)
{
    auto *grid = new StringGrid(page);
    grid->setObjectName(name);
    grid->setColCount(columns);
    grid->setRowCount(rows);
    grid->setFixedRows(1);
    grid->setColWidths(widths);
    grid->setRowHeight(19);
    grid->setGridLines(DrawGrid::HorizontalLines);
    grid->setCellColor(buttonFace());
    grid->setFixedColor(buttonFace());
    grid->setGeometry(4, 4, 616, 300);
    grid->setDrawCellHandler(
        [grid](QPainter &painter, const QRect &rect, int column, int row, const GridCellState &) {
            gridSizesDrawCell(*grid, painter, rect, column, row);
        });
    grid->setSelectCellHandler(&gridSizesSelectCell);
    grid->setRowSelect(true);
    grid->hide();
    return grid;
}

TableExport *offerGridExport(StringGrid *grid, const QString &title,
                             const QList<int> &numberColumns, const LocaleSeparators &locale)
{
    auto *table = new TableExport(
        grid, title, [grid, numberColumns] { return gridTable(*grid, numberColumns); }, locale);
    grid->setContextMenu(table->menu());
    if (grid->accessibleName().isEmpty())
        grid->setAccessibleName(title);
    return table;
}

void fitListingGrid(StringGrid &grid, const QList<int> &widths)
{
    constexpr int kCellMargins = 2 * 3 + 2; // the 3-pixel insets and a pixel of air each side
    constexpr int kSmallestLetters = 9;
    const int available = grid.width() - 2 * grid.frameWidth();
    QFont font = grid.font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    QList<int> fitted;
    for (;;) {
        const QFontMetrics metrics(font);
        fitted.clear();
        int total = 0;
        for (int column = 0; column < grid.colCount(); ++column) {
            int need = column < widths.size() ? widths[column] : grid.defaultColWidth();
            for (int row = 0; row < grid.rowCount(); ++row)
                need = std::max(need,
                                metrics.horizontalAdvance(grid.cell(column, row)) + kCellMargins);
            fitted << need;
            total += need;
        }
        if (total <= available || font.pixelSize() <= kSmallestLetters)
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    grid.setFont(font);
    grid.setColWidths(fitted);
}

void gridSizesDrawCell(const StringGrid &grid, QPainter &painter, const QRect &rect, int column,
                       int row)
{
    const QString text = grid.cell(column, row);
    if (text.isEmpty())
        return;
    const PainterGuard guard(painter);
    painter.setClipRect(rect, Qt::IntersectClip);
    const QRect inner = rect.adjusted(3, 2, -3, 0);
    const Qt::Alignment horizontal = column == 0 ? Qt::AlignLeft : Qt::AlignRight;
    painter.drawText(inner, static_cast<int>(horizontal | Qt::AlignTop) | Qt::TextSingleLine, text);
}

bool gridSizesSelectCell(int, int row)
{
    return row >= 1;
}

chart::ChartSeries &setUpShareBars(chart::Chart &c, const QString &seriesTitle)
{
    chart::ChartModel &model = c.model();
    model.edit([](chart::ChartSettings &s) {
        s.legend.visible = true;
        s.legend.content = chart::LegendContent::Values;
        s.legend.reversed = true;
        s.legend.position = chart::LegendPosition::Right;
        s.legend.swatchWidthPercent = 0;
        s.legend.swatchWidthPixels = 15;
        s.bottomAxis.format = QStringLiteral("#,##0.##");
        s.userZoomAllowed = true;
    });
    chart::ChartSeries &series = model.addSeries(chart::SeriesKind::HorizontalBar, seriesTitle);
    series.setGradient(true);
    series.setMarkStyle(chart::MarkStyle::Percent);
    series.setPercentFormat(QStringLiteral("##0.# %"));
    series.setValueFormat(QStringLiteral("#,##0.##"));
    return series;
}

QColor paler(const QColor &colour)
{
    return {(colour.red() + 255) / 2, (colour.green() + 255) / 2, (colour.blue() + 255) / 2};
}

chart::ChartSeries *earlierSeries(chart::ChartModel &model, const QString &title, bool compared,
                                  const std::function<chart::ChartSeries &()> &make)
{
    chart::ChartSeries *series = nullptr;
    for (int i = 0; i < model.seriesCount(); ++i)
        if (model.series(i).title() == title)
            series = &model.series(i);
    if (!compared) {
        if (series)
            series->setActive(false);
        return nullptr;
    }
    if (!series)
        series = &make();
    series->setActive(true);
    return series;
}

void showEarlierBars(chart::Chart &chart, chart::ChartSeries &now, const std::vector<double> &values)
{
    chart::ChartModel &model = chart.model();
    const bool compared = !values.empty();
    // Each of the two takes a little under half of the row, now below then.
    now.setBarWidthPercent(compared ? 40 : 70);
    now.setBarOffsetPercent(compared ? -55 : 0);
    chart::ChartSeries *then =
        earlierSeries(model, QStringLiteral("Then"), compared, [&model]() -> chart::ChartSeries & {
            chart::ChartSeries &series =
                model.addSeries(chart::SeriesKind::HorizontalBar, QStringLiteral("Then"));
            series.setGradient(true);
            series.setMarkStyle(chart::MarkStyle::None);
            series.setBarWidthPercent(40);
            series.setBarOffsetPercent(55);
            return series;
        });
    if (!then)
        return;
    then->setUnit(now.unit());
    then->clear();
    for (std::size_t i = 0; i < values.size(); ++i) {
        then->addPoint(values[i], i < now.points().size() ? now.points()[i].label : QString(),
                       paler(now.pointColor(i)));
    }
}

chart::ChartSeries &setUpRowBars(chart::Chart &c, std::size_t rows, const QColor &colour,
                                 const QString &valueFormat)
{
    chart::ChartModel &model = c.model();
    model.edit([rows](chart::ChartSettings &s) {
        s.titleVisible = false;
        s.legend.visible = false;
        s.leftAxis.visible = false;
        s.bottomAxis.visible = false;
        s.frameVisible = false;
        s.view.depthPercent = 25;
        // Room at the right for the mark of a bar that runs the whole width.
        s.margins = chart::Margins{1, 2, 8, 2};
        s.background = buttonFace();
        s.pointsPerPage = static_cast<int>(rows);
        s.userZoomAllowed = false;
    });
    chart::ChartSeries &series = model.addSeries(chart::SeriesKind::HorizontalBar);
    series.setColor(colour);
    series.setMarkStyle(chart::MarkStyle::Value);
    series.setValueFormat(valueFormat);
    return series;
}

QString rowBarText(const chart::ChartSeries &series, std::size_t row, std::size_t rows,
                   const LocaleSeparators &locale)
{
    const std::vector<chart::ChartPoint> &bars = series.points();
    if (bars.size() != rows || row >= rows)
        return QString();
    return chart::formatValue(bars[rows - 1 - row].value, series.valueFormat(), locale);
}

void writeChangeColumns(StringGrid &grid, const QList<int> &widths, const std::vector<RowFigures> &now,
                        const std::vector<RowFigures> *before, const LocaleSeparators &locale)
{
    std::vector<ChangeColumn> changes;
    if (before) {
        ChangeColumn bytes{QStringLiteral("Size change"), {}, {}};
        ChangeColumn files{QStringLiteral("Files change"), {}, {}};
        for (std::size_t i = 0; i < now.size(); ++i) {
            const RowFigures then = i < before->size() ? (*before)[i] : RowFigures{};
            bytes.now.push_back(now[i].bytes);
            bytes.before.push_back(then.bytes);
            files.now.push_back(now[i].files);
            files.before.push_back(then.files);
        }
        changes = {std::move(bytes), std::move(files)};
    }
    writeChangeColumns(grid, widths, changes, locale);
}

void writeChangeColumns(StringGrid &grid, const QList<int> &widths,
                        const std::vector<ChangeColumn> &changes, const LocaleSeparators &locale)
{
    const int figures = static_cast<int>(widths.size());
    grid.setColCount(figures + static_cast<int>(changes.size()));
    QList<int> wider = widths;
    for (std::size_t c = 0; c < changes.size(); ++c) {
        const ChangeColumn &change = changes[c];
        const int column = figures + static_cast<int>(c);
        grid.setCell(column, 0, change.heading);
        for (std::size_t i = 0; i < change.now.size(); ++i) {
            const double then = i < change.before.size() ? change.before[i] : 0;
            grid.setCell(column, static_cast<int>(i) + 1,
                         toQt(formatChange(change.now[i] - then, locale)));
        }
        wider << (c % 2 == 0 ? 110 : 90);
    }
    fitListingGrid(grid, wider);
}

} // namespace vorin
