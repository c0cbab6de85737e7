#include "Handles.h"

SQLRETURN OdbcHandle::Post(const char* state, const QString& message, SQLINTEGER native) {
    Diags.append(DiagRecord{QByteArray(state), native, message});
    return QByteArray(state).startsWith("01") ? SQL_SUCCESS_WITH_INFO : SQL_ERROR;
}
