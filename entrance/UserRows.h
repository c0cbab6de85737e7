#pragma once

#include "UserRules.h"

#include <QList>
#include <QString>

// A person's rows in the Access database ("RORazu"), the code always bound as a parameter.
// Database errors are raised unless a function says otherwise.

bool CodeExistsInUsers(const QString& code);
bool CodeExistsInTotals(const QString& code);
// The stored row of the code holds an image.
bool HasAuthImage(const QString& code);
// The leftover attendance total of a code that is given to a person.
void DeleteTotalsRow(const QString& code);
// The person's rows in M_個人情報, M_勤務表合計, M_勤務表 and M_使用認証機, in one transaction;
// false, rolled back, when that fails.
bool DeleteUserRows(const QString& code);
// Moves the person's unit rows to a new code.
void RenameUnitRows(const QString& oldCode, const QString& newCode);

// The person's units (finger-code rows left out), in 認証機ID order.
QList<TUnitRowState> UnitRowsOf(const QString& code);
// The units on which the person is registered and not being removed: the removal request.
QList<int> RegisteredUnitsOf(const QString& code);
// Inserts the plan's new rows and deletes the rows that need no removal request.
void ApplyUnitInserts(const QString& code, const TUnitStorePlan& plan);
// Deletes the person's rows of these units, finger-code rows included, in one transaction.
void DeleteUnitRows(const QString& code, const QList<int>& units);
