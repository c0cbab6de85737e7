#pragma once

#include <QImage>
#include <QLine>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QString>
#include <memory>

// What a drawing left on the recording device: a line (pen width), a run of pixels (a
// thin line, first and last pixel), a filled rectangle, or a text.
struct TDrawn {
    enum Kind { Line, Pixels, Fill, Text, Path } kind;
    QLine line;    // Line and Pixels: the ends; Fill: top left and bottom right
    int width = 0; // pen width
    QString text;
    QPointF at; // Text: baseline origin
};

// A paint device that records what is drawn on it in device pixels, at 96 dots per inch.
class TRecordingDevice : public QPaintDevice {
public:
    TRecordingDevice(int width, int height);
    ~TRecordingDevice() override;
    QPaintEngine* paintEngine() const override;
    QList<TDrawn> Drawn;
    // Only the lines and pixel runs.
    QList<TDrawn> Lines() const;
    // All texts drawn, one after another.
    QString Texts() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int FWidth, FHeight;
    std::unique_ptr<QPaintEngine> FEngine;
};
