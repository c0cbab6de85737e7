#pragma once

#include "ui/Form.h"

#include <QPointer>
#include <QStringList>
#include <memory>

class QLabel;
class QPushButton;
class QSpinBox;
class TEntrance;

// The deletion of old monthly log tables: shows the period the log tables cover and deletes
// the tables of the months before the last N, N chosen from 1 to 12. A month after the current
// one goes only on its own confirmation; the current month always stays.
class TfrmLogDelete final : public TForm {
    Q_OBJECT
public:
    explicit TfrmLogDelete(QWidget* owner = nullptr);
    ~TfrmLogDelete() override;

    QLabel* pnlActiveDte;
    QSpinBox* UpDownMonth;
    QPushButton* btnOK;
    QPushButton* btnCANCEL;
    // Per log table its year, "_" and month, in month order.
    QStringList lstLog;

    void RefreshLogList();
    void btnOKClick();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void DeleteOldTables();
    bool DeleteLogTable(const QString& table);

    std::unique_ptr<TEntrance> FEntrance;
};

extern QPointer<TfrmLogDelete> frmLogDelete;
