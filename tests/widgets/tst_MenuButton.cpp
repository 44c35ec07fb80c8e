#include "widgets/MenuButton.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using vorin::MenuButton;

class TestMenuButton : public QObject
{
    Q_OBJECT

private slots:
    void clickOpensTheMenuUnderTheButton()
    {
        QWidget window;
        window.resize(300, 200);
        auto *button = new MenuButton(QStringLiteral("&Sort"), &window);
        button->setObjectName(QStringLiteral("btSort"));
        button->setGeometry(20, 20, 90, 25);
        QMenu menu;
        menu.addAction(QStringLiteral("Sort by &Extension"));
        menu.addAction(QStringLiteral("Sort by &Type"));
        button->setPopupMenu(&menu);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QSignalSpy spy(button, &MenuButton::popupAboutToShow);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        QCOMPARE(spy.count(), 1);
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.geometry().topLeft(), button->mapToGlobal(QPoint(0, button->height())));
        menu.hide();
    }

    void withoutMenuAClickIsHarmless()
    {
        MenuButton button(QStringLiteral("&Sort"));
        QSignalSpy spy(&button, &MenuButton::popupAboutToShow);
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_MAIN(TestMenuButton)
#include "tst_MenuButton.moc"
