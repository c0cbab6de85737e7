// Another program changing the data through the driver: runs each statement given, in order,
// on one connection, and says on standard error which one failed and why.
//   odbc_changer <connect string> <statement>...
#include "ProgramConnection.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: odbc_changer <connect string> <statement>...\n";
        return 2;
    }
    ProgramConnection c;
    if (!c.Connect(argv[1])) {
        std::cerr << "cannot connect: " << argv[1] << "\n";
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        SQLFreeStmt(c.St, SQL_CLOSE);
        if (!SQL_SUCCEEDED(SQLExecDirect(c.St, (SQLCHAR*)argv[i], SQL_NTS))) {
            std::cerr << argv[i] << ": " << c.Diagnostic() << "\n";
            return 1;
        }
    }
    return 0;
}
