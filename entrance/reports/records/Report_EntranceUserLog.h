#pragma once

#include "entrance/reports/records/Report_RecordLog.h"

namespace entrance {

// The records grouped by unit: a unit's head line names the unit, each record line the
// person.
class TRep_EntranceUserLog final : public TRep_RecordLog {
    Q_OBJECT
public:
    explicit TRep_EntranceUserLog(QWidget* owner = nullptr);

protected:
    QString NameOfKey(const QString& key) const override;
    std::array<QString, 2> OtherSide(TDataSet& record) const override;
    QStringList GroupNameText(int code) const override;
    bool WaitInNormalStyle() const override { return true; }
};

} // namespace entrance
