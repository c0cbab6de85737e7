#pragma once

#include <QList>
#include <QString>

namespace entrance {

// The highest department code; codes run from 1.
inline constexpr int MaxDepartmentCode = 99;

// The message number that refuses a department entry, 0 when it may be stored. The code must
// be digits only (a sign or a decimal point would reach the SQL text); `codes` are the codes
// already listed, checked only for a new entry.
int DepartmentEntryError(const QString& code, const QString& name, bool newMode,
                         const QList<int>& codes);
// The code proposed for a new department after the listed one with the highest code: 1 when
// the list holds no number, 0 (none) when every code up to the highest is taken.
int ProposedDepartmentCode(const QString& lastCode);

} // namespace entrance
