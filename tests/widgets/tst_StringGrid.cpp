#include "widgets/FontSubstitutes.h"
#include "widgets/StringGrid.h"

#include <memory>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <set>

using vorin::StringGrid;

class TestStringGrid : public QObject
{
    Q_OBJECT

private:
    // The file-type table: five columns, a heading row, `types` rows and a
    // totals row.
    static std::unique_ptr<StringGrid> makeTypesGrid(int types)
    {
        auto grid = std::make_unique<StringGrid>();
        grid->setObjectName(QStringLiteral("gridTypes"));
        grid->setColCount(5);
        grid->setRowCount(types + 2);
        grid->setFixedRows(1);
        grid->setFixedBottomRows(1);
        grid->setColWidths({80, 219, 120, 75, 82});
        grid->setRowHeight(19);
        grid->setRowSelect(true);
        grid->setRowTexts(0, {"Extension", "Type", "Size", "# Files", "Avg File Size"});
        for (int r = 1; r <= types; ++r)
            grid->setRowTexts(r, {QStringLiteral(".X%1").arg(r), QStringLiteral("Type %1").arg(r),
                                  QString::number(r * 1000), QString::number(r),
                                  QStringLiteral("1,000")});
        grid->setRowTexts(types + 1, {"", "Totals", "12,345", "67", ""});
        grid->setAlignmentHandler(
            [](int column, int) { return column > 1 ? Qt::AlignRight : Qt::AlignLeft; });
        grid->resize(600, 300);
        grid->show();
        return grid;
    }

private slots:
    void initTestCase() { vorin::installFontSubstitutes(); }

    void alignmentComesFromTheCallbackPerCell_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("right");
        QTest::newRow("extension") << 0 << false;
        QTest::newRow("type") << 1 << false;
        QTest::newRow("size") << 2 << true;
        QTest::newRow("average") << 4 << true;
    }

    void alignmentComesFromTheCallbackPerCell()
    {
        QFETCH(int, column);
        QFETCH(bool, right);
        auto grid = makeTypesGrid(3);
        grid->setSelection(20, 20);
        grid->setCell(column, 2, QStringLiteral("8"));
        QCOMPARE(grid->cellAlignment(column, 2) & Qt::AlignHorizontal_Mask,
                 right ? Qt::AlignRight : Qt::AlignLeft);
        QCOMPARE(grid->cellAlignment(column, 2) & Qt::AlignVertical_Mask, Qt::AlignVCenter);

        // The drawn digit sits against the edge the callback named.
        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->cellRect(column, 2);
        int inkLeft = INT_MAX;
        int inkRight = -1;
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            for (int x = cell.left() + 1; x < cell.right(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
        QVERIFY(inkRight >= 0);
        if (right)
            QVERIFY2(cell.right() - inkRight <= 6 && inkLeft - cell.left() > 20,
                     qPrintable(QStringLiteral("ink %1..%2").arg(inkLeft).arg(inkRight)));
        else
            QVERIFY2(inkLeft - cell.left() <= 6 && cell.right() - inkRight > 20,
                     qPrintable(QStringLiteral("ink %1..%2").arg(inkLeft).arg(inkRight)));
    }

    void growingTheGridKeepsTheTexts()
    {
        auto grid = makeTypesGrid(3);
        grid->setRowCount(10);
        QCOMPARE(grid->cell(1, 2), QStringLiteral("Type 2"));
        QCOMPARE(grid->cell(1, 9), QString());
        grid->setRowCount(2);
        QCOMPARE(grid->rowTexts(1).at(0), QStringLiteral(".X1"));
        QCOMPARE(grid->cell(0, 5), QString());
    }

    void footerStaysAtTheBottomWhileTheBodyScrolls()
    {
        auto grid = makeTypesGrid(40);
        const int footer = grid->rowCount() - 1;
        QCOMPARE(grid->cellRect(0, footer).bottom(), grid->viewport()->height() - 1);
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QCOMPARE(grid->cellRect(0, footer).bottom(), grid->viewport()->height() - 1);
        QCOMPARE(grid->cellRect(0, 0).top(), 0);
        // Scrolled to the end, the last body row shows whole above the footer.
        const QRect last = grid->cellRect(0, footer - 1);
        QVERIFY(!last.isNull());
        QVERIFY(last.bottom() < grid->cellRect(0, footer).top());

        // A short table keeps its totals right under its last row.
        grid->setRowCount(5);
        QCOMPARE(grid->cellRect(0, 4).top(), 4 * 19);
    }

    void pagesRepeatTheHeadings_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("header");
        QTest::addColumn<int>("footer");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("fits one page") << 10 << 1 << 1 << 40 << 1;
        QTest::newRow("exactly full") << 40 << 1 << 0 << 40 << 1;
        QTest::newRow("footer fills the last place") << 40 << 1 << 1 << 40 << 1;
        QTest::newRow("one row over") << 41 << 1 << 0 << 40 << 2;
        QTest::newRow("122 rows of 40") << 122 << 1 << 1 << 40 << 4;
        QTest::newRow("footer pushed to a page of its own") << 41 << 1 << 1 << 40 << 2;
        QTest::newRow("tiny pages still progress") << 5 << 1 << 0 << 1 << 4;
        QTest::newRow("no header") << 9 << 0 << 0 << 3 << 3;
    }

    void pagesRepeatTheHeadings()
    {
        QFETCH(int, rows);
        QFETCH(int, header);
        QFETCH(int, footer);
        QFETCH(int, perPage);
        QFETCH(int, pages);
        const auto layout = vorin::paginateGridRows(rows, header, footer, perPage);
        QCOMPARE(static_cast<int>(layout.size()), pages);
        std::vector<int> order;
        for (const auto &page : layout) {
            QVERIFY(static_cast<int>(page.size()) <= std::max(perPage, header + 1));
            for (int r = 0; r < header; ++r)
                QCOMPARE(page.at(static_cast<size_t>(r)), r);
            QVERIFY(static_cast<int>(page.size()) > header);
            order.insert(order.end(), page.begin() + header, page.end());
        }
        // Every other row exactly once, in order; the footer rows come last.
        QCOMPARE(static_cast<int>(order.size()), rows - header);
        for (size_t i = 0; i < order.size(); ++i)
            QCOMPARE(order[i], header + static_cast<int>(i));
    }

    void printLayoutDoesNotDependOnResolution()
    {
        auto grid = makeTypesGrid(120);
        grid->setPrintTitle(QStringLiteral("File types for drive c: [system]"));
        const QSizeF a4Inches(8.27 - 1.0, 11.69 - 1.0);
        const auto low = grid->printLayout(a4Inches * 300, 300);
        const auto high = grid->printLayout(a4Inches * 1200, 1200);
        QCOMPARE(low.pages, high.pages);
        QCOMPARE(low.scale * 4, high.scale);
        QVERIFY(low.rowsPerPage > 30 && low.rowsPerPage < 60);
    }

    void wholeTablePrintsToSeveralPdfPages()
    {
        auto grid = makeTypesGrid(120);
        grid->setPrintTitle(QStringLiteral("File types for drive c: [system]"));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("types.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
        const auto layout = grid->printLayout(area.size(), printer.resolution());
        QVERIFY(layout.pages.size() >= 2);
        for (const auto &page : layout.pages)
            QCOMPARE(page.front(), 0); // the headings open every page
        QCOMPARE(layout.pages.back().back(), 121);

        QVERIFY(grid->print(printer));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.size() > 10000);
        QVERIFY(pdf.startsWith("%PDF"));
        const int pageObjects = static_cast<int>(pdf.count("/Type /Page\n")) +
                                static_cast<int>(pdf.count("/Type /Page\r")) +
                                static_cast<int>(pdf.count("/Type /Page ")) +
                                static_cast<int>(pdf.count("/Type /Page/")) +
                                static_cast<int>(pdf.count("/Type /Page>"));
        QCOMPARE(pageObjects, static_cast<int>(layout.pages.size()));
    }
};

QTEST_MAIN(TestStringGrid)
#include "tst_StringGrid.moc"
