#pragma once

#include "ui/Form.h"

#include <QPointer>
#include <QStringList>
#include <memory>

class QLabel;
class QPushButton;
class QSpinBox;

namespace entrance {

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
    // The strip of twelve month panels pnl1 .. pnl12, Tag 1 .. 12 from the left. A click
    // marks the panel and those after it red; it has no further effect.
    QList<QLabel*> pnlMonths;

    void RefreshLogList();
    void btnOKClick();
    void pnl1Click(int tag);

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QLayout* CreateMonthPanels();
    void DeleteOldTables();
    bool DeleteLogTable(const QString& table, QString& busy);

    std::unique_ptr<TEntrance> FEntrance;
};

} // namespace entrance
