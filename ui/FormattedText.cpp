#include "ui/FormattedText.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QTextOption>
#include <cmath>

namespace {

// Enough for the different texts of a report's pages: names, codes, times, captions.
constexpr size_t MaxFormattedTexts = 4096;

qreal LineHeight(const QTextLine& line) {
    return line.ascent() + line.descent();
}

// How far right of its rectangle's left edge a text starts, `room` the width it leaves free.
qreal HorizontalOffset(int flags, qreal room) {
    if (flags & Qt::AlignRight)
        return room;
    return flags & Qt::AlignHCenter ? room / 2 : 0;
}

} // namespace

bool TFormattedText::IsPlain(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x9C)
            return false;
    return true;
}

// As QPainter: each line starts on the whole pixel below the one before it and the font's
// leading.
TFormattedText::TFormattedText(const QString& text, const QFont& font,
                               Qt::LayoutDirection direction, qreal lineWidth)
    : FLayout(text, font), FEmptyHeight(QFontMetricsF(font).height()) {
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft);
    FLayout.setTextOption(option);
    FLayout.setCacheEnabled(true);
    if (text.isEmpty())
        return;
    const qreal leading = QFontMetricsF(font).leading();
    qreal height = -leading;
    FLayout.beginLayout();
    for (QTextLine line = FLayout.createLine(); line.isValid(); line = FLayout.createLine()) {
        line.setLineWidth(lineWidth);
        height = std::ceil(height + leading);
        line.setPosition(QPointF(0, height));
        height += LineHeight(line);
    }
    FLayout.endLayout();
    // A line draws its decorations apart from its glyphs: those lines draw themselves.
    if (font.underline() || font.strikeOut() || font.overline())
        return;
    for (int i = 0; i < FLayout.lineCount(); ++i)
        FGlyphRuns << FLayout.lineAt(i).glyphRuns();
}

int TFormattedText::LinesDrawn(const QRectF& rect, int flags) const {
    const int lines = FLayout.lineCount();
    if (flags & Qt::TextDontClip)
        return lines;
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = FLayout.lineAt(i);
        if (line.y() + LineHeight(line) >= rect.height())
            return i + 1;
    }
    return lines;
}

QRectF TFormattedText::Bounds(const QRectF& rect, int flags) const {
    return Bounds(rect, flags, FLayout.lineCount());
}

QRectF TFormattedText::Bounds(const QRectF& rect, int flags, int lines) const {
    qreal width = 0, height = FEmptyHeight;
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = FLayout.lineAt(i);
        width = std::max(width, line.naturalTextWidth());
        height = line.y() + LineHeight(line);
    }
    qreal y = 0;
    if (flags & Qt::AlignBottom)
        y = rect.height() - height;
    else if (flags & Qt::AlignVCenter)
        y = (rect.height() - height) / 2;
    return QRectF(rect.x() + HorizontalOffset(flags, rect.width() - width), rect.y() + y, width,
                  height);
}

// Each line is placed by its own advance; the text is clipped only where it leaves `rect`.
void TFormattedText::Draw(QPainter& painter, const QRectF& rect, int flags) const {
    if (FLayout.text().isEmpty())
        return;
    const int lines = LinesDrawn(rect, flags);
    const QRectF bounds = Bounds(rect, flags, lines);
    const qreal top = bounds.y();
    const bool clip = !(flags & Qt::TextDontClip) && !rect.contains(bounds);
    if (clip) {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
    }
    // On a bitmap drawn unmoved, a line's glyphs kept as it placed them are drawn by themselves
    // (its own drawing lays out each part again); a PDF writer gets the line's text with them.
    const bool glyphs = !FGlyphRuns.isEmpty() &&
                        painter.paintEngine()->type() == QPaintEngine::Raster &&
                        painter.deviceTransform().isIdentity();
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = FLayout.lineAt(i);
        const QPointF origin(
            rect.x() + HorizontalOffset(flags, rect.width() - line.horizontalAdvance()), top);
        // Glyphs are placed from where the line starts on the same grid of 1/64 pixel as the
        // line places them, as long as it starts right of and below the surface's corner.
        if (glyphs && origin.x() >= 0 && origin.y() >= 0)
            for (const QGlyphRun& run : FGlyphRuns[i])
                painter.drawGlyphRun(origin, run);
        else
            line.draw(&painter, origin);
    }
    if (clip)
        painter.restore();
}

size_t TFormattedTexts::THash::operator()(const TKey& key) const {
    return qHashMulti(0, key.Text, int(key.Direction), key.LineWidth);
}

void TFormattedTexts::SetFont(const QFont& font) {
    for (const auto& fontTexts : FFonts)
        if (fontTexts->Font == font) {
            FCurrent = fontTexts.get();
            return;
        }
    FFonts.push_back(std::make_unique<TFontTexts>(TFontTexts{font, {}}));
    FCurrent = FFonts.back().get();
}

const TFormattedText& TFormattedTexts::Get(const QString& text, Qt::LayoutDirection direction,
                                           qreal lineWidth) {
    Q_ASSERT(FCurrent);
    TKey key{text, direction, lineWidth};
    auto& texts = FCurrent->Texts;
    auto found = texts.find(key);
    if (found != texts.end())
        return *found->second;
    if (texts.size() >= MaxFormattedTexts)
        texts.clear();
    auto formatted = std::make_unique<TFormattedText>(text, FCurrent->Font, direction, lineWidth);
    return *texts.emplace(std::move(key), std::move(formatted)).first->second;
}

void TFormattedTexts::Clear() {
    FFonts.clear();
    FCurrent = nullptr;
}
