#include "RecordRules.h"

#include "entrance/common/LogOperations.h"

#include <cmath>

namespace entrance {

namespace {
// The colour of a failed authentication.
constexpr TColor ErrorColor = 0x00829295;
} // namespace

TRecordClass ClassifyRecord(int operation, int result, TResultRule rule) {
    if (!IsEntry(operation) && !IsExit(operation))
        return {};
    const bool failed = rule == TResultRule::ZeroFails ? result == 0 : result != 1;
    if (failed)
        return {TRecordKind::Error, "エラー", "エラー", ErrorColor};
    switch (operation) {
    case OpFirstEntry:
        return {TRecordKind::Entry, "初入", "初入室", clBlue};
    case OpEntry:
        return {TRecordKind::Entry, "入", "入　室", clBlue};
    case OpLastExit:
        return {TRecordKind::Exit, "終退", "終退室", clRed};
    default:
        return {TRecordKind::Exit, "退", "退　室", clRed};
    }
}

void TRecordCounts::Add(TRecordKind kind) {
    switch (kind) {
    case TRecordKind::Entry:
        ++In;
        break;
    case TRecordKind::Exit:
        ++Out;
        break;
    case TRecordKind::Error:
        ++Error;
        break;
    case TRecordKind::None:
        break;
    }
}

int TRecordCounts::Rate() const {
    if (All() == 0)
        return 0;
    // nearbyint rounds in the default mode, to nearest with halves to even.
    return int(std::nearbyint(double(In + Out) / All() * 100.0));
}

QString ElapsedText(TDateTime latest, TDateTime now, TDateTime shownDay) {
    if (DateOf(shownDay) != DateOf(now))
        return QString();
    const qint64 seconds = WholeSeconds(now) - WholeSeconds(latest);
    if (seconds <= 0)
        return QString();
    return QString("%1時間%2分%3秒").arg(seconds / 3600).arg(seconds / 60 % 60).arg(seconds % 60);
}

bool WithinTwoMonths(TDateTime a, TDateTime b) {
    auto months = [](TDateTime date) {
        int year, month, day;
        DecodeDate(date, year, month, day);
        return year * 12 + month;
    };
    return std::abs(months(a) - months(b)) <= 1;
}

void TRecordCellSequencer::StartDay(const QString& firstKey) {
    FCurrentKey = firstKey;
    FHeadPending = true;
    FDaySumPlaced = false;
    FDayEnded = false;
    FPrevious = TCellKind::Blank;
}

TCellKind TRecordCellSequencer::Next(const std::optional<QString>& key, int row) {
    TCellKind kind;
    FDayEnded = false;
    if (key) {
        if (FHeadPending) {
            kind = TCellKind::Head;
            FHeadPending = false;
        } else if (*key != FCurrentKey) {
            kind = TCellKind::Sum;
            FCurrentKey = *key;
        } else {
            kind = FPrevious == TCellKind::Sum ? TCellKind::Head : TCellKind::Record;
        }
    } else {
        kind = FDaySumPlaced ? TCellKind::Blank : TCellKind::Sum;
        FDaySumPlaced = true;
        FDayEnded = row == FRows - 1;
    }
    FPrevious = kind;
    return kind;
}

} // namespace entrance
