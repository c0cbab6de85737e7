#pragma once

#include <QString>

// Whole numbers from text as the programs read them: leading blanks, an optional sign,
// decimal digits only, and a value that fits 32 bits.
bool TryStrToInt(const QString& text, int& value);
// Raises EConvertError "'<text>' is not a valid integer value".
int StrToInt(const QString& text);
