#include "DataModule3.h"

#include "DataModule1.h"

#include "dbengine/Query.h"

namespace entrance {

TDM3::TDM3() {
    SetName("DM3");
    sqlUsers = NewQuery(this, "sqlUsers", "RORazu");
    sqlEntrance = NewQuery(this, "sqlEntrance", QString());
    sqlPrintEntGroup = NewQuery(this, "sqlPrintEntGroup", "RORazu");
}

TDM3::~TDM3() {
    DestroyComponents();
}

} // namespace entrance
