#pragma once

#include "base/DateTime.h"
#include "ui/Color.h"

#include <QString>
#include <optional>

namespace entrance {

// How an entry or exit record reads and counts, shared by the live view and the record
// reports.

enum class TRecordKind { None, Entry, Exit, Error };

// Which results are failures: the record reports count only 0 as a failure, the live view
// everything but 1.
enum class TResultRule { ZeroFails, OneSucceeds };

struct TRecordClass {
    TRecordKind Kind = TRecordKind::None;
    // The short text of a list line ("入"), and the summary's text of a latest record ("入　室").
    QString LineText;
    QString SummaryText;
    TColor Color = clBlack;
};

// The class of a record by its operation and result; None for an operation other than 11, 12,
// 21 and 22.
TRecordClass ClassifyRecord(int operation, int result, TResultRule rule);

// The counts of a run of records and their rate of good authentications.
struct TRecordCounts {
    int In = 0;
    int Out = 0;
    int Error = 0;
    void Add(TRecordKind kind);
    int All() const { return In + Out + Error; }
    // The good ones in hundredths of all, to the nearest integer, a half to the even one; 0
    // when there is no record.
    int Rate() const;
};

// The time since the latest record as "1時間5分12秒": nothing unless `shownDay` is today's date
// and the record lies before `now`. Full date and time are compared, to the whole second.
QString ElapsedText(TDateTime latest, TDateTime now, TDateTime shownDay);

// Whether a period lies within two calendar months (31 December to 1 January does, 30
// November to 1 January does not), in either order.
bool WithinTwoMonths(TDateTime a, TDateTime b);

// What a cell of a day's page grid holds.
enum class TCellKind { Head, Record, Sum, Blank };

// Lays a day's records into the cells of its pages, top to bottom: each group of records
// (a person's or a unit's) opens with a head line and closes with a sum line; a group that
// does not fit continues at the top of the next page without a head line; after the day's
// last sum line the cells stay blank to the end of the page, so every day starts a page.
class TRecordCellSequencer {
public:
    explicit TRecordCellSequencer(int rows) : FRows(rows) {}
    // A day begins with the group of its first record.
    void StartDay(const QString& firstKey);
    // The kind of the cell at `row`, given the group key of the current record (none when the
    // day's records are used up). A sum line with a record left makes its group current.
    TCellKind Next(const std::optional<QString>& key, int row);
    // The last cell laid out was the page's last and the day's records are used up.
    bool DayEnded() const { return FDayEnded; }
    const QString& CurrentKey() const { return FCurrentKey; }

private:
    int FRows;
    QString FCurrentKey;
    bool FHeadPending = true;
    bool FDaySumPlaced = false;
    bool FDayEnded = false;
    TCellKind FPrevious = TCellKind::Blank;
};

} // namespace entrance
