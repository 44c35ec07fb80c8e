#include "widgets/Accessibility.h"
#include "widgets/AccessibleParts.h"
#include "widgets/HeadingLabel.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"
#include "widgets/StringGrid.h"

#include <memory>
#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace vorin;

namespace {

// What a screen reader would have been told.
struct Told
{
    QAccessible::Event type;
    const QObject *object;
    int child;
};
std::vector<Told> g_told;

void record(QAccessibleEvent *event)
{
    g_told.push_back({event->type(), event->object(), event->child()});
}

bool wasTold(QAccessible::Event type, const QObject *object, int child)
{
    return std::any_of(g_told.begin(), g_told.end(), [&](const Told &told) {
        return told.type == type && told.object == object && told.child == child;
    });
}

QAccessibleInterface *face(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

class PlainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PlainWindow(QWidget *parent = nullptr) : QWidget(parent) {}
};

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installWidgetAccessibility();
        accessibility::setAnnouncer(record);
    }
    void init() { g_told.clear(); }

    void notebookReadsAsPageTabs()
    {
        Notebook notebook;
        for (const char *caption : {"Space", "Types", "Overhang"})
            notebook.addPage(QString::fromLatin1(caption), new QLabel);
        notebook.resize(400, 200);
        notebook.show();

        QAccessibleInterface *tabs = face(&notebook);
        QCOMPARE(tabs->role(), QAccessible::PageTabList);
        QCOMPARE(tabs->childCount(), 4); // three tabs, then the page area
        QAccessibleInterface *types = tabs->child(1);
        QCOMPARE(types->role(), QAccessible::PageTab);
        QCOMPARE(types->text(QAccessible::Name), QStringLiteral("Types"));
        QCOMPARE(tabs->indexOfChild(types), 1);
        QCOMPARE(types->parent(), tabs);
        QVERIFY(tabs->child(0)->state().selected);
        QVERIFY(!types->state().selected);
        QCOMPARE(types->rect().center(), notebook.mapToGlobal(notebook.tabRect(1).center()));
        QCOMPARE(tabs->childAt(types->rect().center().x(), types->rect().center().y()), types);

        types->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(notebook.pageIndex(), 1);
        QVERIFY(types->state().selected);
        QVERIFY(wasTold(QAccessible::Selection, &notebook, 1));

        notebook.setPageEnabled(2, false);
        QVERIFY(tabs->child(2)->state().disabled);
        QVERIFY(wasTold(QAccessible::StateChanged, &notebook, 2));
        tabs->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(notebook.pageIndex(), 1);

        notebook.setPageCaption(0, QStringLiteral("Drives"));
        QCOMPARE(tabs->child(0)->text(QAccessible::Name), QStringLiteral("Drives"));
        QCOMPARE(tabs->child(3)->object(), notebook.page(0)->parent());
    }

    void pickListReadsAsCheckList_data()
    {
        QTest::addColumn<PickList::SelectionStyle>("style");
        QTest::addColumn<bool>("boxes");
        QTest::newRow("drives: ticked rows") << PickList::SelectionStyle::Toggle << true;
        QTest::newRow("types: extended selection") << PickList::SelectionStyle::Extended << false;
    }
    void pickListReadsAsCheckList()
    {
        QFETCH(PickList::SelectionStyle, style);
        QFETCH(bool, boxes);
        PickList list;
        list.setSelectionStyle(style);
        list.setCheckBoxes(boxes);
        list.setItems({QStringLiteral("c:\tSystem\t\t12 GB"), QStringLiteral("d:\tData")});
        list.resize(200, 100);
        list.show();

        QAccessibleInterface *rows = face(&list);
        QCOMPARE(rows->role(), QAccessible::List);
        QVERIFY(rows->state().multiSelectable);
        QCOMPARE(rows->childCount(), 2);
        QAccessibleInterface *first = rows->child(0);
        QCOMPARE(first->role(), QAccessible::ListItem);
        QCOMPARE(first->text(QAccessible::Name), QStringLiteral("c:, System, 12 GB"));
        QCOMPARE(first->state().checkable, boxes);
        QVERIFY(!first->state().checked);

        QSignalSpy clicked(&list, &PickList::clicked);
        QSignalSpy changed(&list, &PickList::selectionChanged);
        first->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(list.selected(0));
        QCOMPARE(first->state().checked, boxes);
        QVERIFY(first->state().selected);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(changed.count(), 1);
        QVERIFY(wasTold(QAccessible::StateChanged, &list, 0));

        // The arrow keys move the focus row, which a reader follows.
        list.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Down);
        QVERIFY(wasTold(QAccessible::Focus, &list, 1));
        QCOMPARE(rows->focusChild(), rows->child(1));
        QVERIFY(rows->child(1)->state().focused);

        list.setItems({QStringLiteral("e:")});
        QVERIFY(!rows->child(0)->state().checked);
        QVERIFY(!first->isValid() || first->text(QAccessible::Name) == QStringLiteral("e:"));
        QVERIFY(rows->child(1) == nullptr);
    }

    void gridReadsAsTableWithHeaders()
    {
        StringGrid grid;
        grid.setColCount(3);
        grid.setRowCount(5);
        grid.setFixedRows(1);
        grid.setFixedBottomRows(1);
        grid.setRowSelect(true);
        grid.setRowTexts(
            0, {QStringLiteral("Type"), QStringLiteral("Files"), QStringLiteral("Bytes")});
        grid.setRowTexts(1, {QStringLiteral("txt"), QStringLiteral("3"), QStringLiteral("1,200")});
        grid.setRowTexts(2, {QStringLiteral("png"), QStringLiteral("2"), QStringLiteral("9,000")});
        grid.setRowTexts(3, {QStringLiteral("log"), QStringLiteral("1"), QStringLiteral("40")});
        grid.setRowTexts(4, {QString(), QStringLiteral("Totals"), QStringLiteral("10,240")});
        grid.resize(300, 200);
        grid.show();

        QAccessibleInterface *table = face(&grid);
        QCOMPARE(table->role(), QAccessible::Table);
        QAccessibleTableInterface *cells = table->tableInterface();
        QVERIFY(cells);
        QCOMPARE(cells->rowCount(), 4); // the body and the totals; the heading is the header
        QCOMPARE(cells->columnCount(), 3);
        QCOMPARE(table->childCount(), 3 + 4 * 3);
        QCOMPARE(cells->columnDescription(2), QStringLiteral("Bytes"));
        QCOMPARE(cells->rowDescription(1), QStringLiteral("png"));
        QCOMPARE(cells->cellAt(3, 2)->text(QAccessible::Name), QStringLiteral("10,240"));

        QAccessibleInterface *bytes = cells->cellAt(1, 2);
        QCOMPARE(bytes->role(), QAccessible::Cell);
        QCOMPARE(bytes->text(QAccessible::Name), QStringLiteral("9,000"));
        QAccessibleTableCellInterface *place = bytes->tableCellInterface();
        QCOMPARE(place->rowIndex(), 1);
        QCOMPARE(place->columnIndex(), 2);
        QCOMPARE(place->columnHeaderCells().value(0)->text(QAccessible::Name),
                 QStringLiteral("Bytes"));
        QCOMPARE(place->columnHeaderCells().value(0)->role(), QAccessible::ColumnHeader);
        QCOMPARE(place->rowHeaderCells().value(0)->text(QAccessible::Name), QStringLiteral("png"));
        QCOMPARE(table->indexOfChild(bytes), 3 + 1 * 3 + 2);
        QCOMPARE(table->child(3 + 1 * 3 + 2), bytes);
        const QPoint centre = bytes->rect().center();
        QCOMPARE(table->childAt(centre.x(), centre.y()), bytes);

        // The first body row is current: a whole row is selected.
        QVERIFY(cells->cellAt(0, 2)->state().selected);
        QCOMPARE(cells->selectedRows(), QList<int>{0});
        grid.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Down);
        QVERIFY(cells->isRowSelected(1));
        QVERIFY(wasTold(QAccessible::Focus, &grid, table->indexOfChild(cells->cellAt(1, 0))));
        QVERIFY(wasTold(QAccessible::Selection, &grid, table->indexOfChild(cells->cellAt(1, 0))));
        QCOMPARE(table->focusChild(), cells->cellAt(1, 0));

        // A reader's "focus" on a cell makes it current as a click would;
        // the totals row cannot be chosen by the user, nor by a reader.
        cells->cellAt(2, 1)->actionInterface()->doAction(
            QAccessibleActionInterface::setFocusAction());
        QCOMPARE(grid.row(), 3);
        cells->cellAt(3, 1)->actionInterface()->doAction(
            QAccessibleActionInterface::setFocusAction());
        QCOMPARE(grid.row(), 3);
        QVERIFY(!cells->cellAt(3, 1)->state().selected);

        grid.setRowCount(3);
        QVERIFY(!bytes->isValid() || bytes->text(QAccessible::Name) == grid.cell(2, 2));
        QCOMPARE(cells->rowCount(), 2);
        QVERIFY(cells->cellAt(2, 0) == nullptr);
    }

    void windowOfPlainWidgetReadsAsFrame()
    {
        PlainWindow window;
        window.setWindowTitle(QStringLiteral("Vorin 99"));
        QCOMPARE(face(&window)->role(), QAccessible::Window);
        QCOMPARE(face(&window)->text(QAccessible::Name), QStringLiteral("Vorin 99"));
        PlainWindow inside(&window);
        QCOMPARE(face(&inside)->role(), QAccessible::Client);
    }

    void headingReadsItsLettering_data()
    {
        QTest::addColumn<bool>("heading");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::newRow("window title") << true << QAccessible::Heading;
        QTest::newRow("notice") << false << QAccessible::StaticText;
    }
    void headingReadsItsLettering()
    {
        QFETCH(bool, heading);
        QFETCH(QAccessible::Role, role);
        HeadingLabel label(QStringLiteral("Vorin 99 - Disk Statistics"));
        label.setHeading(heading);
        QCOMPARE(face(&label)->role(), role);
        QCOMPARE(face(&label)->text(QAccessible::Name),
                 QStringLiteral("Vorin 99 - Disk Statistics"));
        label.setText(QStringLiteral("Not yet collected"));
        QCOMPARE(face(&label)->text(QAccessible::Name), QStringLiteral("Not yet collected"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_Accessibility.moc"
