#pragma once

#include "base/DateTime.h"
#include "entrance/data/UserRules.h"

#include <QString>

namespace entrance {

// What the person print dialog asks the person reports for.
struct TPersonReportRequest {
    int FilterMode = 0;            // 0 all; 1 one person; 2 one department
    int SortOrder = 0;             // 0 by code, 1 by reading, any other by end date
    TDateTime EndDateLimit = -1.0; // -1: no limit
    int DeptCode = 0;
    QString PersonCode{};
};

// The filter and order lines that follow a person report's SELECT, FROM and WHERE lines; the
// person code is a parameter, listed with its value.
TUserListQuery PersonReportFilterSQL(const TPersonReportRequest& request);
// The report's title: `base` and the order it is sorted in.
QString PersonReportTitle(const QString& base, int sortOrder);

} // namespace entrance
