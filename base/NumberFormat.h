#pragma once

#include <QString>

// A decimal number from text ("12.5", "-3"); raises EConvertError
// "'<text>' is not a valid floating point value" otherwise.
double StrToFloat(const QString& text);

// A number through a picture: "0" a digit always shown, "#" a digit shown when needed, "."
// the decimal point, "," thousands grouped, quoted text as it stands; up to three sections
// "positive;negative;zero". An empty picture gives the shortest exact text.
QString FormatFloat(const QString& format, double value);

// Text through an edit mask "mask;keep literals;blank": the placeholders 0 9 # L l A a C c
// take the text's characters in turn, other mask characters stand as they are ("\" quotes
// one), ">" and "<" change case. With keep literals "0" the text holds no literals.
QString FormatMaskText(const QString& editMask, const QString& value);
