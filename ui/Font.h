#pragma once

#include "ui/Color.h"

#include <QFont>
#include <QString>

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A font as the screens and reports describe it: a face name, a size in points, a colour
// and styles. The Japanese Windows faces are drawn with the IPA fonts (SubstituteFontName).
class TFont {
public:
    QString Name = "ＭＳ Ｐゴシック";
    int Size = 9;
    TColor Color = clWindowText;
    TFontStyles Style = 0;

    // The height in pixels at `pixelsPerInch`, negative as the character height (without
    // the internal leading); setting a height sets the size it stands for.
    int Height(int pixelsPerInch = 96) const;
    void SetHeight(int height, int pixelsPerInch = 96);

    // The Qt font for a device of `pixelsPerInch` dots per inch.
    QFont ToQFont(int pixelsPerInch = 96) const;

    bool operator==(const TFont&) const = default;
};

// The installed family that stands for a Windows face name ("ＭＳ 明朝", "ＭＳ ゴシック"); any
// other name is returned as it is.
QString SubstituteFontName(const QString& name);
