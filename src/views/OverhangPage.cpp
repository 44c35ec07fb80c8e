#include "views/OverhangPage.h"

#include "chart/Chart.h"
#include "engine/Statistics.h"
#include "support/Utility.h"
#include "views/FigureLinks.h"
#include "views/PageParts.h"
#include "views/TableExport.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/Notebook.h"
#include "widgets/WindowSupport.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>

namespace vorin {

namespace {

// The table: five rows 24 pixels apart, and where its columns stand. The
// percent chart is placed so that its five bars, 4K at the top, stand level
// with the rows.
constexpr int kFirstRowTop = 56;
constexpr int kRowPitch = 24;
constexpr int kRowHeight = 20;
constexpr int kFatX = 8, kFatWidth = 120;
constexpr int kFat32X = 130, kFat32Width = 100;
constexpr int kArrowX = 236;
constexpr QSize kArrowFrame(41, 49);
constexpr int kClusterX = 280, kClusterWidth = 64;
constexpr int kChartX = 350;
constexpr int kChartTop = 45;
constexpr QSize kChartSize(150, 137);
constexpr int kWasteX = 505, kWasteWidth = 115;

const char *const kMemo[] = {
    "This page is an illustration of the amount of disk space wasted due to 'cluster overhang.'  "
    "This is the smallest amount of space ",
    "a file will actually use.   The arrow points to your actual cluster size, the other numbers "
    "are hypothetical.",
    "",
    "Due to the design of both Windows 95 and DOS the hard disk is divided into clusters.  Files "
    "are stored in clusters. A file of ",
    "one byte will take an entire cluster and a file that's one byte larger than a cluster will "
    "take two clusters.  The larger the ",
    "partition, the more overhang or waste is involved.",
    "",
    "Solutions are to either repartition your hard disk or use disk compression.  Later versions "
    "of Win95 come with FAT32 which ",
    "uses 4K cluster sizes for drives up to 8GB in size and 8K clusters for up to 16GB."};

const char *const kFatSizes[] = {"255 MB", "256 MB - 511 MB", "512 MB - 1023 MB", "1 GB - 2 GB",
                                 "2 GB - 4 GB"};
const char *const kFat32Sizes[] = {"Less than 8GB", "Less than 16GB", "Less than 32GB",
                                   "32GB or more", ""};
const char *const kClusterCaptions[] = {"4K", "8K", "16K", "32K", "64K"};

} // namespace

QPixmap OverhangPage::arrowPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Shaft and head, the tip at the right, level with a row's middle.
    const QPolygon arrow({QPoint(2, 6), QPoint(17, 6), QPoint(17, 1), QPoint(28, 9), QPoint(17, 17),
                          QPoint(17, 12), QPoint(2, 12)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(128, 128, 128));
    painter.drawPolygon(arrow.translated(2, 2));
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(255, 0, 0));
    painter.drawPolygon(arrow);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(8);
    // Crisp letters in so small a picture, in the one navy.
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 128));
    painter.drawText(QRect(0, 18, 32, 7), Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Actual"));
    painter.drawText(QRect(0, 25, 32, 7), Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Size"));
    painter.end();
    return picture;
}

OverhangPage::OverhangPage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    const LocaleSeparators &locale = context.services.locale;
    chartOverhang = makeChart(page, QStringLiteral("chartOverhang"),
                              QRect(QPoint(kChartX, kChartTop), kChartSize), locale);
    Series9 = &setUpRowBars(*chartOverhang, lblCSize.size(), QColor(255, 0, 0),
                            QStringLiteral("#,##0. %"));
    Series9->setUnit(QStringLiteral("%"));

    QLabel *title = makeLabel(page, QStringLiteral("lblTitle"),
                              QStringLiteral("Cluster overhang for FAT and FAT32 drives"),
                              QRect(8, 4, 612, 22), Qt::AlignHCenter, true);
    QFont titleFont = title->font();
    titleFont.setPixelSize(16);
    title->setFont(titleFont);

    const int headingTop = 28;
    const int headingHeight = 18;
    const struct
    {
        const char *name;
        const char *text;
        int x, width;
        Qt::Alignment alignment;
    } headings[] = {
        {"lblHeadFat", "FAT Partion size", kFatX, kFatWidth, Qt::AlignLeft},
        {"lblHeadFat32", "FAT 32 Size", kFat32X, kFat32Width, Qt::AlignLeft},
        {"lblHeadCluster", "Cluster size", kClusterX - 8, kClusterWidth + 16, Qt::AlignHCenter},
        {"lblHeadPercent", "Percent wasted", kChartX, kChartSize.width(), Qt::AlignHCenter},
        {"lblHeadWaste", "Wasted space", kWasteX, kWasteWidth, Qt::AlignRight},
    };
    for (const auto &h : headings)
        // Above the chart's top margin, which would otherwise paint over them.
        makeLabel(page, QString::fromLatin1(h.name), QString::fromLatin1(h.text),
                  QRect(h.x, headingTop, h.width, headingHeight), h.alignment, true)
            ->raise();

    for (std::size_t i = 0; i < lblCSize.size(); ++i) {
        const int top = kFirstRowTop + kRowPitch * static_cast<int>(i);
        const QString n = QString::number(i + 1);
        makeLabel(page, QStringLiteral("lblFatSize") + n, QString::fromLatin1(kFatSizes[i]),
                  QRect(kFatX, top, kFatWidth, kRowHeight));
        makeLabel(page, QStringLiteral("lblFat32Size") + n, QString::fromLatin1(kFat32Sizes[i]),
                  QRect(kFat32X, top, kFat32Width, kRowHeight));
        lblCSize[i] = makeLabel(
            page, QStringLiteral("lblCSize") + n, QString::fromLatin1(kClusterCaptions[i]),
            QRect(kClusterX, top, kClusterWidth, kRowHeight), Qt::AlignHCenter, true);
        lblOver[i] = makeLabel(page, QStringLiteral("lblOver") + n, QString(),
                               QRect(kWasteX, top, kWasteWidth, kRowHeight), Qt::AlignRight);
        // The cluster size is what a screen reader names the row's waste by.
        lblCSize[i]->setBuddy(lblOver[i]);
    }

    imArrow = new QLabel(page);
    imArrow->setObjectName(QStringLiteral("imArrow"));
    imArrow->setGeometry(QRect(QPoint(kArrowX, kFirstRowTop), kArrowFrame));
    imArrow->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    imArrow->setPixmap(arrowPicture());
    imArrow->hide();

    pnlOverhang = new QFrame(page);
    pnlOverhang->setObjectName(QStringLiteral("pnlOverhang"));
    pnlOverhang->setFrameShape(QFrame::Panel);
    pnlOverhang->setFrameShadow(QFrame::Sunken);
    pnlOverhang->setGeometry(8, 208, 612, 24);
    lblNumFiles =
        makeLabel(pnlOverhang, QStringLiteral("lblNumFiles"), QString(), QRect(6, 2, 220, 20));
    QLabel *totalSizes = makeLabel(pnlOverhang, QStringLiteral("lblTotalSizes"),
                                   QStringLiteral("Total file sizes:"), QRect(230, 2, 100, 20));
    lblSize = makeLabel(pnlOverhang, QStringLiteral("lblSize"), QString(), QRect(330, 2, 90, 20));
    totalSizes->setBuddy(lblSize);
    lblLbl = makeLabel(pnlOverhang, QStringLiteral("lblLbl"), QStringLiteral("Actual space used:"),
                       QRect(424, 2, 184, 20));
    pnlOverhang->hide();

    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    // Small enough that each of the nine lines fits the page's width; wrapped
    // rather than cut where the face is wider.
    Memo1->setFont(dialogFont(10));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette face = Memo1->palette();
    face.setColor(QPalette::Base, buttonFace());
    Memo1->setPalette(face);
    Memo1->setGeometry(8, 238, 614, 120);

    // The changes take the memo's place while a comparison is on: its text
    // explains the page, theirs are the figures.
    pnlOverChanges = new QWidget(page);
    pnlOverChanges->setObjectName(QStringLiteral("pnlOverChanges"));
    pnlOverChanges->setGeometry(8, 238, 614, 120);
    makeLabel(pnlOverChanges, QString(), QStringLiteral("Change since then"),
              QRect(0, 0, 200, 18), Qt::AlignLeft, true);
    makeLabel(pnlOverChanges, QString(), QStringLiteral("Wasted space"),
              QRect(kWasteX - 8, 0, kWasteWidth, 18), Qt::AlignRight, true);
    for (std::size_t i = 0; i < lblOverChange.size(); ++i) {
        const int top = 20 + 19 * static_cast<int>(i);
        QLabel *cluster =
            makeLabel(pnlOverChanges, QString(), QString::fromLatin1(kClusterCaptions[i]),
                      QRect(kClusterX - 8, top, kClusterWidth, 18), Qt::AlignHCenter, true);
        lblOverChange[i] =
            makeLabel(pnlOverChanges, QStringLiteral("lblOverChange%1").arg(i + 1), QString(),
                      QRect(kWasteX - 8, top, kWasteWidth, 18), Qt::AlignRight);
        cluster->setBuddy(lblOverChange[i]);
    }
    pnlOverChanges->hide();
    QStringList lines;
    for (const char *line : kMemo)
        lines << QString::fromLatin1(line);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));

    pnlCluster = new QLabel(
        QStringLiteral("Cluster overhang analysis is not applicable to this drive."), page);
    pnlCluster->setObjectName(QStringLiteral("pnlCluster"));
    pnlCluster->setFrameShape(QFrame::Panel);
    pnlCluster->setFrameShadow(QFrame::Raised);
    pnlCluster->setAlignment(Qt::AlignCenter);
    pnlCluster->setWordWrap(true);
    pnlCluster->setAutoFillBackground(true);
    QFont coverFont = pnlCluster->font();
    coverFont.setPixelSize(18);
    coverFont.setBold(true);
    pnlCluster->setFont(coverFont);
    // As large as the notebook's whole page area, whatever size the page
    // widget has yet: the page clips it to itself.
    pnlCluster->setGeometry(0, 0, 632, 382);
    pnlCluster->hide();

    overhangTable = new TableExport(
        page, QStringLiteral("Cluster overhang"), [this] { return figureTable(); }, locale);
    overhangTable->offerOnPage();

    // The drive's own cluster size is the row whose waste the kept files
    // show: that row, and its bar, lead to them.
    const auto arrowRowFigure = [this](std::optional<std::size_t> row) {
        if (!row || row != m_arrowRow)
            return FigureChoices{};
        return FigureChoices{{lblCSize[*row]->text(), {FigureKind::Overhang, 0, {}}}};
    };
    linkRowsToFiles(
        *page, *overhangTable->menu(),
        [arrowRowFigure](const QPoint &position) {
            const int offset = position.y() - kFirstRowTop;
            if (offset < 0 || offset % kRowPitch >= kRowHeight)
                return FigureChoices{};
            return arrowRowFigure(static_cast<std::size_t>(offset / kRowPitch));
        },
        [this, arrowRowFigure] { return arrowRowFigure(m_arrowRow); }, context.showFiles);
    linkChartToFiles(
        *chartOverhang,
        [this, arrowRowFigure](int, int point) {
            // 64K is the first bar, at the bottom.
            const std::size_t rows = lblCSize.size();
            return point >= 0 && static_cast<std::size_t>(point) < rows
                       ? arrowRowFigure(rows - 1 - static_cast<std::size_t>(point))
                       : FigureChoices{};
        },
        context.showFiles);
}

TextTable OverhangPage::figureTable() const
{
    TextTable table;
    table.headings = {QStringLiteral("FAT Partion size"), QStringLiteral("FAT 32 Size"),
                      QStringLiteral("Cluster size"), QStringLiteral("Percent wasted"),
                      QStringLiteral("Wasted space")};
    table.numberColumns = {4};
    for (std::size_t row = 0; row < lblCSize.size(); ++row) {
        const QString percent =
            rowBarText(*Series9, row, lblCSize.size(), m_context.services.locale);
        table.rows << QStringList{QString::fromLatin1(kFatSizes[row]),
                                  QString::fromLatin1(kFat32Sizes[row]), lblCSize[row]->text(),
                                  percent, lblOver[row]->text()};
    }
    return table;
}

void OverhangPage::doOverHang(std::int32_t clusterSize)
{
    const Statistics &s = m_context.statistics();
    double total = 0;
    for (int band = 1; band <= kSizeBands; ++band)
        total += s.sizeBandBytes.at(static_cast<std::size_t>(band));
    if (total <= 0) {
        // The page widget this page was built into is its parent.
        Notebook &book = m_context.notebook;
        book.setPageEnabled(book.indexOf(static_cast<const QWidget *>(parent())), false);
        return;
    }
    const LocaleSeparators &locale = m_context.services.locale;
    const std::array<double, 5> waste{s.overhang4K, s.overhang8K, s.overhang16K, s.overhang32K,
                                      s.overhang64K};
    for (std::size_t i = 0; i < waste.size(); ++i)
        lblOver[i]->setText(toQt(formatWhole(waste[i], locale)));

    drawClusterArrow(clusterSize);
    pnlOverhang->show();

    // Both sizes in the unit of the total, so that they read side by side.
    const bool megabytes = total >= kBytesPerMB;
    const auto inUnit = [&](double bytes) {
        return toQt(formatWhole(megabytes ? bytes / kBytesPerMB : bytes / 1024.0, locale)) +
               (megabytes ? QStringLiteral(" MB") : QStringLiteral(" KB"));
    };
    lblSize->setText(inUnit(total));
    lblNumFiles->setText(QStringLiteral("Number of files scanned: ") +
                         toQt(formatInt(s.filesSelected, locale)));
    if (m_arrowRow)
        lblLbl->setText(QStringLiteral("Actual space used ") +
                        inUnit(total + waste.at(*m_arrowRow)));

    // 64K first, so that it is drawn at the bottom, level with its row.
    Series9->clear();
    for (auto it = waste.rbegin(); it != waste.rend(); ++it)
        Series9->addPoint(100.0 * *it / (total + *it), QString(), Series9->color());

    // Compared with an earlier scan: its shares beside these, paler, and each
    // sum's change in the memo's place.
    std::vector<double> then;
    const Statistics *earlier = m_context.earlierStatistics();
    if (earlier) {
        double totalThen = 0;
        for (int band = 1; band <= kSizeBands; ++band)
            totalThen += earlier->sizeBandBytes.at(static_cast<std::size_t>(band));
        const std::array<double, 5> wasteThen{earlier->overhang4K, earlier->overhang8K,
                                              earlier->overhang16K, earlier->overhang32K,
                                              earlier->overhang64K};
        for (auto it = wasteThen.rbegin(); it != wasteThen.rend(); ++it)
            then.push_back(totalThen + *it > 0 ? 100.0 * *it / (totalThen + *it) : 0);
        for (std::size_t i = 0; i < waste.size(); ++i)
            lblOverChange[i]->setText(toQt(formatChange(waste[i] - wasteThen[i], locale)));
    }
    pnlOverChanges->setVisible(earlier != nullptr);
    Memo1->setVisible(earlier == nullptr);
    showEarlierBars(*chartOverhang, *Series9, then);
}

void OverhangPage::drawClusterArrow(std::int32_t clusterSize)
{
    imArrow->hide();
    m_arrowRow.reset();
    for (std::size_t i = 0; i < kOverhangClusterSizes.size(); ++i) {
        if (kOverhangClusterSizes[i] == clusterSize) {
            m_arrowRow = i;
            imArrow->move(kArrowX, lblCSize[i]->y());
            imArrow->show();
        }
    }
    pnlCluster->setVisible(!m_arrowRow);
    if (!m_arrowRow)
        pnlCluster->raise();
}

} // namespace vorin
