#include "widgets/PickList.h"

#include "widgets/Accessibility.h"
#include "widgets/DialogKeys.h"
#include "widgets/PainterGuard.h"

#include <algorithm>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

namespace vorin {

namespace {

constexpr int kTextPadding = 3;
constexpr int kBoxSize = 13;
constexpr int kBoxGap = 4;

bool lessNoCase(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

int nextStop(int x, const QList<int> &stops, int defaultInterval)
{
    const int interval = std::max(1, defaultInterval);
    if (stops.size() == 1 && stops.front() > 0)
        return (x / stops.front() + 1) * stops.front();
    for (const int stop : stops) {
        if (stop > x)
            return stop;
    }
    return (x / interval + 1) * interval;
}

} // namespace

std::vector<TabSegment> layoutTabbedText(const QString &text, const QFontMetrics &metrics,
                                         const QList<int> &tabStops, int defaultInterval)
{
    std::vector<TabSegment> segments;
    int x = 0;
    qsizetype start = 0;
    while (true) {
        const qsizetype tab = text.indexOf(QLatin1Char('\t'), start);
        const QString piece = text.mid(start, tab < 0 ? -1 : tab - start);
        segments.push_back({x, piece});
        if (tab < 0)
            break;
        x = nextStop(x + metrics.horizontalAdvance(piece), tabStops, defaultInterval);
        start = tab + 1;
    }
    return segments;
}

PickList::PickList(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
}

PickList::~PickList() = default;

QString PickList::item(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_rows[static_cast<size_t>(index)].text;
}

QStringList PickList::items() const
{
    QStringList texts;
    texts.reserve(count());
    for (const Row &row : m_rows)
        texts << row.text;
    return texts;
}

void PickList::setItemText(int index, const QString &text)
{
    if (index < 0 || index >= count())
        return;
    if (m_sorted) {
        const bool wasSelected = m_rows[static_cast<size_t>(index)].selected;
        m_rows.erase(m_rows.begin() + index);
        const int place = sortedPlace(text);
        m_rows.insert(m_rows.begin() + place, Row{text, wasSelected});
    } else {
        m_rows[static_cast<size_t>(index)].text = text;
    }
    viewport()->update();
}

void PickList::setItems(const QStringList &texts)
{
    const bool hadSelection = selCount() > 0;
    m_rows.clear();
    m_rows.reserve(static_cast<size_t>(texts.size()));
    for (const QString &text : texts)
        m_rows.push_back(Row{text, false});
    if (m_sorted)
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [](const Row &a, const Row &b) { return lessNoCase(a.text, b.text); });
    m_current = m_rows.empty() ? -1 : 0;
    m_anchor = m_current;
    updateScrollBar();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    if (hadSelection)
        emit selectionChanged();
}

int PickList::addItem(const QString &text)
{
    return insertItem(count(), text);
}

void PickList::addItems(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    m_rows.reserve(m_rows.size() + static_cast<size_t>(texts.size()));
    for (const QString &text : texts)
        m_rows.push_back(Row{text, false});
    if (m_sorted)
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [](const Row &a, const Row &b) { return lessNoCase(a.text, b.text); });
    if (m_current < 0)
        m_current = 0;
    updateScrollBar();
    viewport()->update();
}

int PickList::insertItem(int index, const QString &text)
{
    int place = std::clamp(index, 0, count());
    if (m_sorted)
        place = sortedPlace(text);
    m_rows.insert(m_rows.begin() + place, Row{text, false});
    if (m_current < 0)
        m_current = 0;
    else if (m_current >= place && count() > 1)
        ++m_current;
    updateScrollBar();
    viewport()->update();
    return place;
}

void PickList::removeItem(int index)
{
    if (index < 0 || index >= count())
        return;
    const bool wasSelected = m_rows[static_cast<size_t>(index)].selected;
    m_rows.erase(m_rows.begin() + index);
    if (m_current > index || m_current >= count())
        --m_current;
    m_anchor = m_current;
    updateScrollBar();
    viewport()->update();
    if (wasSelected)
        emit selectionChanged();
}

void PickList::clear()
{
    setItems({});
}

int PickList::indexOf(const QString &text, Qt::CaseSensitivity sensitivity) const
{
    for (int i = 0; i < count(); ++i) {
        if (QString::compare(m_rows[static_cast<size_t>(i)].text, text, sensitivity) == 0)
            return i;
    }
    return -1;
}

int PickList::sortedPlace(const QString &text) const
{
    // After any equal texts, so rows added one by one keep their order.
    const auto it = std::upper_bound(
        m_rows.begin(), m_rows.end(), text,
        [](const QString &key, const Row &row) { return lessNoCase(key, row.text); });
    return static_cast<int>(it - m_rows.begin());
}

void PickList::setSorted(bool sorted)
{
    if (m_sorted == sorted)
        return;
    m_sorted = sorted;
    if (m_sorted) {
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [](const Row &a, const Row &b) { return lessNoCase(a.text, b.text); });
        viewport()->update();
    }
}

bool PickList::selected(int index) const
{
    if (index < 0 || index >= count())
        return false;
    return m_rows[static_cast<size_t>(index)].selected;
}

void PickList::setSelected(int index, bool selected)
{
    if (index == -1) {
        setAllSelected(selected);
        return;
    }
    if (index < 0 || index >= count())
        return;
    if (selectRange(index, index, selected))
        emit selectionChanged();
}

void PickList::setAllSelected(bool selected)
{
    if (selectRange(0, count() - 1, selected))
        emit selectionChanged();
}

int PickList::selCount() const
{
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const Row &row) { return row.selected; }));
}

QList<int> PickList::selectedIndexes() const
{
    QList<int> indexes;
    for (int i = 0; i < count(); ++i) {
        if (m_rows[static_cast<size_t>(i)].selected)
            indexes << i;
    }
    return indexes;
}

QStringList PickList::selectedItems() const
{
    QStringList texts;
    for (const Row &row : m_rows) {
        if (row.selected)
            texts << row.text;
    }
    return texts;
}

void PickList::setItemIndex(int index)
{
    if (index == -1) {
        setAllSelected(true);
        return;
    }
    if (index < 0 || index >= count())
        return;
    setCurrent(index);
    m_anchor = index;
    setSelected(index, true);
}

bool PickList::selectRange(int first, int last, bool selected)
{
    bool changed = false;
    for (int i = std::max(0, first); i <= last && i < count(); ++i) {
        Row &row = m_rows[static_cast<size_t>(i)];
        if (row.selected != selected) {
            row.selected = selected;
            changed = true;
            accessibility::pickRowChanged(*this, i);
        }
    }
    if (changed)
        viewport()->update();
    return changed;
}

bool PickList::selectOnly(int first, int last)
{
    bool changed = false;
    for (int i = 0; i < count(); ++i) {
        Row &row = m_rows[static_cast<size_t>(i)];
        const bool wanted = i >= first && i <= last;
        if (row.selected != wanted) {
            row.selected = wanted;
            changed = true;
            accessibility::pickRowChanged(*this, i);
        }
    }
    if (changed)
        viewport()->update();
    return changed;
}

void PickList::setSelectionStyle(SelectionStyle style)
{
    m_style = style;
    m_checkBoxes = style == SelectionStyle::Toggle;
    viewport()->update();
}

void PickList::setCheckBoxes(bool shown)
{
    m_checkBoxes = shown;
    viewport()->update();
}

void PickList::setRowHeight(int pixels)
{
    m_rowHeight = std::max(1, pixels);
    updateScrollBar();
    viewport()->update();
}

void PickList::setTabStops(const QList<int> &pixels)
{
    m_tabStops = pixels;
    std::sort(m_tabStops.begin(), m_tabStops.end());
    viewport()->update();
}

int PickList::averageCharWidth() const
{
    return std::max(1, QFontMetrics(font()).averageCharWidth());
}

void PickList::setBackgroundColor(const QColor &color)
{
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, color);
    viewport()->setPalette(colours);
    viewport()->update();
}

void PickList::setContextMenu(QMenu *menu)
{
    m_contextMenu = menu;
}

int PickList::topRow() const
{
    return verticalScrollBar()->value();
}

int PickList::visibleRows() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

int PickList::rowAt(const QPoint &position) const
{
    if (position.y() < 0 || position.x() < 0 || position.x() >= viewport()->width())
        return -1;
    const int index = topRow() + position.y() / m_rowHeight;
    return index < count() ? index : -1;
}

QRect PickList::rowRect(int index) const
{
    if (index < topRow() || index >= count())
        return {};
    const QRect rect(0, (index - topRow()) * m_rowHeight, viewport()->width(), m_rowHeight);
    return rect.top() < viewport()->height() ? rect : QRect();
}

QRect PickList::checkBoxRect(int index) const
{
    const QRect row = rowRect(index);
    if (row.isNull() || !m_checkBoxes)
        return {};
    const int size = std::min(kBoxSize, m_rowHeight - 2);
    return {row.left() + 2, row.top() + (row.height() - size) / 2, size, size};
}

int PickList::textLeft() const
{
    const int box = std::min(kBoxSize, m_rowHeight - 2);
    return m_checkBoxes ? 2 + box + kBoxGap : kTextPadding;
}

QList<int> PickList::segmentLefts(int index) const
{
    QList<int> lefts;
    const QFontMetrics metrics(font());
    const int start = textLeft();
    for (const TabSegment &segment :
         layoutTabbedText(item(index), metrics, m_tabStops, 8 * averageCharWidth()))
        lefts << start + segment.x;
    return lefts;
}

void PickList::scrollToRow(int index)
{
    if (index < 0 || index >= count())
        return;
    // Before the list has its size the number of rows in view is unknown;
    // the resize brings the row into view then.
    if (testAttribute(Qt::WA_PendingResizeEvent)) {
        m_pendingScrollRow = index;
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    if (index < bar->value())
        bar->setValue(index);
    else if (index >= bar->value() + visibleRows())
        bar->setValue(index - visibleRows() + 1);
}

QSize PickList::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return {200 + frame, 8 * m_rowHeight + frame};
}

QSize PickList::minimumSizeHint() const
{
    const int frame = 2 * frameWidth();
    return {60 + frame, 2 * m_rowHeight + frame};
}

void PickList::updateScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, std::max(0, count() - visibleRows()));
    bar->setPageStep(visibleRows());
}

void PickList::setCurrent(int index)
{
    if (count() == 0) {
        m_current = -1;
        return;
    }
    const int before = m_current;
    m_current = std::clamp(index, 0, count() - 1);
    scrollToRow(m_current);
    viewport()->update();
    if (m_current != before)
        accessibility::pickCurrentChanged(*this, m_current);
}

void PickList::toggleItem(int index)
{
    if (index < 0 || index >= count())
        return;
    setCurrent(index);
    m_anchor = index;
    if (selectRange(index, index, !selected(index)))
        emit selectionChanged();
    emit clicked(index);
}

void PickList::showMenu(const QPoint &globalPosition, int index)
{
    emit contextMenuRequested(globalPosition, index);
    // popup(), not exec(): the handlers of the menu's actions run from the
    // event loop, and nothing here waits on the user.
    if (m_contextMenu)
        m_contextMenu->popup(globalPosition);
}

void PickList::mousePressEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    const int index = rowAt(position);
    if (event->button() == Qt::RightButton) {
        showMenu(viewport()->mapToGlobal(position), index);
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || index < 0) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setCurrent(index);
    bool changed = false;
    if (m_style == SelectionStyle::Toggle) {
        changed = selectRange(index, index, !selected(index));
        m_anchor = index;
    } else if (event->modifiers() & Qt::ShiftModifier && m_anchor >= 0) {
        const int first = std::min(m_anchor, index);
        const int last = std::max(m_anchor, index);
        changed = (event->modifiers() & Qt::ControlModifier) ? selectRange(first, last, true)
                                                             : selectOnly(first, last);
    } else if (event->modifiers() & Qt::ControlModifier) {
        changed = selectRange(index, index, !selected(index));
        m_anchor = index;
    } else {
        changed = selectOnly(index, index);
        m_anchor = index;
    }
    if (changed)
        emit selectionChanged();
    emit clicked(index);
}

void PickList::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging sweeps a range only where the desktop rules apply; in the
    // Toggle style a shaky click must not toggle its neighbours.
    if (m_style != SelectionStyle::Extended || !(event->buttons() & Qt::LeftButton) ||
        m_anchor < 0) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const QPoint position = event->position().toPoint();
    int index = rowAt(position);
    if (index < 0)
        index = position.y() < 0 ? std::max(0, topRow() - 1) : count() - 1;
    if (index == m_current)
        return;
    setCurrent(index);
    if (selectOnly(std::min(m_anchor, index), std::max(m_anchor, index)))
        emit selectionChanged();
}

void PickList::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a click of its own: in the
    // Toggle style it toggles the row back, as the classic list box does.
    mousePressEvent(event);
    const int index = rowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0)
        emit doubleClicked(index);
}

void PickList::keyPressEvent(QKeyEvent *event)
{
    if (isMenuKey(*event)) {
        openMenuForCurrent();
        return;
    }
    if (count() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        setAllSelected(true);
        emit clicked(m_current);
        return;
    }
    int target = m_current;
    switch (event->key()) {
    case Qt::Key_Up:
        target = m_current - 1;
        break;
    case Qt::Key_Down:
        target = m_current + 1;
        break;
    case Qt::Key_PageUp:
        target = m_current - visibleRows();
        break;
    case Qt::Key_PageDown:
        target = m_current + visibleRows();
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count() - 1;
        break;
    case Qt::Key_Space:
        toggleItem(m_current);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    target = std::clamp(target, 0, count() - 1);
    setCurrent(target);
    if (m_style == SelectionStyle::Extended) {
        bool changed = false;
        if (event->modifiers() & Qt::ShiftModifier && m_anchor >= 0) {
            changed = selectOnly(std::min(m_anchor, target), std::max(m_anchor, target));
        } else {
            changed = selectOnly(target, target);
            m_anchor = target;
        }
        if (changed)
            emit selectionChanged();
        emit clicked(target);
    }
}

void PickList::contextMenuEvent(QContextMenuEvent *event)
{
    // Mouse right clicks are answered on the press already.
    if (event->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return;
    }
    openMenuForCurrent();
}

void PickList::openMenuForCurrent()
{
    const QRect rect = rowRect(m_current);
    const QPoint local = rect.isNull() ? QPoint(4, 4) : rect.center();
    showMenu(viewport()->mapToGlobal(local), m_current);
}

void PickList::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
    if (m_pendingScrollRow >= 0) {
        const int row = m_pendingScrollRow;
        m_pendingScrollRow = -1;
        scrollToRow(row);
    }
}

void PickList::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        viewport()->update();
    QAbstractScrollArea::changeEvent(event);
}

void PickList::scrollContentsBy(int, int)
{
    viewport()->update();
}

void PickList::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const int first = topRow();
    const int last = std::min(count() - 1, first + viewport()->height() / m_rowHeight + 1);
    for (int i = first; i <= last; ++i)
        paintRow(painter, i, rowRect(i));
}

void PickList::paintRow(QPainter &painter, int index, const QRect &rect) const
{
    if (rect.isNull())
        return;
    const Row &row = m_rows[static_cast<size_t>(index)];
    const QPalette &colours = palette();
    const bool enabled = isEnabled();
    const QPalette::ColorGroup group =
        !enabled ? QPalette::Disabled : (hasFocus() ? QPalette::Active : QPalette::Inactive);

    QColor textColour = colours.color(group, QPalette::Text);
    if (row.selected) {
        const QRect band = m_checkBoxes ? rect.adjusted(textLeft() - 2, 0, 0, 0) : rect;
        painter.fillRect(band, colours.color(group, QPalette::Highlight));
        textColour = colours.color(group, QPalette::HighlightedText);
    }
    if (m_checkBoxes)
        paintCheckBox(painter, checkBoxRect(index), row.selected);

    painter.setPen(textColour);
    const QFontMetrics metrics(font());
    const int baseline = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
    const int start = textLeft();
    const auto segments = layoutTabbedText(row.text, metrics, m_tabStops, 8 * averageCharWidth());
    for (const TabSegment &segment : segments)
        painter.drawText(QPoint(start + segment.x, baseline), segment.text);

    if (index == m_current && hasFocus()) {
        const PainterGuard guard(painter);
        QPen dots(colours.color(group, row.selected ? QPalette::HighlightedText : QPalette::Text));
        dots.setStyle(Qt::DotLine);
        painter.setPen(dots);
        const QRect band = m_checkBoxes ? rect.adjusted(textLeft() - 2, 0, 0, 0) : rect;
        painter.drawRect(band.adjusted(0, 0, -1, -1));
    }
}

void PickList::paintCheckBox(QPainter &painter, const QRect &box, bool ticked) const
{
    if (box.isNull())
        return;
    const PainterGuard guard(painter);
    const QPalette &colours = palette();
    const bool enabled = isEnabled();
    painter.fillRect(box, enabled ? QColor(Qt::white) : colours.color(QPalette::Button));
    // A closed square with a soft inner shade on the top and left, so that
    // it reads as a box on white and on the button face alike.
    painter.setPen(colours.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Dark));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(colours.color(QPalette::Midlight).darker(104));
    painter.drawLine(box.left() + 1, box.top() + 1, box.right() - 1, box.top() + 1);
    painter.drawLine(box.left() + 1, box.top() + 1, box.left() + 1, box.bottom() - 1);
    if (!ticked)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(enabled ? QColor(Qt::black) : colours.color(QPalette::Disabled, QPalette::Text));
    pen.setWidthF(std::max(1.5, box.width() / 6.5));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    const QRectF inner = QRectF(box).adjusted(3.0, 3.0, -3.0, -3.0);
    QPainterPath tick;
    tick.moveTo(inner.left(), inner.top() + inner.height() * 0.55);
    tick.lineTo(inner.left() + inner.width() * 0.38, inner.bottom());
    tick.lineTo(inner.right(), inner.top());
    painter.drawPath(tick);
}

} // namespace vorin
