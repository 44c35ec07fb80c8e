#include "widgets/DrawGrid.h"

#include "MenuKeys.h"

#include <map>
#include <memory>
#include <QSignalSpy>
#include <QTest>

using vorin::DrawGrid;
using vorin::GridCellState;

class TestDrawGrid : public QObject
{
    Q_OBJECT

private:
    // The size bands table: three columns, a heading row and twelve bands.
    static std::unique_ptr<DrawGrid> makeGrid()
    {
        auto grid = std::make_unique<DrawGrid>();
        grid->setObjectName(QStringLiteral("gridSizes"));
        grid->setColCount(3);
        grid->setRowCount(13);
        grid->setFixedRows(1);
        grid->setColWidths({194, 189, 140});
        grid->setRowHeight(19);
        grid->setGridLines(DrawGrid::HorizontalLines);
        grid->resize(540, 13 * 19 + 10);
        grid->show();
        return grid;
    }

    static void clickCell(DrawGrid &grid, int column, int row)
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(column, row).center());
    }

private slots:
    void refusedSelectionKeepsTheOldCell()
    {
        auto grid = makeGrid();
        grid->setSelection(1, 2);
        int asked = 0;
        grid->setSelectCellHandler([&asked](int, int) {
            ++asked;
            return false;
        });
        QSignalSpy selected(grid.get(), &DrawGrid::cellSelected);
        clickCell(*grid, 2, 7);
        QCOMPARE(asked, 1);
        QCOMPARE(grid->col(), 1);
        QCOMPARE(grid->row(), 2);
        QCOMPARE(selected.count(), 0);
        grid->setFocus();
        QTest::keyClick(grid.get(), Qt::Key_Down);
        QCOMPARE(grid->row(), 2);
    }

    void handlerDecidesCellByCell()
    {
        auto grid = makeGrid();
        grid->setSelection(0, 1);
        grid->setSelectCellHandler([](int column, int) { return column != 2; });
        QSignalSpy selected(grid.get(), &DrawGrid::cellSelected);
        clickCell(*grid, 2, 5);
        QCOMPARE(QPoint(grid->col(), grid->row()), QPoint(0, 1));
        clickCell(*grid, 1, 5);
        QCOMPARE(QPoint(grid->col(), grid->row()), QPoint(1, 5));
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toInt(), 1);
        QCOMPARE(selected.at(0).at(1).toInt(), 5);
    }

    void headingCellsAreNeverSelected()
    {
        auto grid = makeGrid();
        grid->setSelection(0, 3);
        clickCell(*grid, 1, 0);
        QCOMPARE(grid->row(), 3);
    }

    void handlerDrawsEveryCellInItsRectangle()
    {
        auto grid = makeGrid();
        std::map<std::pair<int, int>, QRect> drawn;
        std::map<std::pair<int, int>, GridCellState> states;
        grid->setDrawCellHandler(
            [&](QPainter &, const QRect &rect, int column, int row, const GridCellState &state) {
                drawn[{column, row}] = rect;
                states[{column, row}] = state;
            });
        grid->setSelection(20, 20); // off the table: nothing highlighted
        grid->viewport()->grab();
        QCOMPARE(static_cast<int>(drawn.size()), 3 * 13);
        for (const auto &[cell, rect] : drawn) {
            QCOMPARE(rect, grid->cellRect(cell.first, cell.second));
            QCOMPARE(states[cell].fixed, cell.second == 0);
            QVERIFY(!states[cell].selected);
        }
        const QRect lastCell = drawn[{2, 12}];
        QCOMPARE(lastCell, QRect(194 + 189, 12 * 19, 140, 19));
    }

    void rowSelectHighlightsTheWholeRow()
    {
        auto grid = makeGrid();
        grid->setRowSelect(true);
        grid->setSelection(0, 4);
        std::map<std::pair<int, int>, bool> selected;
        grid->setDrawCellHandler(
            [&](QPainter &, const QRect &, int column, int row, const GridCellState &state) {
                selected[{column, row}] = state.selected;
            });
        grid->viewport()->grab();
        int count = 0;
        for (const auto &[cell, on] : selected) {
            QCOMPARE(on, cell.second == 4);
            count += on ? 1 : 0;
        }
        QCOMPARE(count, 3);
    }

    void rightClickReportsTheCell()
    {
        auto grid = makeGrid();
        QSignalSpy spy(grid.get(), &DrawGrid::contextMenuRequested);
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->cellRect(1, 6).center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(1).toInt(), 1);
        QCOMPARE(spy.at(0).at(2).toInt(), 6);
    }

    void menuKeysRequestTheMenuAtTheCurrentCell_data() { vorin::testing::addMenuKeyRows(); }
    void menuKeysRequestTheMenuAtTheCurrentCell()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, requests);
        auto grid = makeGrid();
        grid->setSelection(2, 5);
        QSignalSpy spy(grid.get(), &DrawGrid::contextMenuRequested);
        QTest::keyClick(grid.get(), Qt::Key(key), modifiers);
        QCOMPARE(spy.count(), requests);
        if (requests > 0) {
            QCOMPARE(spy.at(0).at(0).toPoint(),
                     grid->viewport()->mapToGlobal(grid->cellRect(2, 5).center()));
            QCOMPARE(spy.at(0).at(2).toInt(), 5);
        }
    }

    // A double click on a band or Enter on the current one asks for it; a
    // heading, and Enter with no current row, ask for nothing.
    void doubleClickAndEnterActivateTheCell()
    {
        auto grid = makeGrid();
        QSignalSpy spy(grid.get(), &DrawGrid::cellActivated);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(2, 4).center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(1, 0).center());
        grid->setSelection(1, 7);
        QTest::keyClick(grid.get(), Qt::Key_Return);
        grid->setSelection(20, 20);
        QTest::keyClick(grid.get(), Qt::Key_Enter);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0), (QList<QVariant>{2, 4}));
        QCOMPARE(spy.at(1), (QList<QVariant>{1, 7}));
    }
};

QTEST_MAIN(TestDrawGrid)
#include "tst_DrawGrid.moc"
