#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QWidget>
#include <vector>

class QStackedWidget;

namespace vorin {

// A tabbed notebook with one row of tabs over a framed page area. The
// active tab's caption is drawn in red; pages can be disabled one by one,
// which greys their tab and makes it unselectable by the user. The pages
// are ordinary widgets owned by the notebook. GUI thread only.
class Notebook : public QWidget
{
    Q_OBJECT

public:
    explicit Notebook(QWidget *parent = nullptr);

    // Adds a page at the end and returns its index. Without a widget an empty
    // page is made; either way the notebook owns it.
    int addPage(const QString &caption, QWidget *page = nullptr);
    [[nodiscard]] int pageCount() const { return static_cast<int>(m_tabs.size()); }
    [[nodiscard]] QWidget *page(int index) const;
    [[nodiscard]] int indexOf(const QWidget *page) const;
    [[nodiscard]] QString pageCaption(int index) const;
    void setPageCaption(int index, const QString &caption);

    [[nodiscard]] int pageIndex() const { return m_current; }
    // Shows the page and reports whether it is now current; a disabled or
    // missing page is refused. Emits pageChanged when the page changes.
    bool setPageIndex(int index);

    [[nodiscard]] bool pageEnabled(int index) const;
    // A disabled page cannot be chosen; disabling the page shown moves to
    // the next page that can be.
    void setPageEnabled(int index, bool enabled);

    // Every tab gets this size; an empty size sizes each tab to its caption.
    [[nodiscard]] QSize tabSize() const { return m_tabSize; }
    void setTabSize(const QSize &size);
    [[nodiscard]] QColor activeCaptionColor() const { return m_activeCaption; }
    void setActiveCaptionColor(const QColor &color);
    void setBackgroundColor(const QColor &color);

    // Geometry in notebook coordinates, for hit tests and tests.
    [[nodiscard]] QRect tabRect(int index) const;
    [[nodiscard]] int tabAt(const QPoint &position) const;
    [[nodiscard]] QRect pageRect() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    // The current page changed, by the user or by code.
    void pageChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Tab
    {
        QString caption;
        bool enabled = true;
    };

    [[nodiscard]] int tabRowHeight() const;
    [[nodiscard]] int tabWidth(int index) const;
    // The next enabled page from `from` in steps of `step`, wrapping; -1 if none.
    [[nodiscard]] int nextEnabled(int from, int step) const;
    void placeStack();
    void paintTab(QPainter &painter, int index) const;

    QStackedWidget *m_stack = nullptr;
    std::vector<Tab> m_tabs;
    int m_current = -1;
    QSize m_tabSize;
    QColor m_activeCaption{Qt::red};
};

} // namespace vorin
