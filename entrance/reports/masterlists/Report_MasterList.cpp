#include "Report_MasterList.h"

#include "dbengine/Query.h"

namespace entrance {

void TRep_MasterList::ReadOfficeName() {
    TQuery sqlJigyosyo;
    sqlJigyosyo.SetDatabaseName(AccessDatabaseName);
    sqlJigyosyo.SQL().Assign(QStringList{"select 事業所名 from M_事業所", "where 事業所コード=1;"});
    sqlJigyosyo.Open();
    FOfficeName =
        sqlJigyosyo.IsEmpty() ? QString() : sqlJigyosyo.FieldByName("事業所名")->AsString();
    sqlJigyosyo.Close();
}

} // namespace entrance
