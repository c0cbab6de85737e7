#pragma once

#include "db/DataSource.h"
#include "dbengine/Query.h"
#include "entrance/common/EditedFields.h"
#include "entrance/data/RecordCheck.h"
#include "ui/Form.h"

#include <QPointer>

class QPushButton;
class TDBEdit;

namespace entrance {

// The business office: the one row of M_事業所, edited in place through data-bound fields for
// as long as the screen is open. Its name is also kept in the registry value "CompanyName",
// which the report headers and the main window show.
class TfrmCompanySetup final : public TForm {
    Q_OBJECT
public:
    explicit TfrmCompanySetup(QWidget* owner = nullptr);
    ~TfrmCompanySetup() override;

    TDBEdit* DBEdit1;
    TDBEdit* DBEdit2;
    TDBEdit* DBEdit3;
    TDBEdit* DBEdit5;
    TDBEdit* DBEdit6;
    TDBEdit* DBEdit7;
    TDBEdit* DBEdit8;
    TDBEdit* DBEdit9;
    TDBEdit* DBEdit4;
    QPushButton* btnOK;
    QPushButton* btnPrint;
    QPushButton* btnClose;

    void btnOKClick();
    void btnPrintClick();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    // Posts the row, then copies its name to the registry, so the two never disagree. False,
    // after the message, when another terminal changed or deleted the row since it was read.
    bool SaveOffice();
    // The columns the fields show and store.
    QStringList ShownColumns() const;
    QList<TDBEdit*> ShownEdits() const;
    // Opens the row, read now, in edit.
    void OpenOffice();
    // After a refusal: the row as stored now, the typing kept in the fields changed.
    void ShowStoredKeepingTyping();

    TQuery sqlCompany;
    TDataSource DS1;
    // The row as the fields were filled from it, or as last stored.
    TReadRows FAsRead;
    // The fields the operator changed since the row was read.
    TEditedFields FEdited;
};

} // namespace entrance
