#pragma once

#include "entrance/reports/printsetup/Form_PrintSetupLog.h"

#include <QPointer>

class QComboBox;

namespace entrance {

// The print dialog by unit: the day or month totals, or the records, of one unit or of all.
class TfrmPrintSetupByEntrance final : public TfrmPrintSetupLog {
    Q_OBJECT
public:
    explicit TfrmPrintSetupByEntrance(QWidget* owner = nullptr);

    QRadioButton* RadioItem;
    QRadioButton* RadioAll;
    QComboBox* cmbItem;

    void RadioItemClick();

protected:
    void CreateTargetControls(QBoxLayout* layout) override;
    bool FillTargets() override;
    TLogReportRequest Request(const TReportPeriod& period) const override;
    void RunRecords(const TLogReportRequest& request) override;
};

} // namespace entrance
