#include "widgets/Notebook.h"

#include "widgets/AccessibleParts.h"
#include "widgets/Accessibility.h"

#include "widgets/PainterGuard.h"

#include <algorithm>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>

namespace vorin {

namespace {

// The active tab stands this much taller than the others and overlaps the
// page frame, so that it reads as the front sheet.
constexpr int kLift = 2;
constexpr int kFrame = 2;
constexpr int kCaptionPadding = 8;

} // namespace

Notebook::Notebook(QWidget *parent) : QWidget(parent), m_stack(new QStackedWidget(this))
{
    setFocusPolicy(Qt::TabFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    m_stack->setObjectName(QStringLiteral("notebookPages"));
    placeStack();
}

int Notebook::addPage(const QString &caption, QWidget *page)
{
    if (page == nullptr)
        page = new QWidget;
    m_stack->addWidget(page);
    m_tabs.push_back(Tab{caption, true});
    const int index = pageCount() - 1;
    if (m_current < 0) {
        m_current = index;
        m_stack->setCurrentIndex(index);
    }
    updateGeometry();
    update();
    return index;
}

QWidget *Notebook::page(int index) const
{
    return m_stack->widget(index);
}

int Notebook::indexOf(const QWidget *page) const
{
    return m_stack->indexOf(const_cast<QWidget *>(page));
}

QString Notebook::pageCaption(int index) const
{
    if (index < 0 || index >= pageCount())
        return {};
    return m_tabs[static_cast<size_t>(index)].caption;
}

void Notebook::setPageCaption(int index, const QString &caption)
{
    if (index < 0 || index >= pageCount())
        return;
    m_tabs[static_cast<size_t>(index)].caption = caption;
    accessibility::announce(this, QAccessible::NameChanged, index);
    update();
}

bool Notebook::setPageIndex(int index)
{
    if (!pageEnabled(index))
        return index == m_current && index >= 0;
    if (index != m_current) {
        m_current = index;
        m_stack->setCurrentIndex(index);
        update();
        accessibility::pageChanged(*this, index);
        emit pageChanged(index);
    }
    return true;
}

bool Notebook::pageEnabled(int index) const
{
    if (index < 0 || index >= pageCount())
        return false;
    return m_tabs[static_cast<size_t>(index)].enabled;
}

void Notebook::setPageEnabled(int index, bool enabled)
{
    if (index < 0 || index >= pageCount())
        return;
    if (m_tabs[static_cast<size_t>(index)].enabled != enabled) {
        m_tabs[static_cast<size_t>(index)].enabled = enabled;
        accessibility::pageStateChanged(*this, index);
    }
    update(tabRect(index).adjusted(-kLift, -kLift, kLift, kLift));
    // A page turned off while it is shown would go on showing figures the
    // user can no longer reach by its tab (the overhang of an earlier run);
    // the next page that can be chosen takes its place.
    if (!enabled && index == m_current) {
        const int target = nextEnabled(m_current, 1);
        if (target >= 0)
            setPageIndex(target);
    }
}

void Notebook::setTabSize(const QSize &size)
{
    m_tabSize = size;
    placeStack();
    updateGeometry();
    update();
}

void Notebook::setActiveCaptionColor(const QColor &color)
{
    m_activeCaption = color;
    update();
}

void Notebook::setBackgroundColor(const QColor &color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    colours.setColor(QPalette::Button, color);
    setPalette(colours);
}

int Notebook::tabRowHeight() const
{
    const int height =
        m_tabSize.height() > 0 ? m_tabSize.height() : QFontMetrics(font()).height() + 6;
    return height + kLift;
}

int Notebook::tabWidth(int index) const
{
    if (m_tabSize.width() > 0)
        return m_tabSize.width();
    // Tabs sized to their captions keep to the notebook's width while they
    // can: the padding beside the captions shrinks first.
    const QFontMetrics metrics(font());
    int captions = 0;
    for (const Tab &tab : m_tabs)
        captions += metrics.horizontalAdvance(tab.caption);
    const int tabs = std::max(1, pageCount());
    const int room = (width() - 2 * kLift - captions) / (2 * tabs);
    const int padding = std::clamp(room, 2, kCaptionPadding);
    return metrics.horizontalAdvance(pageCaption(index)) + 2 * padding;
}

QRect Notebook::tabRect(int index) const
{
    if (index < 0 || index >= pageCount())
        return {};
    int x = kLift;
    for (int i = 0; i < index; ++i)
        x += tabWidth(i);
    return {x, kLift, tabWidth(index), tabRowHeight() - kLift};
}

int Notebook::tabAt(const QPoint &position) const
{
    for (int i = 0; i < pageCount(); ++i) {
        QRect hit = tabRect(i);
        if (i == m_current)
            hit.adjust(-kLift, -kLift, kLift, 0);
        if (hit.contains(position))
            return i;
    }
    return -1;
}

QRect Notebook::pageRect() const
{
    return QRect(0, tabRowHeight(), width(), height() - tabRowHeight());
}

QSize Notebook::sizeHint() const
{
    QSize pages = m_stack->sizeHint().expandedTo(QSize(200, 120));
    int tabs = 2 * kLift;
    for (int i = 0; i < pageCount(); ++i)
        tabs += tabWidth(i);
    return {std::max(tabs, pages.width() + 2 * kFrame),
            tabRowHeight() + pages.height() + 2 * kFrame};
}

QSize Notebook::minimumSizeHint() const
{
    return {4 * kLift + 40, tabRowHeight() + 2 * kFrame + 20};
}

int Notebook::nextEnabled(int from, int step) const
{
    const int total = pageCount();
    for (int n = 1; n <= total; ++n) {
        const int candidate = ((from + step * n) % total + total) % total;
        if (pageEnabled(candidate))
            return candidate;
    }
    return -1;
}

void Notebook::placeStack()
{
    m_stack->setGeometry(pageRect().adjusted(kFrame, kFrame, -kFrame, -kFrame));
}

void Notebook::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeStack();
}

void Notebook::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        placeStack();
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

void Notebook::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void Notebook::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void Notebook::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int index = tabAt(event->position().toPoint());
    if (index >= 0)
        setPageIndex(index); // refused quietly for a disabled page
}

void Notebook::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    if (event->key() == Qt::Key_Right || event->key() == Qt::Key_PageDown)
        step = 1;
    else if (event->key() == Qt::Key_Left || event->key() == Qt::Key_PageUp)
        step = -1;
    else if (event->key() == Qt::Key_Tab && event->modifiers() & Qt::ControlModifier)
        step = 1;
    else if (event->key() == Qt::Key_Backtab && event->modifiers() & Qt::ControlModifier)
        step = -1;
    if (step == 0 || pageCount() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int target = nextEnabled(m_current, step);
    if (target >= 0)
        setPageIndex(target);
}

void Notebook::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colours = palette();

    // The page: an outlined sheet with a light inner edge on the top and
    // left, so that it reads as raised on any window colour.
    const QRect frame = pageRect();
    painter.fillRect(frame, colours.color(QPalette::Window));
    painter.setPen(colours.color(QPalette::Dark));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(colours.color(QPalette::Light));
    painter.drawLine(frame.left() + 1, frame.top() + 1, frame.right() - 1, frame.top() + 1);
    painter.drawLine(frame.left() + 1, frame.top() + 1, frame.left() + 1, frame.bottom() - 1);
    painter.setPen(colours.color(QPalette::Mid));
    painter.drawLine(frame.left() + 1, frame.bottom() - 1, frame.right() - 1, frame.bottom() - 1);
    painter.drawLine(frame.right() - 1, frame.top() + 1, frame.right() - 1, frame.bottom() - 1);

    // Back tabs first, the active one last so that it covers its neighbours.
    for (int i = 0; i < pageCount(); ++i) {
        if (i != m_current)
            paintTab(painter, i);
    }
    if (m_current >= 0)
        paintTab(painter, m_current);
}

void Notebook::paintTab(QPainter &painter, int index) const
{
    const PainterGuard guard(painter);
    const QPalette &colours = palette();
    const bool active = index == m_current;
    const Tab &tab = m_tabs[static_cast<size_t>(index)];
    QRect rect = tabRect(index);
    if (active)
        rect.adjust(-kLift, -kLift, kLift, 1); // down over the page's top edge

    // Back tabs are a shade darker than the page; the front tab has the
    // page's own colour and opens into it.
    const QColor face =
        active ? colours.color(QPalette::Window) : colours.color(QPalette::Button).darker(108);
    const QRectF outline = QRectF(rect).adjusted(0.5, 0.5, -0.5, active ? 0.5 : -0.5);
    constexpr double kRadius = 3.0;
    QPainterPath shape;
    shape.moveTo(outline.left(), outline.bottom());
    shape.lineTo(outline.left(), outline.top() + kRadius);
    shape.quadTo(outline.topLeft(), QPointF(outline.left() + kRadius, outline.top()));
    shape.lineTo(outline.right() - kRadius, outline.top());
    shape.quadTo(outline.topRight(), QPointF(outline.right(), outline.top() + kRadius));
    shape.lineTo(outline.right(), outline.bottom());

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawPath(shape);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colours.color(QPalette::Dark), 1.0));
    painter.drawPath(shape);
    // A light inner edge along the top and the left side.
    painter.setPen(QPen(colours.color(QPalette::Light), 1.0));
    painter.drawLine(QPointF(outline.left() + 1, outline.bottom() - (active ? 1 : 0)),
                     QPointF(outline.left() + 1, outline.top() + kRadius));
    painter.drawLine(QPointF(outline.left() + kRadius, outline.top() + 1),
                     QPointF(outline.right() - kRadius, outline.top() + 1));
    painter.setRenderHint(QPainter::Antialiasing, false);

    const QRect captionArea = rect.adjusted(2, active ? 1 : 0, -2, active ? -1 : 0);
    if (!tab.enabled) {
        // Etched: a light copy one pixel down and right under the grey text.
        painter.setPen(colours.color(QPalette::Light));
        painter.drawText(captionArea.translated(1, 1), Qt::AlignCenter, tab.caption);
        painter.setPen(colours.color(QPalette::Disabled, QPalette::WindowText));
    } else if (active) {
        painter.setPen(m_activeCaption);
    } else {
        painter.setPen(colours.color(QPalette::ButtonText));
    }
    painter.drawText(captionArea, Qt::AlignCenter, tab.caption);

    if (active && hasFocus()) {
        const QFontMetrics metrics(font());
        QRect caption = metrics.boundingRect(captionArea, Qt::AlignCenter, tab.caption);
        caption = caption.adjusted(-2, 0, 2, 0).intersected(captionArea.adjusted(1, 1, -1, -1));
        QPen dots(colours.color(QPalette::ButtonText));
        dots.setStyle(Qt::DotLine);
        painter.setPen(dots);
        painter.drawRect(caption.adjusted(0, 0, -1, -1));
    }
}

} // namespace vorin
