#pragma once

#include "odbc/ODBCAPI.h"

#include <QString>
#include <cstdint>

// What one failed ODBC call (or a misuse) reports.
struct TqoErrorInfo {
    QString FunctionName;
    QString SQLState;
    int32_t NativeError = 0;
    QString ErrorMessage;
};

// A failure of an ODBC call or a misuse of the library; its message is ErrorMessage.
class EODBCError : public Exception {
public:
    explicit EODBCError(const TqoErrorInfo& info);
    const QString& FunctionName() const { return FInfo.FunctionName; }
    const QString& SQLState() const { return FInfo.SQLState; }
    int32_t NativeError() const { return FInfo.NativeError; }
    const QString& ErrorMessage() const { return FInfo.ErrorMessage; }

private:
    TqoErrorInfo FInfo;
};

// Raises the misuse error of a component: "<None>", "00000", 0 and "name: text".
[[noreturn]] void RaiseComponentError(const QString& componentName, const QString& text);

// The diagnostics of the calls an operation makes, kept until the operation ends: the first
// record names the function, state and native code, every record's text is joined.
class TqoPendingError {
public:
    // The label of the ODBC call being made, such as "Prepare".
    QString CallLabel;
    QString Separator = " & ";

    bool Pending() const { return FPending; }
    // Merges one diagnostic record of the call named by CallLabel.
    void AddRecord(const QString& state, int32_t native, const QString& text);
    // A pending error of the library's own; function name and state stay as they are.
    void SetText(const QString& text);
    // Up to 10 records through SQLGetDiagRec on one handle.
    void ReadDiagnosticsODBC3(TODBCCLI& cli, SQLSMALLINT handleType, SQLHANDLE handle);
    // Every record SQLError gives for the three handles.
    void ReadDiagnosticsODBC2(TODBCCLI& cli, SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt);
    // Raises and clears the pending error, when there is one.
    void Raise();
    void Clear() {
        FPending = false;
        FInfo = {};
    }

private:
    bool FPending = false;
    TqoErrorInfo FInfo;
};
