#pragma once

#include "protocol/UnitFrame.h"

#include <QString>
#include <QStringList>

namespace entrance {

// The operations (操作種別) of a log record that the log views and reports count.
inline bool IsEntry(int operation) {
    return operation == OpFirstEntry || operation == OpEntry;
}

inline bool IsExit(int operation) {
    return operation == OpLastExit || operation == OpExit;
}

// The condition that admits exactly those: "((操作種別 = 11) OR ... (操作種別 = 22))", the
// column qualified with `q` ("<table>.") where a query joins another table.
inline QString EntryExitCondition(const QString& q = QString()) {
    QStringList terms;
    for (const int operation : {OpFirstEntry, OpEntry, OpLastExit, OpExit})
        terms << "(" + q + "操作種別 = " + QString::number(operation) + ")";
    return "(" + terms.join(" OR ") + ")";
}

} // namespace entrance
