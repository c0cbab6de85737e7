#include "Form_EntranceItemSetup_Sub0.h"

#include "Unit_EntranceItems.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/data/DataModule1.h"
#include "odbc/ODBCDSet.h"
#include "ui/ImeMode.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace entrance {

TfrmEntranceItemSetup_Sub0::TfrmEntranceItemSetup_Sub0(QWidget* owner, QTimer* poll)
    : TForm(owner), sqlEntrance(std::make_unique<TDBQueryODBC>()), FPoll(poll) {
    CreateControls();
    sqlEntrance->SetDSName("EntParaODBC");
    sqlEntrance->SetODBCVersion(ODBC35);
    sqlEntrance->SetReadOnly(true);
    hide();
}

TfrmEntranceItemSetup_Sub0::~TfrmEntranceItemSetup_Sub0() = default;

void TfrmEntranceItemSetup_Sub0::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    auto* idRow = new QHBoxLayout;
    StaticTextID = new QLabel(this);
    StaticTextID->setFrameShape(QFrame::Panel);
    StaticTextID->setMinimumWidth(40);
    idRow->addWidget(new QLabel("認証機ID", this));
    idRow->addWidget(StaticTextID);
    idRow->addStretch();
    layout->addLayout(idRow);
    auto* nameRow = new QHBoxLayout;
    EditName = new QLineEdit(this);
    SetMaxBytes(EditName, 30);
    SetImeMode(EditName, imHira);
    EditName->setMinimumWidth(260);
    EditName->installEventFilter(this);
    nameRow->addWidget(new QLabel("認証機名", this));
    nameRow->addWidget(EditName, 1);
    layout->addLayout(nameRow);
    CheckKadou = new QCheckBox("稼働時間を設定する", this);
    layout->addWidget(CheckKadou);
    GroupKadou = new QGroupBox(this);
    auto* times = new QGridLayout(GroupKadou);
    auto timeEdit = [this] {
        auto* edit = new QLineEdit(GroupKadou);
        edit->setMaxLength(2);
        edit->setMaximumWidth(40);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,2}"), edit));
        SetImeMode(edit, imClose);
        return edit;
    };
    EditStartH = timeEdit();
    EditStartM = timeEdit();
    EditEndH = timeEdit();
    EditEndM = timeEdit();
    times->addWidget(new QLabel("開始", GroupKadou), 0, 0);
    times->addWidget(EditStartH, 0, 1);
    times->addWidget(new QLabel(":", GroupKadou), 0, 2);
    times->addWidget(EditStartM, 0, 3);
    times->addWidget(new QLabel("終了", GroupKadou), 1, 0);
    times->addWidget(EditEndH, 1, 1);
    times->addWidget(new QLabel(":", GroupKadou), 1, 2);
    times->addWidget(EditEndM, 1, 3);
    times->addWidget(new QLabel("※時刻は0:00～23:59で指定", GroupKadou), 2, 0, 1, 4);
    layout->addWidget(GroupKadou);
    lblMoveState = new QLabel(this);
    lblMoveState->setFrameShape(QFrame::Panel);
    lblMoveState->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblMoveState);
    auto* buttons = new QHBoxLayout;
    BitBtnOK = new QPushButton("OK", this);
    BtnCancel = new QPushButton("キャンセル", this);
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    EscapeButton = BtnCancel;
    connect(CheckKadou, &QCheckBox::clicked, this, &TfrmEntranceItemSetup_Sub0::CheckKadouClick);
    FEdited.Watch({EditName, EditStartH, EditStartM, EditEndH, EditEndM});
    FEdited.Watch(CheckKadou);
    connect(BitBtnOK, &QPushButton::clicked, this, &TfrmEntranceItemSetup_Sub0::BitBtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TfrmEntranceItemSetup_Sub0::BtnCancelClick);
}

int TfrmEntranceItemSetup_Sub0::ExecuteUnitDialog(int unitID, bool isNew) {
    QPointer<QTimer> poll = FPoll;
    if (poll)
        poll->stop();
    FUnitID = unitID;
    FIsNew = isNew;
    const int result = ShowModal();
    if (poll)
        poll->start();
    // Closed from the title bar: cancelled.
    return result == mrNone ? mrCancel : result;
}

void TfrmEntranceItemSetup_Sub0::FormShow() {
    StaticTextID->setText(QString::number(FUnitID));
    setWindowTitle(FIsNew ? "認証機の新規追加" : "認証機の編集");
    FillFields();
    FEdited.Clear();
    EditName->setFocus();
}

void TfrmEntranceItemSetup_Sub0::FillFields() {
    for (QLineEdit* edit : {EditStartH, EditStartM, EditEndH, EditEndM, EditName})
        edit->clear();
    CheckKadou->setChecked(false);
    lblMoveState->setText(LoadStr(65120));
    if (!FIsNew)
        ReadUnit();
    CheckKadouClick();
}

void TfrmEntranceItemSetup_Sub0::OpenUnitRow() {
    Query1.Close();
    Query1.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    Query1.SQL().Assign(QStringList{"SELECT 認証機ID,認証機名,稼動開始,稼動終了,作動状況",
                                    "FROM entranceState",
                                    "WHERE 認証機ID=" + QString::number(FUnitID)});
    Query1.Open();
}

void TfrmEntranceItemSetup_Sub0::ReadUnit() {
    OpenUnitRow();
    EditName->setText(Query1.FieldByName("認証機名")->AsString());
    const struct {
        const char* field;
        QLineEdit* hour;
        QLineEdit* minute;
    } times[] = {{"稼動開始", EditStartH, EditStartM}, {"稼動終了", EditEndH, EditEndM}};
    for (const auto& t : times) {
        TField* field = Query1.FieldByName(t.field);
        if (field->IsNull())
            continue;
        int hour, min, sec, msec;
        DecodeTime(field->AsDateTime(), hour, min, sec, msec);
        t.hour->setText(QString::number(hour));
        t.minute->setText(QString::number(min));
        CheckKadou->setChecked(true);
    }
    if (Query1.FieldByName("作動状況")->AsBoolean())
        lblMoveState->setText(LoadStr(65151));
    // 作動状況 is the communication program's to change; the dialog only shows it.
    FAsRead = TReadRows(Query1, {"認証機名", "稼動開始", "稼動終了"});
    Query1.Close();
}

void TfrmEntranceItemSetup_Sub0::CheckKadouClick() {
    for (QWidget* child : GroupKadou->findChildren<QWidget*>())
        child->setEnabled(CheckKadou->isChecked());
}

void TfrmEntranceItemSetup_Sub0::BitBtnOKClick() {
    TUnitHours hours;
    if (CheckKadou->isChecked()) {
        hours =
            UnitHoursOf(EditStartH->text(), EditStartM->text(), EditEndH->text(), EditEndM->text());
        if (!hours.Set)
            CheckKadou->setChecked(false);
    }
    try {
        WriteUnit(hours.Set, hours.Start, hours.End);
    } catch (const ERecordChanged& e) {
        ShowMessage(e.Message());
        if (e.Change() == TRowChange::Changed)
            ShowStoredKeepingTyping();
        return;
    } catch (const Exception& e) {
        ShowMessage(e.Message());
        return;
    }
    SetModalResult(mrOk);
}

QStringList TfrmEntranceItemSetup_Sub0::WrittenColumns() const {
    QStringList columns{"認証機ID"};
    if (FIsNew || FEdited.Has(EditName))
        columns << "認証機名";
    bool hours = FIsNew;
    for (QWidget* field :
         std::initializer_list<QWidget*>{CheckKadou, EditStartH, EditStartM, EditEndH, EditEndM})
        hours = hours || FEdited.Has(field);
    if (hours)
        columns << "稼動開始"
                << "稼動終了";
    if (FIsNew)
        columns << "作動状況";
    return columns;
}

void TfrmEntranceItemSetup_Sub0::ShowStoredKeepingTyping() {
    FEdited.RefillKeeping([this] { FillFields(); });
    CheckKadouClick();
}

// A failed write leaves the row as it was and the dataset closed, for another try. A unit
// changed or deleted elsewhere since the dialog read it is refused, never appended again.
void TfrmEntranceItemSetup_Sub0::WriteUnit(bool withHours, double start, double end) {
    const QStringList columns = WrittenColumns();
    if (columns.size() == 1) // nothing changed
        return;
    OpenUnitRow();
    const bool gone = Query1.IsEmpty();
    try {
        FAsRead.Check(Query1);
    } catch (...) {
        Query1.Close();
        throw;
    }
    Query1.Close();
    TDBQueryODBC& query = *sqlEntrance;
    query.Close();
    query.SQL().Assign(QStringList{"SELECT " + columns.join(',') + " FROM entranceState.DB",
                                   "WHERE 認証機ID=" + QString::number(FUnitID)});
    query.SetReadOnly(false);
    query.SetUpdateKeyColumn("認証機ID");
    query.SetUpdateTableName("entranceState.DB");
    try {
        query.Open();
        // Added or deleted since the check; an existing unit is never appended again.
        if (gone && !query.IsEmpty())
            throw ERecordChanged(TRowChange::Taken);
        if (!FIsNew && query.IsEmpty())
            throw ERecordChanged(TRowChange::Deleted);
        if (query.IsEmpty()) {
            query.Append();
            query.FieldByName("認証機ID")->SetAsInteger(FUnitID);
            query.FieldByName("作動状況")->SetAsBoolean(false);
        } else {
            query.Edit();
        }
        if (columns.contains("認証機名"))
            query.FieldByName("認証機名")->SetAsString(TrimJ(EditName->text()));
        if (columns.contains("稼動開始")) {
            query.FieldByName("稼動開始")->Clear();
            query.FieldByName("稼動終了")->Clear();
            if (withHours) {
                query.FieldByName("稼動開始")->SetAsDateTime(start + StoredTimeOffset);
                query.FieldByName("稼動終了")->SetAsDateTime(end + StoredTimeOffset);
            }
        }
        query.Post();
    } catch (...) {
        if (query.Active())
            query.Cancel();
        query.Close();
        query.SetReadOnly(true);
        throw;
    }
    query.Close();
    query.SetReadOnly(true);
}

void TfrmEntranceItemSetup_Sub0::BtnCancelClick() {
    SetModalResult(mrOk);
}

// Entering the name puts the caret at its start with nothing selected.
bool TfrmEntranceItemSetup_Sub0::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditName && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, EditName, [edit = EditName] {
            edit->deselect();
            edit->setCursorPosition(0);
        });
    return TForm::eventFilter(watched, event);
}

} // namespace entrance
