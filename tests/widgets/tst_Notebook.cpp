#include "widgets/Notebook.h"

#include <memory>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using vorin::Notebook;

class TestNotebook : public QObject
{
    Q_OBJECT

private:
    // The statistics window's notebook: ten pages, tabs 63 × 18.
    static std::unique_ptr<Notebook> makeNotebook()
    {
        auto notebook = std::make_unique<Notebook>();
        notebook->setObjectName(QStringLiteral("OvcNotebook1"));
        notebook->setTabSize(QSize(63, 18));
        for (const char *caption : {"Space", "Types", "Sizes", "Overhang", "Access", "Created",
                                    "Modified", "Combined", "Attribute", "Time"})
            notebook->addPage(QString::fromLatin1(caption),
                              new QLabel(QString::fromLatin1(caption)));
        notebook->resize(632, 382);
        notebook->show();
        return notebook;
    }

    static void clickTab(Notebook &notebook, int index)
    {
        QTest::mouseClick(&notebook, Qt::LeftButton, {}, notebook.tabRect(index).center());
    }

private slots:
    // Ctrl+Tab and Ctrl+Shift+Tab turn the page from a control on it: a
    // keyboard user need not go back to the tabs first.
    void ctrlTabOnAPageTurnsIt_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("page");
        QTest::newRow("Ctrl+Tab") << Qt::Key_Tab << 2;
        QTest::newRow("Ctrl+Shift+Tab") << Qt::Key_Backtab << 0;
    }
    void ctrlTabOnAPageTurnsIt()
    {
        QFETCH(Qt::Key, key);
        QFETCH(int, page);
        auto notebook = makeNotebook();
        auto *button = new QPushButton(QStringLiteral("Note"), notebook->page(1));
        notebook->setPageIndex(1);
        notebook->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(notebook.get()));
        button->setFocus();
        QTest::keyClick(button, key, Qt::ControlModifier);
        QCOMPARE(notebook->pageIndex(), page);
    }
    void clickingATabChangesThePage_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("second") << 1;
        QTest::newRow("overhang") << 3;
        QTest::newRow("last") << 9;
    }

    void clickingATabChangesThePage()
    {
        QFETCH(int, tab);
        auto notebook = makeNotebook();
        QSignalSpy spy(notebook.get(), &Notebook::pageChanged);
        clickTab(*notebook, tab);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), tab);
        QCOMPARE(notebook->pageIndex(), tab);
        QVERIFY(notebook->page(tab)->isVisible());
        QVERIFY(!notebook->page(tab == 0 ? 1 : 0)->isVisible());
    }

    void turningOffTheShownPageShowsTheNextOneThatCanBeChosen()
    {
        auto notebook = makeNotebook();
        notebook->setPageEnabled(4, false);
        QVERIFY(notebook->setPageIndex(3));
        QSignalSpy spy(notebook.get(), &Notebook::pageChanged);
        notebook->setPageEnabled(3, false);
        QCOMPARE(notebook->pageIndex(), 5);
        QCOMPARE(spy.count(), 1);
        QVERIFY(notebook->page(5)->isVisible());
        // A page turned off while another is shown changes nothing else.
        notebook->setPageEnabled(7, false);
        QCOMPARE(notebook->pageIndex(), 5);
        QCOMPARE(spy.count(), 1);
    }

    void clickingTheCurrentTabEmitsNothing()
    {
        auto notebook = makeNotebook();
        QSignalSpy spy(notebook.get(), &Notebook::pageChanged);
        clickTab(*notebook, 0);
        QCOMPARE(spy.count(), 0);
    }

    void disabledPageCannotBeChosen()
    {
        auto notebook = makeNotebook();
        notebook->setPageIndex(1);
        notebook->setPageEnabled(3, false);
        QVERIFY(!notebook->pageEnabled(3));
        QSignalSpy spy(notebook.get(), &Notebook::pageChanged);
        clickTab(*notebook, 3);
        QCOMPARE(notebook->pageIndex(), 1);
        QCOMPARE(spy.count(), 0);
        QVERIFY(!notebook->setPageIndex(3));
        QCOMPARE(notebook->pageIndex(), 1);

        notebook->setPageEnabled(3, true);
        clickTab(*notebook, 3);
        QCOMPARE(notebook->pageIndex(), 3);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 3);
    }

    void arrowKeysSkipDisabledPages()
    {
        auto notebook = makeNotebook();
        notebook->setPageIndex(2);
        notebook->setPageEnabled(3, false);
        notebook->setFocus();
        QTest::keyClick(notebook.get(), Qt::Key_Right);
        QCOMPARE(notebook->pageIndex(), 4);
        QTest::keyClick(notebook.get(), Qt::Key_Left);
        QCOMPARE(notebook->pageIndex(), 2);
    }

    void tabsAreLaidOutInOneRowOfFixedSize()
    {
        auto notebook = makeNotebook();
        for (int i = 1; i < notebook->pageCount(); ++i) {
            QCOMPARE(notebook->tabRect(i).size(), QSize(63, 18));
            QCOMPARE(notebook->tabRect(i).left(), notebook->tabRect(i - 1).right() + 1);
            QCOMPARE(notebook->tabRect(i).top(), notebook->tabRect(0).top());
        }
        QVERIFY(notebook->tabRect(9).right() < 632);
        QVERIFY(notebook->page(0)->mapTo(notebook.get(), QPoint(0, 0)).y() >
                notebook->tabRect(0).bottom());
    }

    // Tabs sized to their captions give up the padding beside the captions
    // before they would reach past the notebook's edge.
    void captionSizedTabsKeepToTheWidthWhileTheyCan()
    {
        const auto notebook = makeNotebook();
        notebook->setTabSize(QSize(0, 18));
        notebook->addPage(QStringLiteral("History"));
        const auto fits = [&notebook] {
            for (int i = 0; i < notebook->pageCount(); ++i)
                if (notebook->tabRect(i).width() <
                    notebook->fontMetrics().horizontalAdvance(notebook->pageCaption(i)))
                    return false;
            return notebook->tabRect(notebook->pageCount() - 1).right() < notebook->width();
        };
        QVERIFY(fits());
        notebook->resize(2000, 382);
        QCOMPARE(notebook->tabRect(0).width(),
                 notebook->fontMetrics().horizontalAdvance(QStringLiteral("Space")) + 16);
    }

    void onlyTheActiveCaptionIsRed()
    {
        auto notebook = makeNotebook();
        notebook->setPageIndex(2);
        const QImage image = notebook->grab().toImage();
        const auto redPixels = [&image](const QRect &rect) {
            int count = 0;
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    count += (c.red() > 160 && c.green() < 90 && c.blue() < 90) ? 1 : 0;
                }
            return count;
        };
        QVERIFY(redPixels(notebook->tabRect(2)) > 10);
        QCOMPARE(redPixels(notebook->tabRect(1)), 0);
        QCOMPARE(redPixels(notebook->tabRect(3)), 0);
    }
};

QTEST_MAIN(TestNotebook)
#include "tst_Notebook.moc"
