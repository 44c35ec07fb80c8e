#include "chart/Chart.h"

#include "chart/ChartLayout.h"
#include "chart/ChartPainter.h"
#include "platform/Messages.h"
#include "widgets/SaveFile.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardPaths>

namespace vorin::chart {

namespace {
// Below this many pixels of travel a press and release is a click, not a zoom.
constexpr int kDragThreshold = 5;

const SaveFileKind kPicture{QStringLiteral("Save as PNG"), QStringLiteral("PNG pictures (*.png)"),
                            QStringLiteral("png"), QStandardPaths::PicturesLocation};

} // namespace

Chart::Chart(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_model, &ChartModel::changed, this, qOverload<>(&QWidget::update));

    m_pictureMenu = new QMenu(this);
    m_pictureMenu->setObjectName(QStringLiteral("PictureMenu"));
    m_copyPicture = m_pictureMenu->addAction(QStringLiteral("Copy picture"));
    m_copyPicture->setObjectName(QStringLiteral("CopyPicture"));
    connect(m_copyPicture, &QAction::triggered, this, [this] { copyPicture(); });
    m_savePicture = m_pictureMenu->addAction(QStringLiteral("Save as PNG…"));
    m_savePicture->setObjectName(QStringLiteral("SavePictureAsPng"));
    connect(m_savePicture, &QAction::triggered, this, [this] { savePicture(); });
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
    if (m_dragging) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DashLine));
        painter.drawRect(QRect(m_pressPosition, m_dragPosition).normalized());
    }
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
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

void Chart::contextMenuEvent(QContextMenuEvent *event)
{
    m_pictureMenu->popup(event->globalPos());
    event->accept();
}

} // namespace vorin::chart
