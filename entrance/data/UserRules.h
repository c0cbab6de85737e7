#pragma once

#include "base/DateTime.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

namespace entrance {

// The person screen's rules that need no window: the list's filters, the birth date as typed
// and shown, the checks before a person is stored, and what storing the units a person may use
// does to M_使用認証機 and to the removal request.

// Which persons the person list and the person picker show.
struct TUserListFilter {
    bool Unregistered = false;  // only persons without a name; the other filters are ignored
    QString Dept = "0";         // "0" any, "<未登録>" none, else a department code
    QString Kana{};             // a LIKE pattern start, such as "[ｱ-ｵ]"
    QString Code{};             // the code's first characters
    bool WorkGroupOnly = false; // only persons with a work group (the person picker's mode 1)
};
// The department filter of the department combo's text: the part before ":", "<未登録>", a
// typed number, or "0".
QString DeptFilterOf(const QString& comboText);

// The list's SQL lines; typed filters are parameters, listed with their values.
struct TUserListQuery {
    QStringList Lines;
    QList<QPair<QString, QString>> Params;
};
TUserListQuery UserListSQL(const TUserListFilter& filter, bool withLevel);

// The birth date as typed: empty, Western ("1976/5/12") or by era ("S51/5/12").
enum class TBirthInput {
    Empty,     // the date is cleared
    Date,      // `date` holds it
    NotDate,   // "日付を入力して下さい。"
    NotNumber, // a part of an era date is no number: `error` holds the conversion's message
};
TBirthInput ParseBirthText(const QString& text, TDateTime& date, QString& error);
// "S51/5/12": the era initial, the era year, month and day without leading zeros.
QString BirthEraText(TDateTime date);

// Characters a person code may not hold: the request lines between the programs split on them.
bool IsValidPersonCode(const QString& code);

// What storing the person on screen does, decided by the first failing check.
enum class TSaveAction {
    Store,        // store as typed
    StoreOldCode, // store with the code reverted to the current one
    Refuse,       // store nothing
};
enum class TSaveFocus { None, Code, Name };
struct TSaveCheck {
    TSaveAction Action = TSaveAction::Store;
    QString Message; // shown before acting; empty for none
    TSaveFocus Focus = TSaveFocus::None;
    bool RevertCode = false; // the code field shows the current code again
};
// The person as typed, and the stored rows the checks look at.
struct TSaveInput {
    QString Code; // trimmed
    QString Name;
    QString CurrentCode; // empty while a new person is entered
    std::function<bool(const QString&)> CodeExists;
    std::function<bool(const QString&)> HasImage;
};
TSaveCheck CheckSaveUser(const TSaveInput& input);

// One unit of the units dialog.
struct TUnitTick {
    int ID = 0;
    bool Used = false;
};
// Rows to insert, and units whose removal from the unit is handed to the communication
// program before their rows are marked 削除; each in grid order. `used` are the units of the
// person's rows in use.
struct TUnitStorePlan {
    QList<int> Insert;
    QList<int> Remove;
};
TUnitStorePlan PlanUnitStore(const QList<TUnitTick>& ticks, const QList<int>& used);
// One "code,unit" line per unit, each ended by CR LF.
QString RemovalRequestText(const QString& code, const QList<int>& units);

} // namespace entrance
