#include "views/AttributePage.h"

#include "chart/Chart.h"
#include "engine/Statistics.h"
#include "support/Utility.h"
#include "views/FigureLinks.h"
#include "views/PageParts.h"
#include "views/TableExport.h"
#include "widgets/WindowSupport.h"

#include <array>
#include <QLabel>

namespace vorin {

namespace {

// The table's rows, top to bottom, and where its columns stand. Each share
// chart is placed so that its four bars, hidden at the top, stand level
// with the rows.
constexpr int kFirstRowTop = 46;
constexpr int kRowPitch = 24;
constexpr int kRowHeight = 20;
constexpr int kChartTop = 36;
constexpr QSize kChartSize(158, 110);
constexpr int kNameX = 8, kNameWidth = 82;
constexpr int kFilesChartX = 92;
constexpr int kCountX = 254, kCountWidth = 80;
constexpr int kSizeChartX = 340;
constexpr int kSizeX = 502, kSizeWidth = 118;
const QString kShareFormat = QStringLiteral("#,##0.## %");

// The rows, top to bottom: each attribute's caption, its two labels and the
// figures they show.
struct AttributeRow
{
    const char *caption;
    const char *countName;
    const char *sizeName;
    QLabel *AttributePage::*count;
    QLabel *AttributePage::*size;
    std::int64_t Statistics::*files;
    double Statistics::*bytes;
    int figure; // the attribute's figure (0 read-only, 1 hidden, 2 system, 3 archive)
};

constexpr AttributeRow kAttributeRows[] = {
    {"Hidden", "lblNHidden", "lblSzHidden", &AttributePage::lblNHidden, &AttributePage::lblSzHidden,
     &Statistics::hiddenCount, &Statistics::hiddenBytes, 1},
    {"Read-only", "lblNReadOnly", "lblSzReadOnly", &AttributePage::lblNReadOnly,
     &AttributePage::lblSzReadOnly, &Statistics::readOnlyCount, &Statistics::readOnlyBytes, 0},
    {"System", "lblNSystem", "lblSzSystem", &AttributePage::lblNSystem, &AttributePage::lblSzSystem,
     &Statistics::systemCount, &Statistics::systemBytes, 2},
    {"Archive", "lblNArchive", "lblSzArchive", &AttributePage::lblNArchive,
     &AttributePage::lblSzArchive, &Statistics::archiveCount, &Statistics::archiveBytes, 3},
};

constexpr std::size_t kRows = std::size(kAttributeRows);

// A row's caption names its count for a screen reader, which also hears what
// each of the row's two figures counts: both stand far from their headings.
void describeRow(QLabel &caption, QLabel &count, QLabel &size, bool change)
{
    caption.setBuddy(&count);
    const QString files = caption.text().toLower() + QStringLiteral(" files");
    count.setAccessibleDescription(
        (change ? QStringLiteral("Change in the number of ") : QStringLiteral("Number of ")) +
        files);
    size.setAccessibleDescription(
        (change ? QStringLiteral("Change in the size of ") : QStringLiteral("Size of ")) + files);
}

FigureChoices rowFigure(std::size_t row)
{
    if (row >= kRows)
        return {};
    const AttributeRow &attribute = kAttributeRows[row];
    return {
        {QString::fromLatin1(attribute.caption), {FigureKind::Attribute, attribute.figure, {}}}};
}

// Four bars, archive at the bottom and hidden at the top, each the share of
// the four attributes' sum; none when that sum is 0.
void fillShares(chart::ChartSeries &series, const std::array<double, kRows> &hiddenToArchive)
{
    series.clear();
    double sum = 0;
    for (const double x : hiddenToArchive)
        sum += x;
    if (sum <= 0)
        return;
    for (auto it = hiddenToArchive.rbegin(); it != hiddenToArchive.rend(); ++it)
        series.addPoint(100.0 * *it / sum, QString(), series.color());
}

} // namespace

AttributePage::AttributePage(QWidget *page, PageContext &context)
    : QObject(page), m_context(context)
{
    const int headingTop = 10;
    const int headingHeight = 20;
    makeLabel(page, QStringLiteral("lblHeadFiles"), QStringLiteral("% of total # files"),
              QRect(kFilesChartX, headingTop, kChartSize.width(), headingHeight), Qt::AlignHCenter,
              true);
    makeLabel(page, QStringLiteral("lblHeadCount"), QStringLiteral("# Files"),
              QRect(kCountX, headingTop, kCountWidth, headingHeight), Qt::AlignRight, true);
    makeLabel(page, QStringLiteral("lblHeadSizes"), QStringLiteral("% of total size"),
              QRect(kSizeChartX, headingTop, kChartSize.width(), headingHeight), Qt::AlignHCenter,
              true);
    makeLabel(page, QStringLiteral("lblHeadBytes"), QStringLiteral("File Sizes"),
              QRect(kSizeX, headingTop, kSizeWidth, headingHeight), Qt::AlignRight, true);

    int top = kFirstRowTop;
    for (const AttributeRow &row : kAttributeRows) {
        QLabel *caption =
            makeLabel(page, QStringLiteral("lbl") + QString::fromLatin1(row.caption).remove('-'),
                      QString::fromLatin1(row.caption), QRect(kNameX, top, kNameWidth, kRowHeight),
                      Qt::AlignLeft, true);
        this->*row.count =
            makeLabel(page, QString::fromLatin1(row.countName), QString(),
                      QRect(kCountX, top, kCountWidth, kRowHeight), Qt::AlignRight, false);
        this->*row.size =
            makeLabel(page, QString::fromLatin1(row.sizeName), QString(),
                      QRect(kSizeX, top, kSizeWidth, kRowHeight), Qt::AlignRight, false);
        describeRow(*caption, *(this->*row.count), *(this->*row.size), false);
        top += kRowPitch;
    }

    const LocaleSeparators &locale = context.services.locale;
    Chart2 = makeChart(page, QStringLiteral("Chart2"),
                       QRect(QPoint(kFilesChartX, kChartTop), kChartSize), locale);
    HorizBarSeries4 = &setUpRowBars(*Chart2, kRows, QColor(255, 0, 0), kShareFormat);
    HorizBarSeries4->setUnit(QStringLiteral("%"));
    Chart3 = makeChart(page, QStringLiteral("Chart3"),
                       QRect(QPoint(kSizeChartX, kChartTop), kChartSize), locale);
    HorizBarSeries5 = &setUpRowBars(*Chart3, kRows, QColor(0, 0, 255), kShareFormat);
    HorizBarSeries5->setUnit(QStringLiteral("%"));

    auto *note = makeLabel(page, QStringLiteral("lblNote"),
                           QStringLiteral("Note it is possible that some files may have more than "
                                          "one attribute set.  For example many system files are "
                                          "also hidden."),
                           QRect(kNameX, kChartTop + kChartSize.height() + 16, 600, 36),
                           Qt::AlignLeft, false);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const int changesTop = kChartTop + kChartSize.height() + 60;
    pnlChanges = new QWidget(page);
    pnlChanges->setObjectName(QStringLiteral("pnlChanges"));
    pnlChanges->setGeometry(0, changesTop, 632, headingHeight + kRowPitch * int(kRows));
    makeLabel(pnlChanges, QString(), QStringLiteral("Change since then"),
              QRect(kNameX, 0, 200, headingHeight), Qt::AlignLeft, true);
    makeLabel(pnlChanges, QString(), QStringLiteral("# Files"),
              QRect(kCountX, 0, kCountWidth, headingHeight), Qt::AlignRight, true);
    makeLabel(pnlChanges, QString(), QStringLiteral("File Sizes"),
              QRect(kSizeX, 0, kSizeWidth, headingHeight), Qt::AlignRight, true);
    for (std::size_t row = 0; row < kRows; ++row) {
        const int y = headingHeight + 4 + kRowPitch * int(row);
        QLabel *caption =
            makeLabel(pnlChanges, QString(), QString::fromLatin1(kAttributeRows[row].caption),
                      QRect(kNameX, y, kNameWidth, kRowHeight), Qt::AlignLeft, true);
        lblChangeFiles[row] =
            makeLabel(pnlChanges, QStringLiteral("lblChangeFiles%1").arg(row), QString(),
                      QRect(kCountX, y, kCountWidth, kRowHeight), Qt::AlignRight, false);
        lblChangeSize[row] =
            makeLabel(pnlChanges, QStringLiteral("lblChangeSize%1").arg(row), QString(),
                      QRect(kSizeX, y, kSizeWidth, kRowHeight), Qt::AlignRight, false);
        describeRow(*caption, *lblChangeFiles[row], *lblChangeSize[row], true);
    }
    pnlChanges->hide();

    attributeTable = new TableExport(
        page, QStringLiteral("Attributes"), [this] { return figureTable(); }, locale);
    attributeTable->offerOnPage();

    // A row of the table, or a bar level with it, leads to its files.
    linkRowsToFiles(
        *page, *attributeTable->menu(),
        [](const QPoint &position) {
            const int offset = position.y() - kFirstRowTop;
            if (offset < 0 || offset % kRowPitch >= kRowHeight)
                return FigureChoices{};
            return rowFigure(static_cast<std::size_t>(offset / kRowPitch));
        },
        [] {
            FigureChoices all;
            for (std::size_t row = 0; row < kRows; ++row)
                all.push_back(rowFigure(row).front());
            return all;
        },
        context.showFiles);
    for (chart::Chart *c : {Chart2, Chart3})
        // Archive is the first bar, at the bottom.
        linkChartToFiles(
            *c,
            [](int, int point) {
                return point >= 0 && point < static_cast<int>(kRows)
                           ? rowFigure(kRows - 1 - static_cast<std::size_t>(point))
                           : FigureChoices{};
            },
            context.showFiles);
}

TextTable AttributePage::figureTable() const
{
    TextTable table;
    table.headings = {QStringLiteral("Attribute"), QStringLiteral("% of total # files"),
                      QStringLiteral("# Files"), QStringLiteral("% of total size"),
                      QStringLiteral("File Sizes")};
    table.numberColumns = {2, 4};
    const LocaleSeparators &locale = m_context.services.locale;
    const auto share = [&locale](const chart::ChartSeries &series, std::size_t row) {
        return rowBarText(series, row, kRows, locale);
    };
    for (std::size_t row = 0; row < kRows; ++row) {
        const AttributeRow &attribute = kAttributeRows[row];
        table.rows << QStringList{QString::fromLatin1(attribute.caption),
                                  share(*HorizBarSeries4, row), (this->*attribute.count)->text(),
                                  share(*HorizBarSeries5, row), (this->*attribute.size)->text()};
    }
    return table;
}

void AttributePage::doFileAttrs()
{
    const Statistics &s = m_context.statistics();
    const LocaleSeparators &locale = m_context.services.locale;
    std::array<double, kRows> files{};
    std::array<double, kRows> bytes{};
    for (std::size_t row = 0; row < kRows; ++row) {
        const AttributeRow &attribute = kAttributeRows[row];
        (this->*attribute.count)->setText(toQt(formatInt(s.*attribute.files, locale)));
        (this->*attribute.size)->setText(toQt(formatWhole(s.*attribute.bytes, locale)));
        files[row] = static_cast<double>(s.*attribute.files);
        bytes[row] = s.*attribute.bytes;
    }
    const Statistics *earlier = m_context.earlierStatistics();
    pnlChanges->setVisible(earlier != nullptr);
    if (earlier)
        for (std::size_t row = 0; row < kRows; ++row) {
            const AttributeRow &attribute = kAttributeRows[row];
            lblChangeFiles[row]->setText(toQt(formatChange(
                static_cast<double>(s.*attribute.files - earlier->*attribute.files), locale)));
            lblChangeSize[row]->setText(
                toQt(formatChange(s.*attribute.bytes - earlier->*attribute.bytes, locale)));
        }
    // A file with several attributes is in several sums, so the shares are
    // of the four together and always add up to 100 %.
    fillShares(*HorizBarSeries4, files);
    fillShares(*HorizBarSeries5, bytes);
}

} // namespace vorin
