#pragma once

#include <QMenu>
#include <QPointer>
#include <QPushButton>

namespace vorin {

// A push button that opens a popup menu under itself (the Types page's
// "Sort" button). The menu is shown without a nested event loop, so its
// actions run from the window's own loop; it is not owned by the button,
// which lets one menu serve a button and a grid's right click alike.
class MenuButton : public QPushButton
{
    Q_OBJECT

public:
    explicit MenuButton(QWidget *parent = nullptr);
    explicit MenuButton(const QString &text, QWidget *parent = nullptr);

    [[nodiscard]] QMenu *popupMenu() const { return m_menu; }
    void setPopupMenu(QMenu *menu);
    // Opens the menu below the button (above it when there is no room).
    void showPopup();

    [[nodiscard]] QSize sizeHint() const override;

signals:
    void popupAboutToShow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<QMenu> m_menu;
};

} // namespace vorin
