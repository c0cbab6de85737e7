// One of two programs writing the same database file through the driver: once connected, says
// "ready" on standard error and waits for a line on standard input (so both start together),
// then inserts rows one by one, each its own transaction, and prints the longest time one insert
// took (milliseconds) and how many failed, with the first failure's diagnostic.
//   odbc_lock_writer <connect string> <writer number> <rows>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sql.h>
#include <sqlext.h>
#include <string>

namespace {

std::string Diagnostic(SQLHSTMT st) {
    SQLCHAR state[6] = {0}, message[512] = {0};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(SQL_HANDLE_STMT, st, 1, state, &native, message, sizeof message, &length);
    return std::string(reinterpret_cast<char*>(state)) + ": " + reinterpret_cast<char*>(message);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: odbc_lock_writer <connect string> <writer number> <rows>\n";
        return 2;
    }
    const std::string connect = argv[1], writer = argv[2];
    const int rows = std::atoi(argv[3]);
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS, nullptr,
                                        0, nullptr, SQL_DRIVER_NOPROMPT))) {
        std::cerr << "cannot connect: " << connect << "\n";
        return 1;
    }
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    std::cerr << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    double worst = 0;
    int failures = 0;
    std::string firstFailure;
    for (int i = 0; i < rows; ++i) {
        const std::string sql =
            "INSERT INTO 書込 (書き手, n) VALUES (" + writer + ", " + std::to_string(i) + ")";
        const auto start = std::chrono::steady_clock::now();
        const SQLRETURN rc = SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        worst = std::max(worst, took.count());
        if (!SQL_SUCCEEDED(rc) && failures++ == 0)
            firstFailure = Diagnostic(st);
        SQLFreeStmt(st, SQL_CLOSE);
    }
    std::cout << worst << " " << failures << " " << firstFailure << std::endl;
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 0;
}
