#pragma once

#include "entrance/common/Unit_Common.h"

#include <QString>
#include <QStringList>

namespace entrance {

// At most this many operators may log in.
inline constexpr int MaxOperatorCount = 10;
// The first administrator, made by the login's registration: never deleted, always rank 0.
inline constexpr int FirstOperatorCode = 1;

// "管理者", "一般", "経理" by rank; anything else reads as "経理".
QString RankText(int rank);
// The ranks the logged-in operator may choose: all three for an administrator, else his own.
QStringList RankItems(const TOperatorRec& current);
// The rank stored for operator `code`, whose row holds `stored`, when the item `chosen` of
// RankItems is chosen: an administrator's choice, but nobody changes his own rank and operator
// 1 stays an administrator; anyone else's row keeps the rank it holds.
int StoredRank(int chosen, int code, int stored, const TOperatorRec& current);
// The message that refuses a save, empty when the operator may be stored.
QString OperatorSaveError(const QString& name, bool changePassword, const QString& password,
                          const QString& confirmation, bool nameTakenByOther);

} // namespace entrance
