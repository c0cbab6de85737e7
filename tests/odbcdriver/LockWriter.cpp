// One of two programs writing the same database file through the driver: once connected, says
// "ready" on standard error and waits for a line on standard input (so both start together),
// then inserts rows one by one, each its own transaction, and prints the longest time one insert
// took (milliseconds) and how many failed, with the first failure's diagnostic.
//   odbc_lock_writer <connect string> <writer number> <rows>
#include "ProgramConnection.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: odbc_lock_writer <connect string> <writer number> <rows>\n";
        return 2;
    }
    const std::string connect = argv[1], writer = argv[2];
    const int rows = std::atoi(argv[3]);
    ProgramConnection c;
    if (!c.Connect(connect)) {
        std::cerr << "cannot connect: " << connect << "\n";
        return 1;
    }
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
        const SQLRETURN rc = SQLExecDirect(c.St, (SQLCHAR*)sql.c_str(), SQL_NTS);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        worst = std::max(worst, took.count());
        if (!SQL_SUCCEEDED(rc) && failures++ == 0)
            firstFailure = c.Diagnostic();
        SQLFreeStmt(c.St, SQL_CLOSE);
    }
    std::cout << worst << " " << failures << " " << firstFailure << std::endl;
    return 0;
}
