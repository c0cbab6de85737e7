#pragma once

#include "base/DateTime.h"
#include "ui/Form.h"

#include <QPointer>
#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class TMOStringGrid;
class TQuery;

namespace entrance {

class TEntrance;
class TPickedDate;
class TUsers;

// The record viewer: one person's valid entries and exits of one day, one line per record,
// with the entries and exits per unit beside them; the doors to the person picker and to the
// print dialog by person.
class TfrmEntranceUserLogViewPrint final : public TForm {
    Q_OBJECT
public:
    explicit TfrmEntranceUserLogViewPrint(QWidget* owner = nullptr);
    ~TfrmEntranceUserLogViewPrint() override;

    QLabel* Label1;
    QComboBox* cmbName;
    QLineEdit* Ed_EnterDate;
    QDateEdit* Ed_sDate;
    QPushButton* btnUserSearch;
    QPushButton* btnLogView;
    TMOStringGrid* LogGrid;
    TMOStringGrid* EntGrid1;
    QPushButton* btnDayPrint;
    QPushButton* btnCLOSE;
    QStatusBar* StatusBar1;

    void btnLogViewClick();
    void btnUserSearchClick();
    void btnDayPrintClick();

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    void ClearGrids();
    // The 個人コード of the person chosen or typed in cmbName.
    QString ChosenCode() const;
    void ShowRecords(const QString& code, TDateTime day);
    QWidget* DialogOwner() const;

    std::unique_ptr<TEntrance> EntranceList;
    std::unique_ptr<TUsers> UserList;
    std::unique_ptr<TQuery> sqlLog;
    TPickedDate* EnterDate;
};

} // namespace entrance
