#pragma once

#include "entrance/common/EditedFields.h"
#include "entrance/data/UserRows.h"
#include "ui/Form.h"

#include <QPointer>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TClientSocket;
class TDisabledScope;
class TStrSortGrid;
class TTabSet;

namespace entrance {

// The person screen: the person list with its filters, and the person on screen, entered anew
// or edited, stored, deleted (with the removal from the units), with the doors to the units the
// person may use and to the image read.
//
// State: `CurrentCode` is empty while a new person is entered and holds the stored code while
// one is edited; `Modified` tells the operator changed something since the last load, store or
// cancel, and is clear only while the fields show what is stored; `Loading` is set while the
// screen fills the fields itself, so that its own changes do not count as the operator's.
// While a dialog, the wait window or a request works for the screen, the screen is disabled
// and refuses to close.
class TfrmUserEntry final : public TForm {
    Q_OBJECT
public:
    explicit TfrmUserEntry(QWidget* owner = nullptr);
    ~TfrmUserEntry() override;

    // The code of the stored person on screen; empty while a new person is entered.
    QString GetCurrentUserCode() const { return CurrentCode; }
    // After the image dialog: the list and the person are read again.
    void AfterImageRead(const QString& Code);
    bool ImageReadOk = false;

    TStrSortGrid* UserGrid;
    QRadioButton* RadioAll;
    QRadioButton* RadioUnEntry1;
    QComboBox* cmbCategory;
    QComboBox* cmbKana;
    QComboBox* cmbUserCode;
    QPushButton* btnClear;
    QLabel* pnlUserCount;
    QLabel* lblNowState;
    QLineEdit* Ed_Code;
    QLineEdit* Ed_Name;
    QLineEdit* Ed_Kana;
    QLineEdit* Ed_Category;
    QComboBox* cmbUserCategory;
    QLineEdit* DEd_ValidEnd;
    QLineEdit* Ed_Yubin;
    QLineEdit* Ed_Addr1;
    QLineEdit* Ed_Addr2;
    QLineEdit* Ed_TEL;
    QLineEdit* Ed_birth;
    QLabel* St_Age;
    QLineEdit* Ed_Sex;
    TTabSet* PageControl1;
    QComboBox* cmbBlood;
    QPushButton* btnEdit;
    QPushButton* btnNew;
    QPushButton* btnOK;
    QPushButton* btnEnterCancel;
    QPushButton* btnDel;
    QPushButton* btnCLOSE;
    QPushButton* btnPrint;
    QPushButton* btnEntrance;
    QPushButton* btnImage;
    QStatusBar* StatusBar1;
    // The link check before an image read over the network.
    TClientSocket* ClientSocket1;

    bool Modified() const { return FModified; }
    void RadioAllClick();
    void btnEditClick();
    void btnNewClick();
    // True when the person was stored.
    bool SaveUser();
    void btnOKClick();
    void btnEnterCancelClick();
    void btnDelClick();
    void btnEntranceClick();
    void btnImageClick();
    void btnPrintClick();
    void Ed_CodeExit();
    void Ed_birthExit();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateEditControls();
    void FormCreate();
    void SetModified(bool Value);
    void ClearModified() { SetModified(false); }
    bool ConfirmSaveChanges(int Mode);
    // The fields show the stored person again, or an empty new entry.
    void DiscardChanges();
    bool LocateUser(const QString& Code);
    // The list's highlight moves to the row of the person `code`, when it is listed.
    void SelectListedUser(const QString& code);
    void SetCurrentCode(const QString& Code);
    void ShowUser(const TUserRecord& record);
    void ShowAge();
    void ShowImageState(bool hasImage);
    void ShowState();
    void UserGridClick();
    void Ed_CategoryChange();
    void Ed_SexTyped(const QString& text);
    // Reads the fields; false, with a message and the focus on the field, for a bad date.
    bool ReadFields(TUserRecord& record);
    // Takes the typed birth date into BirthDate; false after the message for a bad one.
    bool ReadBirth();
    // After a refusal: the person as stored now, the operator's typing kept in the fields they
    // changed.
    void ShowStoredKeepingTyping();
    void DeleteUser(const QString& code);
    void OpenImageDialog(const QString& code, const QString& name);

    bool FModified = false;
    bool Loading = false;
    QString CurrentCode;
    // The stored person as the fields were filled from it; empty for a new entry.
    TReadRows AsRead;
    int ClickedRow = 0;
    bool FromGridClick = false;
    // Set while the screen moves the list's highlight itself: that is no click of the operator.
    bool Relisting = false;
    // The fields the operator changed since the person was shown.
    TEditedFields Edited;
    TDateTime BirthDate = 0;
    bool HasImage = false;
    // Held from an image read's link check until the dialog opens or the check fails.
    std::unique_ptr<TDisabledScope> FLinkCheck;
};

} // namespace entrance
