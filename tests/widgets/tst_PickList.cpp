#include "widgets/FontSubstitutes.h"
#include "widgets/PickList.h"

#include "MenuKeys.h"

#include <memory>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using vorin::PickList;

namespace {

QList<int> parseIndexes(const QString &text)
{
    QList<int> indexes;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        indexes << part.toInt();
    return indexes;
}

} // namespace

class TestPickList : public QObject
{
    Q_OBJECT

private:
    // A shown list of `rows` drive-like entries, 16-pixel rows.
    static std::unique_ptr<PickList> makeList(int rows)
    {
        auto list = std::make_unique<PickList>();
        list->setObjectName(QStringLiteral("pckDrive"));
        list->resize(266, 243);
        QStringList texts;
        for (int i = 0; i < rows; ++i)
            texts << QStringLiteral("%1: [disk %2]").arg(QChar(u'c' + i % 24)).arg(i);
        list->setItems(texts);
        list->show();
        return list;
    }

    static void click(PickList &list, int row, Qt::KeyboardModifiers modifiers = {},
                      Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect rect = list.rowRect(row);
        QVERIFY2(!rect.isNull(), "row is out of view");
        QTest::mouseClick(list.viewport(), button, modifiers, rect.center());
    }

private slots:
    void initTestCase() { vorin::installFontSubstitutes(); }

    void plainClicksToggleRows_data()
    {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("selectedAfter");
        QTest::newRow("one click selects") << "2"
                                           << "2";
        QTest::newRow("second click deselects") << "2,2"
                                                << "";
        QTest::newRow("several rows stay selected") << "0,2,4"
                                                    << "0,2,4";
        QTest::newRow("toggle off in the middle") << "1,3,5,3"
                                                  << "1,5";
        QTest::newRow("last row") << "7"
                                  << "7";
    }

    void plainClicksToggleRows()
    {
        QFETCH(QString, clicks);
        QFETCH(QString, selectedAfter);
        auto list = makeList(8);
        QSignalSpy clickedSpy(list.get(), &PickList::clicked);
        QSignalSpy changedSpy(list.get(), &PickList::selectionChanged);
        const QList<int> sequence = parseIndexes(clicks);
        for (const int row : sequence)
            click(*list, row);
        QCOMPARE(list->selectedIndexes(), parseIndexes(selectedAfter));
        QCOMPARE(list->selCount(), static_cast<int>(parseIndexes(selectedAfter).size()));
        QCOMPARE(clickedSpy.count(), sequence.size());
        QCOMPARE(changedSpy.count(), sequence.size());
        QCOMPARE(clickedSpy.last().at(0).toInt(), sequence.last());
        QCOMPARE(list->itemIndex(), sequence.last());
    }

    void clickBelowTheLastRowChangesNothing()
    {
        auto list = makeList(3);
        QSignalSpy clickedSpy(list.get(), &PickList::clicked);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(40, 3 * 16 + 20));
        QCOMPARE(list->selCount(), 0);
        QCOMPARE(clickedSpy.count(), 0);
    }

    void indexMinusOneSelectsEveryRow()
    {
        auto list = makeList(12);
        list->setSelected(3, true);
        list->setItemIndex(-1);
        QCOMPARE(list->selCount(), 12);
        list->setSelected(-1, false);
        QCOMPARE(list->selCount(), 0);
        list->setSelected(-1, true);
        QCOMPARE(list->selCount(), 12);
    }

    void settingTheIndexSelectsThatRowOnly()
    {
        auto list = makeList(6);
        list->setItemIndex(4);
        QCOMPARE(list->selectedIndexes(), QList<int>{4});
        QCOMPARE(list->itemIndex(), 4);
    }

    void checkBoxIsTickedWhileSelected()
    {
        auto list = makeList(4);
        list->setSelected(1, true);
        const QImage image = list->viewport()->grab().toImage();
        const auto inkInBox = [&image](const QRect &box) {
            int dark = 0;
            for (int y = box.top() + 2; y < box.bottom() - 1; ++y)
                for (int x = box.left() + 2; x < box.right() - 1; ++x)
                    dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
            return dark;
        };
        const int scale = qRound(list->viewport()->devicePixelRatioF());
        QCOMPARE(scale, 1);
        QVERIFY(inkInBox(list->checkBoxRect(1)) >= 6);
        QCOMPARE(inkInBox(list->checkBoxRect(0)), 0);
    }

    void tabsJumpToTabStops_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("stops");
        QTest::addColumn<QList<int>>("expected"); // offsets from the text's left edge
        QTest::newRow("one stop") << "*.doc\tWord document" << QList<int>{96} << QList<int>{0, 96};
        QTest::newRow("single stop repeats")
            << "a\tb\tc" << QList<int>{40} << QList<int>{0, 40, 80};
        QTest::newRow("listed stops") << "a\tb\tc" << QList<int>{50, 120} << QList<int>{0, 50, 120};
        QTest::newRow("a wide piece skips a stop")
            << "WWWWWWWWWWWWWWWW\tx" << QList<int>{10, 400} << QList<int>{0, 400};
        QTest::newRow("no tab") << "c: [system]" << QList<int>{96} << QList<int>{0};
    }

    void tabsJumpToTabStops()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, stops);
        QFETCH(QList<int>, expected);
        auto list = makeList(0);
        list->setTabStops(stops);
        list->addItem(text);
        QList<int> lefts = list->segmentLefts(0);
        for (int &left : lefts)
            left -= list->textLeft();
        QCOMPARE(lefts, expected);
    }

    void withoutStopsTabsFallOnEightAverageCharacters()
    {
        auto list = makeList(0);
        list->addItem(QStringLiteral("a\tb"));
        QCOMPARE(list->segmentLefts(0).at(1) - list->textLeft(), 8 * list->averageCharWidth());
    }

    void descriptionIsDrawnAtItsTabStop()
    {
        auto list = makeList(0);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(13);
        font.setStyleStrategy(QFont::NoAntialias);
        list->setFont(font);
        const int stop = 12 * list->averageCharWidth();
        list->setTabStops({stop});
        list->addItem(QStringLiteral("*.z\tIIII"));
        const QImage image = list->viewport()->grab().toImage();
        const QRect row = list->rowRect(0);
        const int firstPieceEnd =
            list->textLeft() + QFontMetrics(font).horizontalAdvance(QStringLiteral("*.z"));
        int inkLeft = -1;
        for (int x = firstPieceEnd + 2; x < row.right() && inkLeft < 0; ++x) {
            for (int y = row.top(); y <= row.bottom(); ++y) {
                if (qGray(image.pixel(x, y)) < 100) {
                    inkLeft = x;
                    break;
                }
            }
        }
        const int expected = list->textLeft() + stop;
        QVERIFY2(inkLeft >= expected && inkLeft <= expected + 3,
                 qPrintable(QStringLiteral("ink at %1, stop at %2").arg(inkLeft).arg(expected)));
    }

    void sortedListInsertsInPlace_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case ignored")
            << QStringList{"*.txt", "*.DOC", "*.bmp"} << QStringList{"*.bmp", "*.DOC", "*.txt"};
        QTest::newRow("equal texts keep their order")
            << QStringList{"b", "A", "c", "a"} << QStringList{"A", "a", "b", "c"};
        QTest::newRow("tab entries by pattern")
            << QStringList{"*.zip\tZip", "*.htm\tWeb page", "*.h\tHeader"}
            << QStringList{"*.h\tHeader", "*.htm\tWeb page", "*.zip\tZip"};
    }

    void sortedListInsertsInPlace()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        auto list = makeList(0);
        list->setSorted(true);
        for (const QString &text : added) {
            const int index = list->addItem(text);
            QCOMPARE(list->item(index), text);
        }
        QCOMPARE(list->items(), expected);

        // The same rows in one batch end up in the same order.
        auto batch = makeList(0);
        batch->setSorted(true);
        batch->setItems(added);
        QCOMPARE(batch->items(), expected);
    }

    void insertIntoSortedListIgnoresThePosition()
    {
        auto list = makeList(0);
        list->setSorted(true);
        list->addItems({QStringLiteral("b"), QStringLiteral("d")});
        QCOMPARE(list->insertItem(0, QStringLiteral("e")), 2);
        QCOMPARE(list->insertItem(2, QStringLiteral("a")), 0);
        QCOMPARE(list->items(), (QStringList{"a", "b", "d", "e"}));
    }

    void sortingLaterKeepsSelectionWithItsRows()
    {
        auto list = makeList(0);
        list->setItems({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")});
        list->setSelected(0, true); // "c"
        list->setSorted(true);
        QCOMPARE(list->items(), (QStringList{"a", "b", "c"}));
        QCOMPARE(list->selectedItems(), QStringList{"c"});
    }

    void removingARowKeepsTheOthersSelection()
    {
        auto list = makeList(5);
        list->setSelected(1, true);
        list->setSelected(3, true);
        list->removeItem(1);
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->selectedIndexes(), QList<int>{2});
    }

    void rightClickRequestsTheMenuAndLeavesTheSelection()
    {
        auto list = makeList(6);
        QMenu menu;
        menu.addAction(QStringLiteral("Select All"));
        list->setContextMenu(&menu);
        list->setSelected(1, true);
        QSignalSpy menuSpy(list.get(), &PickList::contextMenuRequested);
        QSignalSpy clickedSpy(list.get(), &PickList::clicked);
        click(*list, 4, {}, Qt::RightButton);
        QCOMPARE(menuSpy.count(), 1);
        QCOMPARE(menuSpy.at(0).at(1).toInt(), 4);
        QCOMPARE(menuSpy.at(0).at(0).toPoint(),
                 list->viewport()->mapToGlobal(list->rowRect(4).center()));
        QVERIFY(menu.isVisible());
        QCOMPARE(clickedSpy.count(), 0);
        QCOMPARE(list->selectedIndexes(), QList<int>{1});
        menu.hide();
    }

    void menuKeysRequestTheMenuAtTheCurrentRow_data() { vorin::testing::addMenuKeyRows(); }
    void menuKeysRequestTheMenuAtTheCurrentRow()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, requests);
        auto list = makeList(6);
        list->setItemIndex(3);
        QSignalSpy spy(list.get(), &PickList::contextMenuRequested);
        QTest::keyClick(list.get(), Qt::Key(key), modifiers);
        QCOMPARE(spy.count(), requests);
        if (requests > 0) {
            QCOMPARE(spy.at(0).at(1).toInt(), 3);
            QCOMPARE(spy.at(0).at(0).toPoint(),
                     list->viewport()->mapToGlobal(list->rowRect(3).center()));
        }
    }

    void batchOfSeveralHundredRowsScrolls()
    {
        auto list = makeList(0);
        QStringList texts;
        for (int i = 0; i < 600; ++i)
            texts << QStringLiteral("*.x%1\tType %1").arg(i, 3, 10, QLatin1Char('0'));
        list->setItems(texts);
        QCOMPARE(list->count(), 600);
        QCOMPARE(list->selCount(), 0);
        const int visible = list->viewport()->height() / list->rowHeight();
        QCOMPARE(list->verticalScrollBar()->maximum(), 600 - visible);
        list->scrollToRow(450);
        QVERIFY(list->topRow() <= 450 && list->topRow() + visible > 450);
        click(*list, 450);
        QCOMPARE(list->selectedItems(), QStringList{texts.at(450)});
        QCOMPARE(list->rowAt(list->rowRect(450).center()), 450);
    }

    void spaceTogglesTheFocusedRow()
    {
        auto list = makeList(4);
        list->setFocus();
        QTest::keyClick(list.get(), Qt::Key_Down);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QCOMPARE(list->selectedIndexes(), QList<int>{1});
        QTest::keyClick(list.get(), Qt::Key_Space);
        QCOMPARE(list->selCount(), 0);
    }

    void extendedStyleFollowsDesktopRules_data()
    {
        QTest::addColumn<QString>("clicks"); // row, optionally prefixed c (Ctrl) or s (Shift)
        QTest::addColumn<QString>("selectedAfter");
        QTest::newRow("click selects one") << "1 3"
                                           << "3";
        QTest::newRow("ctrl adds") << "1 c3 c5"
                                   << "1,3,5";
        QTest::newRow("ctrl removes") << "1 c3 c1"
                                      << "3";
        QTest::newRow("shift selects a range") << "2 s5"
                                               << "2,3,4,5";
        QTest::newRow("shift range upwards") << "5 s2"
                                             << "2,3,4,5";
    }

    void extendedStyleFollowsDesktopRules()
    {
        QFETCH(QString, clicks);
        QFETCH(QString, selectedAfter);
        auto list = makeList(8);
        list->setSelectionStyle(PickList::SelectionStyle::Extended);
        QVERIFY(!list->hasCheckBoxes());
        for (QString step : clicks.split(QLatin1Char(' '))) {
            Qt::KeyboardModifiers modifiers;
            if (step.startsWith(QLatin1Char('c')))
                modifiers = Qt::ControlModifier;
            else if (step.startsWith(QLatin1Char('s')))
                modifiers = Qt::ShiftModifier;
            if (modifiers != Qt::NoModifier)
                step.remove(0, 1);
            click(*list, step.toInt(), modifiers);
        }
        QCOMPARE(list->selectedIndexes(), parseIndexes(selectedAfter));
    }
};

QTEST_MAIN(TestPickList)
#include "tst_PickList.moc"
