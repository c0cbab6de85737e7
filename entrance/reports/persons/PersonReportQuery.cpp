#include "PersonReportQuery.h"

#include "entrance/common/Unit_CommonDates.h"

namespace entrance {

TUserListQuery PersonReportFilterSQL(const TPersonReportRequest& request) {
    TUserListQuery q;
    if (request.FilterMode == 2) {
        q.Lines << QString("AND (M_個人情報.部門コード=%1)").arg(request.DeptCode);
    } else if (request.FilterMode == 1) {
        q.Lines << "AND (M_個人情報.個人コード=:code)";
        q.Params << qMakePair(QString("code"), request.PersonCode);
    }
    if (request.EndDateLimit != -1.0)
        q.Lines << "AND (M_個人情報.有効終了日<=" + DateToAccessLiteral(request.EndDateLimit) + ")";
    if (request.SortOrder == 0)
        q.Lines << "ORDER BY M_個人情報.個人コード";
    else if (request.SortOrder == 1)
        q.Lines << "ORDER BY M_個人情報.ﾌﾘｶﾞﾅ, M_個人情報.個人コード";
    else
        q.Lines << "ORDER BY M_個人情報.有効終了日, M_個人情報.個人コード";
    return q;
}

QString PersonReportTitle(const QString& base, int sortOrder) {
    if (sortOrder == 0)
        return base + " (個人コード順)";
    if (sortOrder == 1)
        return base + " (フリガナ順)";
    return base + " (有効終了日順)";
}

} // namespace entrance
