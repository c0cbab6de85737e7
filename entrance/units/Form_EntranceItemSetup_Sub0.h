#pragma once

#include "dbengine/Query.h"
#include "entrance/common/EditedFields.h"
#include "entrance/data/RecordCheck.h"
#include "ui/Form.h"

#include <QPointer>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TDBQueryODBC;

namespace entrance {

// The unit dialog: a unit's name and optional operating hours, for a new unit or an existing
// one. It writes the unit's row of the unit table and frees itself when it closes.
class TfrmEntranceItemSetup_Sub0 final : public TForm {
    Q_OBJECT
public:
    // `poll` is the owner's change poll, stopped while the dialog shows.
    TfrmEntranceItemSetup_Sub0(QWidget* owner, QTimer* poll);
    ~TfrmEntranceItemSetup_Sub0() override;

    QLabel* StaticTextID;
    QLineEdit* EditName;
    QCheckBox* CheckKadou;
    QGroupBox* GroupKadou;
    QLineEdit* EditStartH;
    QLineEdit* EditStartM;
    QLineEdit* EditEndH;
    QLineEdit* EditEndM;
    QLabel* lblMoveState;
    QPushButton* BitBtnOK;
    QPushButton* BtnCancel;

    // Shows the dialog modally for the unit; 1 when it closed through a button, 2 when it
    // was closed from its title bar.
    int ExecuteUnitDialog(int unitID, bool isNew);

    void BitBtnOKClick();
    void BtnCancelClick();
    void CheckKadouClick();

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    // The fields empty, then filled from the unit's row unless it is new.
    void FillFields();
    void ReadUnit();
    // Opens Query1 on the unit's row as the dialog reads it.
    void OpenUnitRow();
    // The columns a save writes: for an existing unit only those the operator changed here,
    // never what the communication program writes (作動状況, the tamper states).
    QStringList WrittenColumns() const;
    void WriteUnit(bool withHours, double start, double end);
    // After a refusal: the unit as stored now, the typing kept in the fields changed.
    void ShowStoredKeepingTyping();

    TQuery Query1;
    std::unique_ptr<TDBQueryODBC> sqlEntrance;
    QPointer<QTimer> FPoll;
    int FUnitID = 0;
    bool FIsNew = false;
    // The unit as the dialog read it; nothing for a new one.
    TReadRows FAsRead;
    // The fields the operator changed since the dialog filled them.
    TEditedFields FEdited;
};

} // namespace entrance
