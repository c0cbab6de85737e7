#include "UserLogView.h"

#include "entrance/common/LogOperations.h"

namespace entrance {

QString OperationWord(int operation) {
    return IsEntry(operation) ? "入室" : "退室";
}

QList<TUnitCounts> CountsPerUnit(const QList<int>& unitIDs, const QList<TUserLogRecord>& records) {
    QList<TUnitCounts> counts(unitIDs.size());
    for (const TUserLogRecord& r : records) {
        const qsizetype row = unitIDs.indexOf(r.UnitID);
        if (row < 0)
            continue;
        if (IsEntry(r.Operation))
            ++counts[row].Entries;
        else
            ++counts[row].Exits;
    }
    return counts;
}

} // namespace entrance
