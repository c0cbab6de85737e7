#pragma once

#include "dbengine/Query.h"
#include "entrance/common/EditedFields.h"
#include "entrance/data/RecordCheck.h"
#include "ui/Form.h"

#include <QHash>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class TMOStringGrid;

namespace entrance {

// The departments: the list in code order with their number, and one entry (code and name)
// that adds, renames or deletes a department. `Modified` says the entry holds typed text not
// stored yet; `NewMode` that the entry is a new department. Leaving a changed entry asks to
// store it first, and a store that fails keeps the entry where it is.
class TfrmCategorySetup final : public TForm {
    Q_OBJECT
public:
    explicit TfrmCategorySetup(QWidget* owner = nullptr);
    ~TfrmCategorySetup() override;

    TMOStringGrid* CategoryGrid;
    QLabel* pnlCateCount;
    QLineEdit* Ed_Code;
    QLineEdit* Ed_Name;
    QPushButton* btnOK;
    QPushButton* btnCANCEL;
    QPushButton* btnDELETE;
    QPushButton* BitBtn3;
    QPushButton* BitBtn2;
    QPushButton* btnClose;

    void LoadGrid();
    bool DeptInUse(int code);
    bool CodeExists(const QString& text) const;
    // False when the operator chose to store and the store failed: the entry stays.
    bool AskSave();
    void ResetEntry();
    void SelectRow(int row);
    // False when a check refused the entry.
    bool btnOKClick();
    void btnCANCELClick();
    void btnDELETEClick();
    void BitBtn2Click();
    void BitBtn3Click();
    void CategoryGridClick();

    bool Modified = false;
    bool NewMode = false;

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void Refuse(int message, QLineEdit* field);
    void StoreDepartment(int code, const QString& name);
    // After a refusal: the department as listed now, the typing kept in the fields changed.
    void ShowListedKeepingTyping(int code);
    // Moves the list's highlight without its click: the entry stays as it is.
    void HighlightEntryRow(int row);
    void DeleteDepartment(int code);
    QList<int> ListedCodes() const;

    TQuery sqlCategory;
    TQuery sqlUser;
    // The grid row whose values the entry fields hold.
    int FEntryRow = 1;
    // Each listed department as the list read it, by code; the one in the entry fields (none
    // for a new department), which a save finds unchanged or refuses.
    QHash<int, TReadRows> FReadRows;
    TReadRows FAsRead;
    // The entry fields the operator changed since they were filled.
    TEditedFields FEdited;
};

} // namespace entrance
