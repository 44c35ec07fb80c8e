#pragma once

// A paint device that keeps no pixels but records every piece of text drawn
// on it: where its baseline starts, how wide it is, and the clip in force.
// Text placement can so be checked to the pixel without reading glyphs.

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>
#include <vector>

namespace vorin::testing {

struct RecordedText
{
    QString text;
    QPointF origin; // start of the baseline, in device pixels
    double width = 0;
    bool clipped = false;
    QRectF clip; // the clip's bounding rectangle in device pixels, when clipped
};

class TextRecorder final : public QPaintDevice
{
public:
    explicit TextRecorder(QSize size) : m_size(size), m_engine(*this) {}
    ~TextRecorder() override = default;
    TextRecorder(const TextRecorder &) = delete;
    TextRecorder &operator=(const TextRecorder &) = delete;

    [[nodiscard]] QPaintEngine *paintEngine() const override { return &m_engine; }

    std::vector<RecordedText> texts;

protected:
    [[nodiscard]] int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / 960;
        case PdmHeightMM:
            return m_size.height() * 254 / 960;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine final : public QPaintEngine
    {
    public:
        explicit Engine(TextRecorder &device) : QPaintEngine(AllFeatures), m_device(device) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        // Everything but text is dropped; the defaults would only hand each
        // shape on to another default.
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawImage(const QRectF &, const QImage &, const QRectF &,
                       Qt::ImageConversionFlags) override
        {}
        void drawTiledPixmap(const QRectF &, const QPixmap &, const QPointF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath &) override {}
        void drawRects(const QRectF *, int) override {}
        void drawRects(const QRect *, int) override {}
        void drawLines(const QLineF *, int) override {}
        void drawLines(const QLine *, int) override {}
        void drawEllipse(const QRectF &) override {}
        void drawEllipse(const QRect &) override {}
        void drawPoints(const QPointF *, int) override {}
        void drawPoints(const QPoint *, int) override {}
        void drawTextItem(const QPointF &origin, const QTextItem &item) override
        {
            const QPainter *p = painter();
            const QTransform toDevice = p->deviceTransform();
            m_device.texts.push_back(RecordedText{item.text(), toDevice.map(origin), item.width(),
                                                  p->hasClipping(),
                                                  toDevice.mapRect(p->clipBoundingRect())});
        }
        [[nodiscard]] Type type() const override { return User; }

    private:
        TextRecorder &m_device;
    };

    QSize m_size;
    mutable Engine m_engine;
};

} // namespace vorin::testing
