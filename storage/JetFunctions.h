#pragma once

#include <QString>

struct sqlite3;

// Jet's LIKE: `*` any text, `?` one character, `#` one digit, `[ｱ-ｵ]` a class, `[!x]` a
// negated class; case is ignored. An unclosed "[" stands for itself.
bool JetLike(const QString& pattern, const QString& text);

// Reads a date and time as SQL text writes it: "m/d/yyyy", "m/d/yyyy h:n:s",
// "m/d/yyyy, h:n:s", "yyyy/m/d h:n:s", "yyyy-mm-dd hh:nn:ss" or a time alone "h:n[:s]";
// gives the day number. False when the text is none of these or names no real date.
bool ParseJetDateTime(const QString& text, double& result);

// The SQL function the dialect puts around values written into date and time columns:
// text becomes a day number, numbers and Null pass.
inline constexpr char DateValueFunction[] = "zz_datevalue";

// The SQL function (y, m, d, offset) giving the first day number of the day offset days after
// y-m-d (FirstValueOfDay): the bounds of the day for a range on a date column.
inline constexpr char DayStartFunction[] = "zz_daystart";

// The SQL function (y, m, d): 0 where the parts are whole numbers naming no date of 1..9999,
// so that the day-start range holds every value and the conditions on the parts decide; else 1.
inline constexpr char DayRangeExactFunction[] = "zz_dayrangeexact";

// Registers on a connection: CDbl, CInt, CLng, Year, Month, Day, Hour, Minute, Second,
// the aggregate First, Jet's LIKE in place of SQLite's, the date-value, day-start and
// day-range functions.
void RegisterJetFunctions(sqlite3* db);
