#pragma once

#include "dbengine/Database.h"
#include "entrance/data/UserRules.h"

namespace entrance {

// The 個人コード of each row a person query returns on "RORazu", its parameters bound.
inline QStringList PersonCodesOf(const TUserListQuery& q) {
    TQuery query;
    query.SetDatabaseName("RORazu");
    query.SQL().Assign(q.Lines);
    for (const auto& [name, value] : q.Params)
        query.ParamByName(name).SetAsString(value);
    QStringList codes;
    for (query.Open(); !query.Eof(); query.Next())
        codes << query.FieldByName("個人コード")->AsString();
    return codes;
}

} // namespace entrance
