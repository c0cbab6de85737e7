#pragma once

#include "base/DateTime.h"
#include "entrance/UserRules.h"

#include <QString>

// What the person print dialog asks the person reports for.
struct TPersonReportRequest {
    int FilterMode = 0;            // 0 all; 1 one person; 2 one department
    int SortOrder = 0;             // 0 by code, 1 by reading, any other by end date
    TDateTime EndDateLimit = -1.0; // -1: no limit
    int DeptCode = 0;
    QString PersonCode;
};

// The filter and order lines that follow a person report's SELECT, FROM and WHERE lines; the
// person code is a parameter, listed with its value.
TUserListQuery PersonReportFilterSQL(const TPersonReportRequest& request);
// The report's title: `base` and the order it is sorted in.
QString PersonReportTitle(const QString& base, int sortOrder);

// What leaving the typed end-date limit does. The typed box may only move the limit to an
// earlier or the same day; a later day is picked from the calendar or with "今　日".
enum class TTypedLimit {
    Taken,   // `date` holds the typed day, which the calendar takes
    NotDate, // the box shows the calendar's day again
    Later,   // after the calendar's day: the box shows the calendar's day again
};
TTypedLimit CheckTypedLimit(const QString& text, TDateTime pickerDate, TDateTime& date);
