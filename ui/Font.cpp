#include "ui/Font.h"

#include <QHash>
#include <cmath>

namespace {

int MulDiv(int number, int numerator, int denominator) {
    return int(std::lround(double(number) * numerator / denominator));
}

} // namespace

int TFont::Height(int pixelsPerInch) const {
    return -MulDiv(Size, pixelsPerInch, 72);
}

void TFont::SetHeight(int height, int pixelsPerInch) {
    Size = MulDiv(std::abs(height), 72, pixelsPerInch);
}

QFont TFont::ToQFont(int pixelsPerInch) const {
    QFont font(SubstituteFontName(Name));
    font.setPixelSize(std::max(1, MulDiv(Size, pixelsPerInch, 72)));
    font.setBold(Style & fsBold);
    font.setItalic(Style & fsItalic);
    font.setUnderline(Style & fsUnderline);
    font.setStrikeOut(Style & fsStrikeOut);
    return font;
}

QString SubstituteFontName(const QString& name) {
    // Full-width and half-width spellings of the Windows faces both occur.
    static const QHash<QString, QString> table{
        {"ＭＳ 明朝", "IPAMincho"},
        {"MS 明朝", "IPAMincho"},
        {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"MS P明朝", "IPAPMincho"},
        {"ＭＳ ゴシック", "IPAGothic"},
        {"MS ゴシック", "IPAGothic"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"MS Pゴシック", "IPAPGothic"},
        {"ＭＳ ＵＩ Ｇｏｔｈｉｃ", "IPAPGothic"},
        {"MS UI Gothic", "IPAPGothic"},
        {"MS Sans Serif", "IPAPGothic"},
        {"System", "IPAPGothic"},
    };
    return table.value(name, name);
}
