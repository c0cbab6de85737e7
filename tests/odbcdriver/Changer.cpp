// Another program changing the data through the driver: runs each statement given, in order,
// on one connection, and says on standard error which one failed and why.
//   odbc_changer <connect string> <statement>...
#include <iostream>
#include <sql.h>
#include <sqlext.h>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: odbc_changer <connect string> <statement>...\n";
        return 2;
    }
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)argv[1], SQL_NTS, nullptr, 0,
                                        nullptr, SQL_DRIVER_NOPROMPT))) {
        std::cerr << "cannot connect: " << argv[1] << "\n";
        return 1;
    }
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    int failed = 0;
    for (int i = 2; i < argc && failed == 0; ++i) {
        SQLFreeStmt(st, SQL_CLOSE);
        if (SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR*)argv[i], SQL_NTS)))
            continue;
        SQLCHAR state[6] = {0}, message[512] = {0};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(SQL_HANDLE_STMT, st, 1, state, &native, message, sizeof message, &length);
        std::cerr << argv[i] << ": " << state << ": " << message << "\n";
        failed = 1;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return failed;
}
