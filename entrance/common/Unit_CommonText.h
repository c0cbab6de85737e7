#pragma once

#include "base/DateTime.h"

#include <QString>

namespace entrance {

// Numbers and text of the management program. Lengths and positions count code page 932
// bytes (a full-width character is 2); no routine returns half of a double-byte character.

// With `flag` 1 the first "." is dropped first; true when the rest is a whole decimal
// number (leading blanks and a sign allowed).
bool IsNumber(const QString& text, int flag);
// True when the text is a date in the form yyyy/mm/dd.
bool IsDateStr(const QString& text);
// The same, giving the date.
bool TryDateStr(const QString& text, TDateTime& date);
QString IntToStrPadSpace(int number, int width);
QString IntToStrPadZero(int number, int width);
QString IfThenStr(bool flag, const QString& a, const QString& b);
// The first `n` bytes; a character cut at the end is left out.
QString LeftStr(const QString& text, int n);
// The last `n` bytes; a character cut at the start is left out.
QString RightStr(const QString& text, int n);
// "12:営業部" gives "12" and "営業部"; both are empty when the item holds no ":".
QString CodePartOf(const QString& item);
QString NamePartOf(const QString& item);
// The business office in use is always code 1.
int CurrentOfficeCode();

// Trimming of ASCII blanks and full-width blanks (U+3000), nothing else.
QString TrimJ(const QString& text);
void TrimLeftJ(QString& text);
void TrimRightJ(QString& text);
// Whether byte `index` (1-based) of the text in code page 932 is the second byte of a
// double-byte character; raises Exception "Illegal Index" outside 1..length.
bool IsTrailByteAt(const QString& text, int index);

// Option bits of StrConv; contradicting bits (upper and lower, full and half width,
// katakana and hiragana) make the conversion fail.
enum : int {
    SC_UPPERCASE = 1,
    SC_LOWERCASE = 2,
    SC_FULLWIDTH = 4,
    SC_HALFWIDTH = 8,
    SC_KATAKANA = 16,
    SC_HIRAGANA = 32,
};
// Character-form conversion as the Japanese locale maps it; the result holds at most 1024
// bytes; empty when the options contradict each other.
QString StrConv(const QString& text, int options);

} // namespace entrance
