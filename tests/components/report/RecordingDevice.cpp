#include "RecordingDevice.h"

#include <QPainter>
#include <QPainterPath>

namespace {

class TRecordingEngine : public QPaintEngine {
public:
    explicit TRecordingEngine(TRecordingDevice* device)
        : QPaintEngine(AllFeatures), FDevice(device) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyPen)
            FPen = state.pen();
    }
    void drawLines(const QLine* lines, int count) override {
        for (int i = 0; i < count; ++i)
            FDevice->Drawn << TDrawn{TDrawn::Line, lines[i], FPen.width(), {}, {}};
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            FDevice->Drawn << TDrawn{TDrawn::Line, lines[i].toLine(), FPen.width(), {}, {}};
    }
    void drawPoints(const QPointF* points, int count) override {
        if (count > 0)
            FDevice->Drawn << TDrawn{TDrawn::Pixels,
                                     QLine(points[0].toPoint(), points[count - 1].toPoint()),
                                     FPen.width(),
                                     {},
                                     {}};
    }
    void drawPoints(const QPoint* points, int count) override {
        if (count > 0)
            FDevice->Drawn << TDrawn{
                TDrawn::Pixels, QLine(points[0], points[count - 1]), FPen.width(), {}, {}};
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i)
            FDevice->Drawn << TDrawn{
                TDrawn::Fill,
                QLine(rects[i].topLeft().toPoint(), rects[i].bottomRight().toPoint()),
                0,
                {},
                {}};
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        FDevice->Drawn << TDrawn{TDrawn::Text, {}, 0, item.text(), p};
    }
    void drawPath(const QPainterPath& path) override {
        const QRect box = path.boundingRect().toAlignedRect();
        FDevice->Drawn << TDrawn{
            TDrawn::Path, QLine(box.topLeft(), box.bottomRight()), FPen.width(), {}, {}};
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        drawPath(path);
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

private:
    TRecordingDevice* FDevice;
    QPen FPen;
};

} // namespace

TRecordingDevice::TRecordingDevice(int width, int height)
    : FWidth(width), FHeight(height), FEngine(std::make_unique<TRecordingEngine>(this)) {}

TRecordingDevice::~TRecordingDevice() = default;

QPaintEngine* TRecordingDevice::paintEngine() const {
    return FEngine.get();
}

int TRecordingDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return FWidth;
    case PdmHeight:
        return FHeight;
    case PdmWidthMM:
        return FWidth * 254 / 960;
    case PdmHeightMM:
        return FHeight * 254 / 960;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDepth:
        return 32;
    case PdmNumColors:
        return INT_MAX;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    default:
        return 0;
    }
}

QList<TDrawn> TRecordingDevice::Lines() const {
    QList<TDrawn> lines;
    for (const TDrawn& d : Drawn)
        if (d.kind == TDrawn::Line || d.kind == TDrawn::Pixels)
            lines << d;
    return lines;
}

QString TRecordingDevice::Texts() const {
    QString texts;
    for (const TDrawn& d : Drawn)
        if (d.kind == TDrawn::Text)
            texts += d.text;
    return texts;
}
