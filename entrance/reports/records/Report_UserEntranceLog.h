#pragma once

#include "entrance/reports/records/Report_RecordLog.h"

namespace entrance {

// The records grouped by person: a person's head line names the person, each record line
// the unit.
class TRep_UserEntranceLog final : public TRep_RecordLog {
    Q_OBJECT
public:
    explicit TRep_UserEntranceLog(QWidget* owner = nullptr);

protected:
    QString NameOfKey(const QString& key) const override;
    std::array<QString, 2> OtherSide(TDataSet& record) const override;
    QStringList GroupNameText(int code) const override;
};

} // namespace entrance
