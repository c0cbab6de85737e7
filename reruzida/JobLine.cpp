#include "JobLine.h"

#include <QStringList>

namespace reruzida {

TJobLine::TJobLine(TCommDriver& driver, TSendCommand send)
    : Driver(driver), FSend(std::move(send)) {}

bool TJobLine::SendCommand(int unit, const QByteArray& command, const QString& code,
                           const QByteArray& tail) const {
    return FSend(unit, command, code, tail);
}

bool TJobLine::IsValidUnit(int unit) const {
    return Driver.IsValidUnit(unit);
}

QString TJobLine::UnitFilter() const {
    QStringList terms;
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        if (IsValidUnit(unit))
            terms << "M_使用認証機.認証機ID=" + QString::number(unit);
    return terms.join(" OR ");
}

} // namespace reruzida
