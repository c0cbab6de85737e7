#include "ODBCCall.h"

EODBCError::EODBCError(const TqoErrorInfo& info) : Exception(info.ErrorMessage), FInfo(info) {}

void RaiseComponentError(const QString& componentName, const QString& text) {
    throw EODBCError({"<None>", "00000", 0, componentName + ": " + text});
}

void TqoPendingError::AddRecord(const QString& state, int32_t native, const QString& text) {
    if (FInfo.FunctionName.isEmpty())
        FInfo.FunctionName = "SQL" + CallLabel;
    if (FInfo.SQLState.isEmpty())
        FInfo.SQLState = state.left(5);
    if (FInfo.NativeError == 0)
        FInfo.NativeError = native;
    FInfo.ErrorMessage =
        FInfo.ErrorMessage.isEmpty() ? text : FInfo.ErrorMessage + Separator + text;
    FPending = true;
}

void TqoPendingError::SetText(const QString& text) {
    FInfo.ErrorMessage = text;
    FPending = true;
}

namespace {

constexpr int MessageBufSize = 512;

QString MessageText(const SQLCHAR* message, SQLSMALLINT length) {
    const int len = qBound(0, int(length), MessageBufSize - 1);
    return QString::fromUtf8(reinterpret_cast<const char*>(message), len);
}

} // namespace

void TqoPendingError::ReadDiagnosticsODBC3(TODBCCLI& cli, SQLSMALLINT handleType,
                                           SQLHANDLE handle) {
    for (SQLSMALLINT record = 1; record <= 10; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[MessageBufSize] = {};
        SQLSMALLINT length = 0;
        // A message longer than the buffer comes cut, with a warning: still a record.
        if (!SQL_SUCCEEDED(cli.SQLGetDiagRec(handleType, handle, record, state, &native, message,
                                             SQLSMALLINT(MessageBufSize), &length)))
            break;
        AddRecord(QString::fromLatin1(reinterpret_cast<char*>(state)), native,
                  MessageText(message, length));
    }
}

void TqoPendingError::ReadDiagnosticsODBC2(TODBCCLI& cli, SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt) {
    forever {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[MessageBufSize] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(cli.SQLError(env, dbc, stmt, state, &native, message,
                                        SQLSMALLINT(MessageBufSize), &length)))
            break;
        AddRecord(QString::fromLatin1(reinterpret_cast<char*>(state)), native,
                  MessageText(message, length));
    }
}

void TqoPendingError::Raise() {
    if (!FPending)
        return;
    const TqoErrorInfo info = FInfo;
    FPending = false;
    FInfo = {};
    throw EODBCError(info);
}
