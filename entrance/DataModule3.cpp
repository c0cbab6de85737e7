#include "DataModule3.h"

#include "dbengine/Query.h"

TDM3* DM3 = nullptr;

namespace {

TQuery* NewQuery(TComponent* owner, const QString& name, const QString& databaseName) {
    auto* query = new TQuery(owner);
    query->SetName(name);
    query->SetDatabaseName(databaseName);
    return query;
}

} // namespace

TDM3::TDM3() {
    SetName("DM3");
    sqlUsers = NewQuery(this, "sqlUsers", "RORazu");
    sqlEntrance = NewQuery(this, "sqlEntrance", QString());
    sqlPrintEntGroup = NewQuery(this, "sqlPrintEntGroup", "RORazu");
}

TDM3::~TDM3() {
    DestroyComponents();
}
