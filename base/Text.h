#pragma once

#include <QByteArray>
#include <QString>

// Text as the units, the requests between the programs and the byte limits see it:
// Shift-JIS as Windows writes it (code page 932), where a full-width character is 2 bytes.

QByteArray ToCP932(const QString& text);
QString FromCP932(const QByteArray& bytes);
// The text of a file: UTF-8 as this system writes its files, or code page 932 where the bytes
// are no UTF-8 (a file written in code page 932).
QString DecodeTextFile(const QByteArray& bytes);
// Bytes the text takes in code page 932.
int CP932Length(const QString& text);
bool IsDBCSLeadByte(unsigned char byte);
// The longest head of `text` that fits in `bytes` bytes; never half a character.
QString CutCP932(const QString& text, int bytes);
// `bytes` bytes from byte `start` (0-based); a character cut at either end is left out.
QString MidCP932(const QString& text, int start, int bytes);

// Trimming that takes the full-width blank (U+3000) and control characters as blanks.
QString TrimFull(const QString& text);
QString TrimLeftFull(const QString& text);
QString TrimRightFull(const QString& text);

// Character-form conversion, as the Windows locale maps it.
QString ToFullWidth(const QString& text);
QString ToHalfWidth(const QString& text);
QString ToKatakana(const QString& text);
QString ToHiragana(const QString& text);
