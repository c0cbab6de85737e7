#pragma once

#include "entrance/reports/printsetup/Form_PrintSetupLog.h"

#include <QList>
#include <QPointer>

class QComboBox;

namespace entrance {

// The print dialog by room: the day or month totals of one room's units, or its stays.
class TfrmPrintSetupByRoom final : public TfrmPrintSetupLog {
    Q_OBJECT
public:
    explicit TfrmPrintSetupByRoom(QWidget* owner = nullptr);

    QComboBox* cmbGroup;
    // The 認証機グループコード of each room of cmbGroup, index for index.
    QList<int> RoomCodes;

protected:
    void CreateTargetControls(QBoxLayout* layout) override;
    bool FillTargets() override;
    TLogReportRequest Request(const TReportPeriod& period) const override;
    void RunRecords(const TLogReportRequest& request) override;
};

} // namespace entrance
