#include "DepartmentRules.h"

#include "entrance/common/Unit_CommonText.h"

#include <algorithm>

namespace entrance {

namespace {

bool AllDigits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

} // namespace

int DepartmentEntryError(const QString& code, const QString& name, bool newMode,
                         const QList<int>& codes) {
    if (!AllDigits(code) || code.size() > 2)
        return 65123;
    if (TrimJ(name).isEmpty())
        return 65125;
    const int value = code.toInt();
    if (value < 1 || value > MaxDepartmentCode)
        return 65127;
    if (newMode && codes.contains(value))
        return 65126;
    return 0;
}

int ProposedDepartmentCode(const QString& lastCode) {
    const QString code = lastCode.trimmed();
    const int next = AllDigits(code) ? code.toInt() + 1 : 1;
    return next <= MaxDepartmentCode ? next : 0;
}

} // namespace entrance
