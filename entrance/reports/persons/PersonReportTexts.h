#pragma once

#include "base/DateTime.h"

#include <QString>

namespace entrance {

// How the person reports print a person's columns.

// "男" for 0, "女" for 1; empty for an empty column or any other value, so a row never shows
// the sex of the row before it.
QString SexWord(bool isNull, int sex);
// "2026/03/05"; empty for no date (0).
QString EndDateText(TDateTime date);
// The age in full years on today; empty for no birth date (0).
QString AgeText(TDateTime birth);
// The birth date of the person sheet in its era, without leading zeros: "昭和51年 5月 2日";
// empty for no date (0).
QString BirthDayText(TDateTime birth);
// The print date of the person sheet and matrix, without leading zeros: "2026/3/5".
QString PlainSlashDate(TDateTime date);

} // namespace entrance
