#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;

// A text laid out once as QPainter lays out a text in a rectangle (lines on whole pixels,
// wrapped at a width or not at all), then measured and drawn by alignment flags in any
// rectangle, pixel for pixel as QPainter::boundingRect and QPainter::drawText would: laying
// a text out is most of the cost of drawing it, and a report draws the same texts on every
// page.
class TFormattedText {
public:
    // The line width of a text that is not wrapped.
    static constexpr qreal Unwrapped = 0x01000000;
    // Whether QPainter lays the text out as it is: it changes line breaks, tabs and length
    // variants first.
    static bool IsPlain(const QString& text);

    // `text` is plain; `font` is the painter's.
    TFormattedText(const QString& text, const QFont& font, Qt::LayoutDirection direction,
                   qreal lineWidth);
    TFormattedText(const TFormattedText&) = delete;
    TFormattedText& operator=(const TFormattedText&) = delete;

    // The box the whole text takes in `rect` by the Qt::AlignmentFlag and Qt::TextFlag
    // `flags`.
    QRectF Bounds(const QRectF& rect, int flags) const;
    // Draws the text into `rect`, clipped to it unless `flags` say Qt::TextDontClip.
    void Draw(QPainter& painter, const QRectF& rect, int flags) const;

private:
    // The lines QPainter lays out before it draws: those up to the first that reaches the
    // bottom of `rect`, unless not clipped.
    int LinesDrawn(const QRectF& rect, int flags) const;
    QRectF Bounds(const QRectF& rect, int flags, int lines) const;

    QTextLayout FLayout;
    QList<QList<QGlyphRun>> FGlyphRuns;
    qreal FEmptyHeight;
};

// The texts a canvas has laid out, by font, then by text, direction and line width, for as
// long as it draws on one device; past a few thousand in a font it lets them go and starts
// again.
class TFormattedTexts {
public:
    // The painter's font, set whenever the canvas changes it: texts are laid out in it.
    void SetFont(const QFont& font);
    const TFormattedText& Get(const QString& text, Qt::LayoutDirection direction, qreal lineWidth);
    void Clear();

private:
    struct TKey {
        QString Text;
        Qt::LayoutDirection Direction;
        qreal LineWidth;
        bool operator==(const TKey&) const = default;
    };
    struct THash {
        size_t operator()(const TKey& key) const;
    };
    struct TFontTexts {
        QFont Font;
        std::unordered_map<TKey, std::unique_ptr<TFormattedText>, THash> Texts;
    };
    // A report draws in a few fonts; the canvas changes its font far less often than it draws.
    std::vector<std::unique_ptr<TFontTexts>> FFonts;
    TFontTexts* FCurrent = nullptr;
};
