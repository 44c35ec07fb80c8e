#include "chart/Chart.h"

#include "chart/ChartAccessibility.h"
#include "chart/ChartLayout.h"
#include "chart/ChartPainter.h"
#include "platform/Messages.h"
#include "widgets/DialogKeys.h"
#include "widgets/SaveFile.h"

#include <algorithm>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QStandardPaths>

namespace vorin::chart {

namespace {
// Below this many pixels of travel a press and release is a click, not a zoom.
constexpr int kDragThreshold = 5;
// The focus outline keeps this many pixels off the bar or slice it marks, so
// that the shape's own edge still shows.
constexpr double kFocusGap = 2.0;

const SaveFileKind kPicture{QStringLiteral("Save as PNG"), QStringLiteral("PNG pictures (*.png)"),
                            QStringLiteral("png"), QStandardPaths::PicturesLocation};

} // namespace

Chart::Chart(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    connect(&m_model, &ChartModel::changed, this, [this] {
        update();
        accessibility::chartChanged(*this);
    });

    // The menu is emptied and refilled for every opening; the picture's
    // actions belong to the chart so that emptying it leaves them alive.
    m_pictureMenu = new QMenu(this);
    m_pictureMenu->setObjectName(QStringLiteral("PictureMenu"));
    m_copyPicture = new QAction(QStringLiteral("Copy picture"), this);
    m_copyPicture->setObjectName(QStringLiteral("CopyPicture"));
    connect(m_copyPicture, &QAction::triggered, this, [this] { copyPicture(); });
    m_savePicture = new QAction(QStringLiteral("Save as PNG…"), this);
    m_savePicture->setObjectName(QStringLiteral("SavePictureAsPng"));
    connect(m_savePicture, &QAction::triggered, this, [this] { savePicture(); });
    m_pictureMenu->addAction(m_copyPicture);
    m_pictureMenu->addAction(m_savePicture);
}

std::optional<ChartHit> Chart::pointAt(const QPoint &position) const
{
    return ChartLayout(m_model, QRectF(rect())).hitTest(QPointF(position));
}

std::optional<ChartHit> Chart::currentPoint() const
{
    return currentIn(ChartLayout(m_model, QRectF(rect())));
}

std::optional<ChartHit> Chart::currentIn(const ChartLayout &layout) const
{
    if (!m_current) {
        return std::nullopt;
    }
    // A refill or a turn of the page may have taken the point away.
    const std::vector<ChartHit> points = layout.keyboardPoints();
    if (std::find(points.begin(), points.end(), *m_current) == points.end()) {
        return std::nullopt;
    }
    return m_current;
}

void Chart::moveCurrent(Move move)
{
    const ChartLayout layout(m_model, QRectF(rect()));
    const std::vector<ChartHit> points = layout.keyboardPoints();
    if (points.empty()) {
        return;
    }
    const auto last = static_cast<std::ptrdiff_t>(points.size()) - 1;
    const auto found =
        m_current ? std::find(points.begin(), points.end(), *m_current) : points.end();
    std::ptrdiff_t index = 0;
    switch (move) {
    case Move::First:
        index = 0;
        break;
    case Move::Last:
        index = last;
        break;
    case Move::Forward:
        index = found == points.end() ? 0 : std::min(found - points.begin() + 1, last);
        break;
    case Move::Back:
        index =
            found == points.end() ? last : std::max<std::ptrdiff_t>(found - points.begin() - 1, 0);
        break;
    }
    m_current = points[static_cast<std::size_t>(index)];
    currentChanged();
}

bool Chart::setCurrentPoint(const ChartHit &point)
{
    const std::vector<ChartHit> points = ChartLayout(m_model, QRectF(rect())).keyboardPoints();
    if (std::find(points.begin(), points.end(), point) == points.end())
        return false;
    m_current = point;
    currentChanged();
    return true;
}

void Chart::currentChanged()
{
    update();
    accessibility::chartCurrentChanged(*this);
}

QImage Chart::picture() const
{
    if (size().isEmpty())
        return {};
    QImage image(size(), QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    ChartPainter(m_model).paint(painter, QRectF(rect()));
    painter.end();
    return image;
}

void Chart::copyPicture() const
{
    QGuiApplication::clipboard()->setImage(picture());
}

QString Chart::suggestedPictureName() const
{
    const QStringList &title = m_model.settings().titleLines;
    QString name = title.isEmpty() ? QString() : title.constFirst().trimmed();
    if (name.isEmpty())
        name = objectName();
    if (name.isEmpty())
        name = QStringLiteral("chart");
    // "Access/Created/Modified" must not read as folders, here or on a share
    // that a Windows machine reads.
    for (const QChar c : QStringLiteral("/\\:*?\"<>|"))
        name.replace(c, QLatin1Char('-'));
    return name + QStringLiteral(".png");
}

bool Chart::savePicture()
{
    const QString path = askSaveFileName(this, kPicture, suggestedPictureName());
    if (path.isEmpty())
        return false;
    const QImage image = picture();
    return saveWhole(path, QStringLiteral("picture"), [&image](QIODevice &file) {
        if (image.isNull())
            return QStringLiteral("The chart has no size to draw.");
        if (!image.save(&file, "PNG"))
            return file.errorString().isEmpty()
                       ? QStringLiteral("The picture could not be encoded.")
                       : file.errorString();
        return QString();
    });
}

void Chart::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    ChartPainter(m_model).paint(painter, rect());
    if (hasFocus()) {
        paintFocusMark(painter);
    }
    if (m_dragging) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DashLine));
        painter.drawRect(QRect(m_pressPosition, m_dragPosition).normalized());
    }
}

void Chart::paintFocusMark(QPainter &painter) const
{
    const ChartLayout layout(m_model, QRectF(rect()));
    const std::optional<ChartHit> current = currentIn(layout);
    if (!current) {
        return;
    }
    const QPolygonF outline = layout.outline(*current);
    if (outline.isEmpty()) {
        return;
    }
    QPainterPath shape;
    shape.addPolygon(outline);
    shape.closeSubpath();
    QPainterPathStroker stroker;
    stroker.setWidth(2.0 * kFocusGap);
    stroker.setJoinStyle(Qt::MiterJoin);
    const QPainterPath around = shape.united(stroker.createStroke(shape)).simplified();
    PainterStateGuard guard(painter);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Dots over a light line: seen on dark bars and on the light background alike.
    painter.setPen(QPen(palette().color(QPalette::Base), 1.0));
    painter.drawPath(around);
    painter.setPen(QPen(palette().color(QPalette::Text), 1.0, Qt::DotLine));
    painter.drawPath(around);
}

void Chart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPosition = event->position().toPoint();
        m_dragPosition = m_pressPosition;
        m_dragging = false;
    }
    QWidget::mousePressEvent(event);
}

void Chart::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && m_model.settings().userZoomAllowed) {
        m_dragPosition = event->position().toPoint();
        m_dragging = (m_dragPosition - m_pressPosition).manhattanLength() >= kDragThreshold;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void Chart::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint release = event->position().toPoint();
    const bool wasDragging = m_dragging;
    m_dragging = false;
    if (!wasDragging) {
        if (const std::optional<ChartHit> hit = pointAt(release)) {
            m_current = hit;
            accessibility::chartCurrentChanged(*this);
        }
        update();
        emit clicked();
        return;
    }
    if (release.x() < m_pressPosition.x() || release.y() < m_pressPosition.y()) {
        m_model.undoZoom();
        update();
        return;
    }
    const ChartLayout layout(m_model, QRectF(rect()));
    const auto from = layout.dataAt(QPointF(m_pressPosition));
    const auto to = layout.dataAt(QPointF(release));
    if (from && to) {
        // Screen y grows downwards, data upwards: the press is the top-left corner.
        m_model.zoomTo(UserZoom{AxisRange{from->x(), to->x()}, AxisRange{to->y(), from->y()}});
    }
    update();
}

void Chart::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // Taken before anyone hears of the double click: a listener may refill
        // the chart.
        const std::optional<ChartHit> hit = pointAt(event->position().toPoint());
        if (hit) {
            m_current = hit;
            currentChanged();
        }
        emit doubleClicked();
        if (hit) {
            emit pointActivated(hit->series, hit->point);
        }
    }
    QWidget::mouseDoubleClickEvent(event);
}

void Chart::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Mouse) {
        const std::optional<ChartHit> hit = pointAt(event->pos());
        if (hit) {
            m_current = hit;
            currentChanged();
        }
        openMenu(hit, event->globalPos());
    } else {
        openMenuForCurrent();
    }
    event->accept();
}

void Chart::openMenuForCurrent()
{
    const ChartLayout layout(m_model, QRectF(rect()));
    const std::optional<ChartHit> current = currentIn(layout);
    QPoint at = rect().center();
    if (current) {
        const QRectF box = layout.outline(*current).boundingRect();
        if (!box.isEmpty()) {
            at = box.center().toPoint();
        }
    }
    openMenu(current, mapToGlobal(at));
}

void Chart::openMenu(const std::optional<ChartHit> &hit, const QPoint &globalPosition)
{
    // Some platforms report the menu key both as a key and as a request for
    // the context menu: one menu is enough.
    if (m_pictureMenu->isVisible()) {
        return;
    }
    m_pictureMenu->clear();
    if (m_fillPointMenu) {
        m_fillPointMenu(*m_pictureMenu, hit);
        if (!m_pictureMenu->isEmpty()) {
            m_pictureMenu->addSeparator();
        }
    }
    m_pictureMenu->addAction(m_copyPicture);
    m_pictureMenu->addAction(m_savePicture);
    m_pictureMenu->popup(globalPosition);
}

void Chart::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (isMenuKey(*event)) {
        openMenuForCurrent();
        event->accept();
        return;
    }
    if (modifiers != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        moveCurrent(Move::Back);
        break;
    case Qt::Key_Right:
        moveCurrent(Move::Forward);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Only bars lying on their side run up the chart, the first lowest.
        if (!ChartLayout(m_model, QRectF(rect())).geometry().horizontalBars) {
            QWidget::keyPressEvent(event);
            return;
        }
        moveCurrent(event->key() == Qt::Key_Up ? Move::Forward : Move::Back);
        break;
    case Qt::Key_Home:
        moveCurrent(Move::First);
        break;
    case Qt::Key_End:
        moveCurrent(Move::Last);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const std::optional<ChartHit> current = currentPoint()) {
            emit pointActivated(current->series, current->point);
            break;
        }
        // Nothing to activate: the dialog's default button may want the key.
        QWidget::keyPressEvent(event);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void Chart::focusInEvent(QFocusEvent *event)
{
    // Coming in by Tab, the user needs a point to start from and to see.
    const bool tabbed =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (tabbed && !currentPoint()) {
        moveCurrent(Move::First);
    }
    update();
    QWidget::focusInEvent(event);
}

void Chart::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}

} // namespace vorin::chart
