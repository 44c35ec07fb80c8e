#include "views/AttributePage.h"

#include "chart/Chart.h"
#include "engine/Statistics.h"
#include "support/Utility.h"
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
// Hidden, read-only, system and archive.
constexpr std::size_t kRows = 4;
const QString kShareFormat = QStringLiteral("#,##0.## %");

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

    const struct
    {
        const char *caption;
        const char *countName;
        const char *sizeName;
        QLabel **count;
        QLabel **size;
    } rows[] = {
        {"Hidden", "lblNHidden", "lblSzHidden", &lblNHidden, &lblSzHidden},
        {"Read-only", "lblNReadOnly", "lblSzReadOnly", &lblNReadOnly, &lblSzReadOnly},
        {"System", "lblNSystem", "lblSzSystem", &lblNSystem, &lblSzSystem},
        {"Archive", "lblNArchive", "lblSzArchive", &lblNArchive, &lblSzArchive},
    };
    int top = kFirstRowTop;
    for (const auto &row : rows) {
        makeLabel(page, QStringLiteral("lbl") + QString::fromLatin1(row.caption).remove('-'),
                  QString::fromLatin1(row.caption), QRect(kNameX, top, kNameWidth, kRowHeight),
                  Qt::AlignLeft, true);
        *row.count = makeLabel(page, QString::fromLatin1(row.countName), QString(),
                               QRect(kCountX, top, kCountWidth, kRowHeight), Qt::AlignRight, false);
        *row.size = makeLabel(page, QString::fromLatin1(row.sizeName), QString(),
                              QRect(kSizeX, top, kSizeWidth, kRowHeight), Qt::AlignRight, false);
        top += kRowPitch;
    }

    const LocaleSeparators &locale = context.services.locale;
    Chart2 = makeChart(page, QStringLiteral("Chart2"),
                       QRect(QPoint(kFilesChartX, kChartTop), kChartSize), locale);
    HorizBarSeries4 = &setUpRowBars(*Chart2, kRows, QColor(255, 0, 0), kShareFormat);
    Chart3 = makeChart(page, QStringLiteral("Chart3"),
                       QRect(QPoint(kSizeChartX, kChartTop), kChartSize), locale);
    HorizBarSeries5 = &setUpRowBars(*Chart3, kRows, QColor(0, 0, 255), kShareFormat);

    auto *note = makeLabel(page, QStringLiteral("lblNote"),
                           QStringLiteral("Note it is possible that some files may have more than "
                                          "one attribute set.  For example many system files are "
                                          "also hidden."),
                           QRect(kNameX, kChartTop + kChartSize.height() + 16, 600, 36),
                           Qt::AlignLeft, false);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    attributeTable = new TableExport(
        page, QStringLiteral("Attributes"), [this] { return figureTable(); }, locale);
    attributeTable->offerOnPage();
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
    const struct
    {
        const char *caption;
        const QLabel *count;
        const QLabel *size;
    } rows[] = {{"Hidden", lblNHidden, lblSzHidden},
                {"Read-only", lblNReadOnly, lblSzReadOnly},
                {"System", lblNSystem, lblSzSystem},
                {"Archive", lblNArchive, lblSzArchive}};
    for (std::size_t row = 0; row < std::size(rows); ++row)
        table.rows << QStringList{QString::fromLatin1(rows[row].caption),
                                  share(*HorizBarSeries4, row), rows[row].count->text(),
                                  share(*HorizBarSeries5, row), rows[row].size->text()};
    return table;
}

void AttributePage::doFileAttrs()
{
    const Statistics &s = m_context.statistics();
    const LocaleSeparators &locale = m_context.services.locale;
    const struct
    {
        QLabel *count;
        QLabel *size;
        std::int64_t files;
        double bytes;
    } rows[] = {{lblNHidden, lblSzHidden, s.hiddenCount, s.hiddenBytes},
                {lblNReadOnly, lblSzReadOnly, s.readOnlyCount, s.readOnlyBytes},
                {lblNSystem, lblSzSystem, s.systemCount, s.systemBytes},
                {lblNArchive, lblSzArchive, s.archiveCount, s.archiveBytes}};
    for (const auto &row : rows) {
        row.count->setText(toQt(formatInt(row.files, locale)));
        row.size->setText(toQt(formatWhole(row.bytes, locale)));
    }
    // A file with several attributes is in several sums, so the shares are
    // of the four together and always add up to 100 %.
    fillShares(*HorizBarSeries4, {double(s.hiddenCount), double(s.readOnlyCount),
                                  double(s.systemCount), double(s.archiveCount)});
    fillShares(*HorizBarSeries5, {s.hiddenBytes, s.readOnlyBytes, s.systemBytes, s.archiveBytes});
}

} // namespace vorin
