#pragma once

#include "Handles.h"

// Texts between the driver and the application: UTF-8 through the narrow calls, UTF-16
// through the wide ones (the W entry points).
QString InText(const SQLCHAR* text, SQLINTEGER length);
// `length` counts characters (UTF-16 units), or is SQL_NTS.
QString InTextW(const SQLWCHAR* text, SQLINTEGER length);

// A caller's buffer for a text result. Its size, and the length reported, count bytes, or
// characters where the call says so (the wide calls' names and messages).
struct TextOut {
    SQLPOINTER Buffer = nullptr;
    SQLLEN Size = 0;
    bool Wide = false;
    bool CountsCharacters = false;
};
inline TextOut Narrow(SQLPOINTER buffer, SQLLEN size) {
    return TextOut{buffer, size, false, false};
}
inline TextOut WideBytes(SQLPOINTER buffer, SQLLEN size) {
    return TextOut{buffer, size, true, false};
}
inline TextOut WideCharacters(SQLPOINTER buffer, SQLLEN size) {
    return TextOut{buffer, size, true, true};
}

// Copies as much of a text as fits, never half a character, with its closing zero; `whole`
// receives the whole text's length. True when the text was cut.
bool CopyText(const QString& text, const TextOut& out, SQLLEN& whole);
// CopyText for a call's result: a text cut to fit answers 01004 on the handle.
SQLRETURN OutText(OdbcHandle* h, const QString& text, const TextOut& out, SQLSMALLINT* length16,
                  SQLINTEGER* length32 = nullptr);
