#pragma once

#include "dbengine/Query.h"
#include "entrance/common/EditedFields.h"
#include "entrance/data/RecordCheck.h"
#include "ui/Form.h"

#include <QHash>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace entrance {

// The operators who may log in. An administrator sees and edits all of them; anyone else sees
// only his own row and changes only his name, note and password.
class TfrmOperatorSetup final : public TForm {
    Q_OBJECT
public:
    explicit TfrmOperatorSetup(QWidget* owner = nullptr);
    ~TfrmOperatorSetup() override;

    QTreeWidget* lstOperator;
    QLabel* pnlNowState;
    QLineEdit* Ed_Code;
    QLineEdit* Ed_Operator;
    QComboBox* cmbRank;
    QLineEdit* Ed_SubText;
    QCheckBox* ChkPassWDChange;
    QLineEdit* Ed_NewPassWD1;
    QLineEdit* Ed_NewPassWD2;
    QPushButton* btnOK;
    QPushButton* btnEdit;
    QPushButton* btnNew;
    QPushButton* btnDel;
    QPushButton* btnCancel;
    QPushButton* btnClose;

    void LoadList();
    int OperatorCount();
    int NextOperatorCode();
    bool NameTakenByOther();
    void ClearFields();
    void ShowNewMode();
    void ShowEditMode();
    void btnOKClick();
    void btnEditClick();
    void btnNewClick();
    void btnDelClick();
    void btnCancelClick();
    void cmbRankClick();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void StoreOperator(int code);
    // Sets the opened row's fields (a new row when there is none) and posts it.
    void WriteOperator(int code);
    void BackToFirst();
    // After a refusal: the operator as listed now, the typing kept in the fields changed.
    void ShowListedKeepingTyping(const QString& code);
    int QueryNumber(const QStringList& sql);
    bool IsAdministrator() const;

    TQuery sqlOperator;
    // Each listed operator as the list read him, by code; the one in the fields (none for a
    // new operator), which a save finds unchanged or refuses.
    QHash<int, TReadRows> FReadRows;
    TReadRows FAsRead;
    // The fields the operator changed since they were filled.
    TEditedFields FEdited;
};

} // namespace entrance
