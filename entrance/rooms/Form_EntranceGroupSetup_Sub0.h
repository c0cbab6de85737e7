#pragma once

#include "dbengine/Query.h"
#include "entrance/common/EditedFields.h"
#include "entrance/data/RecordCheck.h"
#include "ui/Form.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class TMOStringGrid;
class TStringGrid;

namespace entrance {

class TEntrance;

// Moves the selected unit (ID and name) of `source` to the end of `target`. Both grids keep
// their rows packed from row 1 and at least one, possibly empty, row. Nothing happens when
// the source's selected row holds no unit.
void MoveGridUnit(TStringGrid* source, TStringGrid* target);

// The room dialog: a room's name and its units, chosen from the units in no room. Saving
// replaces the room's rows in one transaction; a room left without units is deleted.
class TfrmEntranceGroupSetup_Sub0 final : public TForm {
    Q_OBJECT
public:
    explicit TfrmEntranceGroupSetup_Sub0(QWidget* owner);

    QLineEdit* Ed_Name;
    QLineEdit* Ed_Code;
    TMOStringGrid* EntGrid;
    TMOStringGrid* GroupGrid;
    QPushButton* btnInsert;
    QPushButton* btnDelete;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    // Fills the dialog with room `code` (a new room when it has no rows) and shows it modally;
    // true when it was saved.
    bool ExecuteRoomDialog(TEntrance& entrance, int code);

    void btnInsertClick();
    void btnDeleteClick();
    void btnOKClick();
    void btnCancelClick();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void FillGrids(int code);
    // The name and the units of the room in Ed_Code as stored.
    void FillRoom();
    // The units in no other room and not in the room's grid.
    void FillFreeUnits();
    // The rows of the room's grid that hold a unit.
    QList<int> UnitRows() const;
    // After a refusal: the room as stored now, the typing kept in the fields changed.
    void ShowStoredKeepingTyping();
    // Opens sqlGroup on the rows of the room in Ed_Code, in 認証機ID order.
    void OpenRoomRows();
    // Opens sqlGroup on the rows of every other room, in 認証機ID order.
    void OpenOtherRooms();
    // Raises, naming the unit, when a unit of the room's grid is in another room now.
    void CheckUnitsInNoOtherRoom();
    void SaveRoom();

    TQuery sqlGroup;
    TEntrance* FEntrance = nullptr;
    bool FNewRoom = false;
    // The room's rows as the dialog read them; none for a new room.
    TReadRows FAsRead;
    // The name and the unit grid when the operator changed them since the dialog filled them.
    TEditedFields FEdited;
};

// A grid of units: ID (centred) and name, the selected row in the selection colours.
void SetUpUnitGrid(TMOStringGrid* grid);

} // namespace entrance
