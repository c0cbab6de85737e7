#pragma once

#include "dbengine/Query.h"
#include "ui/Form.h"

#include <QPointer>
#include <memory>

class QPushButton;
class TMOStringGrid;

namespace entrance {

class TEntrance;

// The rooms: named groups of units. It adds a room with the smallest free code, edits a
// room's name and units in the room dialog, deletes rooms and prints the units by room.
class TfrmEntranceGroupSetup final : public TForm {
    Q_OBJECT
public:
    explicit TfrmEntranceGroupSetup(QWidget* owner = nullptr);
    ~TfrmEntranceGroupSetup() override;

    TMOStringGrid* GroupGrid;
    TMOStringGrid* EntGrid;
    QPushButton* btnAddNew;
    QPushButton* btnEdit;
    QPushButton* btnDelete;
    QPushButton* btnPRINT;
    QPushButton* btnCLOSE;

    void LoadRoomList();
    void LoadRoomGrid();
    // Bound to both btnAddNew and btnEdit; the sender tells them apart.
    void btnAddNewClick(QObject* Sender);
    void btnDeleteClick();
    void btnPRINTClick();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    // The code of a new room, or -1 when every unit is in a room already.
    int NewRoomCode();

    TQuery sqlGroup;
    std::unique_ptr<TEntrance> FEntrance;
};

} // namespace entrance
