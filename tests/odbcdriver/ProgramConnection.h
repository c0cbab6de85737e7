#pragma once

#include <sql.h>
#include <sqlext.h>
#include <string>

// The one connection of a test program that another test starts: through the driver manager,
// with one statement.
struct ProgramConnection {
    SQLHENV Env = nullptr;
    SQLHDBC Dbc = nullptr;
    SQLHSTMT St = nullptr;

    // False when it cannot connect.
    bool Connect(const std::string& connect) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &Env);
        SQLSetEnvAttr(Env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, Env, &Dbc);
        if (!SQL_SUCCEEDED(SQLDriverConnect(Dbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS,
                                            nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
            return false;
        SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St);
        return true;
    }
    ~ProgramConnection() {
        if (St)
            SQLFreeHandle(SQL_HANDLE_STMT, St);
        SQLDisconnect(Dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, Dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, Env);
    }
    // "state: message" of the statement's first diagnostic.
    std::string Diagnostic() const {
        SQLCHAR state[6] = {0}, message[512] = {0};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(SQL_HANDLE_STMT, St, 1, state, &native, message, sizeof message, &length);
        return std::string(reinterpret_cast<char*>(state)) + ": " +
               reinterpret_cast<char*>(message);
    }
};
