#pragma once

#include "RecordCheck.h"
#include "UserRules.h"

#include "base/DateTime.h"

#include <QList>
#include <QString>
#include <QStringList>

class TQuery;

namespace entrance {

// A person's rows in the Access database ("RORazu"), the code always bound as a parameter.
// Database errors are raised unless a function says otherwise.

// Whether any person is stored (finger-code rows left out).
bool HasUsers();
bool CodeExistsInUsers(const QString& code);
bool CodeExistsInTotals(const QString& code);
// The stored row of the code holds an image.
bool HasAuthImage(const QString& code);
// The leftover attendance total of a code that is given to a person.
void DeleteTotalsRow(const QString& code);
// The person's rows in M_個人情報, M_勤務表合計 and M_勤務表 deleted, and every row of the
// person in M_使用認証機 marked 削除, in one transaction; false, rolled back, when that fails.
// The marked rows stay until each unit confirms the removal.
bool DeleteUserRows(const QString& code);
// Moves the person's unit rows in use to a new code; the removals waiting keep the old one.
void RenameUnitRows(const QString& oldCode, const QString& newCode);

// The units of the person's rows in use (finger-code rows left out), in 認証機ID order.
QList<int> UsedUnitsOf(const QString& code);
// Inserts a row for each unit, unregistered, in one transaction.
void InsertUnitRows(const QString& code, const QList<int>& units);
// Marks the person's rows of these units 削除, finger-code rows included, in one transaction.
void MarkUnitRowsRemoving(const QString& code, const QList<int>& units);

// The columns of M_個人情報 that the person screen shows and stores; 0 (-1 for the sex) stands
// for an empty column.
struct TUserRecord {
    QString Code;
    QString Name;
    QString Kana;
    int Dept = 0;
    TDateTime ValidEnd = 0;
    QString Yubin;
    QString Addr1;
    QString Addr2;
    QString Tel;
    TDateTime Birth = 0;
    int Sex = -1;
    QString Blood;
    bool HasImage = false; // read only: written by the communication program
};
// False when no row has the code. `asRead` keeps the row as read, for the store's check.
bool LoadUserRecord(const QString& code, TUserRecord& record, TReadRows& asRead);
// Stores the person in one transaction: a new person (`currentCode` empty, nothing read) is
// inserted, a stored one updated under `currentCode` while its row still holds what `asRead`
// holds (ERecordChanged otherwise); a code given anew loses its leftover attendance total, and
// a changed code takes the person's unit rows along. `asRead` then holds the row as stored.
void StoreUserRecord(const TUserRecord& record, const QString& currentCode, TReadRows& asRead);
// A query on "RORazu" with the list's lines and parameter values.
void AssignListQuery(TQuery& query, const TUserListQuery& list);

// The departments as the person lists offer them, "部門コード:部門名", in 部門コード order.
QStringList DepartmentItems();

// Whether M_個人情報 has the column ユーザーレベル (added by the communication program).
bool UsersHaveLevel();

} // namespace entrance
