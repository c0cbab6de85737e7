#pragma once

#include "Handles.h"

// Texts between the driver and the application: UTF-8 bytes.
QString InText(const SQLCHAR* text, SQLINTEGER length);
// Copies a text out with its closing zero; a text cut to fit answers 01004 on the handle.
SQLRETURN OutText(OdbcHandle* h, const QString& text, SQLPOINTER buffer, SQLLEN bufferLength,
                  SQLSMALLINT* length16, SQLINTEGER* length32 = nullptr);
