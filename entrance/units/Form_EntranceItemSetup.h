#pragma once

#include "dbengine/Query.h"
#include "ui/Form.h"
#include "ui/Rect.h"

#include <QPointer>

class QPushButton;
class QTimer;
class TMOStringGrid;

namespace entrance {

// The unit list: every unit with its name, operating hours, running state and tamper state.
// It adds, edits and deletes units, asks the communication program to release a unit's
// tamper alarm, and prints the list. It follows the communication program's changes by the
// unit table's file time, polled every second.
class TfrmEntranceItemSetup final : public TForm {
    Q_OBJECT
public:
    explicit TfrmEntranceItemSetup(QWidget* owner = nullptr);
    ~TfrmEntranceItemSetup() override;

    TMOStringGrid* StringGridEx1;
    QPushButton* btnAddNew;
    QPushButton* BitBtnEdit;
    QPushButton* btnDelete;
    QPushButton* btnTanpa;
    QPushButton* BtnPrint;
    QPushButton* BtnClose;
    QTimer* Timer1;

    void RefreshUnitGrid();
    void BitBtnEditClick();
    void btnAddNewClick();
    void btnDeleteClick();
    void btnTanpaClick();
    void BtnPrintClick();
    void Timer1Timer();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void RunUnitDialog(int unitID, bool isNew);
    void DeleteUnit(int unitID);
    void StringGridEx1DrawCell(int col, int row, const TRect& rect);

    TQuery sqlEntrance;
    TQuery sqlEntsub;
    // The unit table's file time seen last; 0 before the first poll.
    TDateTime FFileTime = 0;
};

} // namespace entrance
