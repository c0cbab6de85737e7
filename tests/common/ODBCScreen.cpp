#include "odbc/ODBCScreen.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

namespace {

// The test programs over the database access library show its wait cursor and notices on
// the screen, as the programs do from their start.
const bool ScreenHandedIn = [] {
    SetODBCScreen({SetWaitCursor, ShowMessage});
    return true;
}();

} // namespace
