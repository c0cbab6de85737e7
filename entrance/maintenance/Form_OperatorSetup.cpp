#include "Form_OperatorSetup.h"

#include "OperatorRules.h"
#include "base/DateTime.h"
#include "entrance/common/EntranceSession.h"
#include "ui/ImeMode.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace entrance {

namespace {

enum TOperatorColumn { ColName, ColRank, ColNote, ColDate, ColCode, ColRankNum };

// What the list reads of an operator besides his code.
const QStringList ListedColumns{"オペレーター名", "ランク", "補足", "登録日時"};

} // namespace

TfrmOperatorSetup::TfrmOperatorSetup(QWidget* owner) : TForm(owner) {
    setWindowTitle("オペレーターの登録");
    CreateControls();
    sqlOperator.SetDatabaseName("RORazu");
    ClearFields();
    ChkPassWDChange->setChecked(false);
    cmbRank->addItems(RankItems(EntranceSession().CurrentOperator));
    cmbRank->setCurrentIndex(0);
    // Only an administrator adds and deletes operators.
    btnNew->setEnabled(IsAdministrator());
    btnDel->setEnabled(IsAdministrator());
    LoadList();
}

TfrmOperatorSetup::~TfrmOperatorSetup() = default;

bool TfrmOperatorSetup::IsAdministrator() const {
    return EntranceSession().CurrentOperator.Rank == 0;
}

void TfrmOperatorSetup::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    lstOperator = new QTreeWidget(this);
    lstOperator->setRootIsDecorated(false);
    lstOperator->setHeaderLabels(
        {"オペレーター名", "ランク", "補　足", "登録日", "コード", "rankNum"});
    lstOperator->setColumnHidden(ColCode, true);
    lstOperator->setColumnHidden(ColRankNum, true);
    // Each column as wide as the longest text its field takes, so none is cut.
    const QFontMetrics metrics = lstOperator->fontMetrics();
    const auto widthFor = [&metrics](int bytes) {
        return std::max(metrics.horizontalAdvance(QString(bytes / 2, QChar(0x3042))),
                        metrics.horizontalAdvance(QString(bytes, '0'))) +
               24;
    };
    const int widths[] = {widthFor(10), widthFor(6), widthFor(30), widthFor(10)};
    int total = 0;
    for (int col = ColName; col <= ColDate; ++col) {
        lstOperator->setColumnWidth(col, widths[col]);
        total += widths[col];
    }
    lstOperator->setMinimumSize(total + 8, 200);
    layout->addWidget(lstOperator, 1);

    pnlNowState = new QLabel(this);
    pnlNowState->setAlignment(Qt::AlignCenter);
    pnlNowState->setAutoFillBackground(true);
    layout->addWidget(pnlNowState);
    auto* fields = new QFormLayout;
    Ed_Code = new QLineEdit(this);
    Ed_Code->setVisible(false);
    Ed_Operator = new QLineEdit(this);
    SetMaxBytes(Ed_Operator, 10);
    SetImeMode(Ed_Operator, imClose);
    cmbRank = new QComboBox(this);
    Ed_SubText = new QLineEdit(this);
    SetMaxBytes(Ed_SubText, 30);
    SetImeMode(Ed_SubText, imHira);
    ChkPassWDChange = new QCheckBox("パスワードを変更する。", this);
    Ed_NewPassWD1 = new QLineEdit(this);
    Ed_NewPassWD2 = new QLineEdit(this);
    for (QLineEdit* edit : {Ed_NewPassWD1, Ed_NewPassWD2}) {
        SetMaxBytes(edit, 20);
        edit->setEchoMode(QLineEdit::Password);
    }
    fields->addRow("オペレーター名", Ed_Operator);
    fields->addRow("ランク", cmbRank);
    fields->addRow("補足", Ed_SubText);
    fields->addRow(ChkPassWDChange);
    fields->addRow("新パスワード", Ed_NewPassWD1);
    fields->addRow("入力確認", Ed_NewPassWD2);
    fields->addRow(
        new QLabel("※新パスワードと入力確認には、同じパスワードを入力して下さい。", this));
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton("登　録", this);
    btnEdit = new QPushButton("編　集", this);
    btnNew = new QPushButton("新規追加", this);
    btnDel = new QPushButton("削　除", this);
    btnCancel = new QPushButton("キャンセル", this);
    btnClose = new QPushButton("閉じる", this);
    for (QPushButton* button : {btnOK, btnEdit, btnNew, btnDel, btnCancel})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    EscapeButton = btnClose;

    connect(btnOK, &QPushButton::clicked, this, &TfrmOperatorSetup::btnOKClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmOperatorSetup::btnEditClick);
    connect(btnNew, &QPushButton::clicked, this, &TfrmOperatorSetup::btnNewClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmOperatorSetup::btnDelClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOperatorSetup::btnCancelClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmbRank, &QComboBox::activated, this, &TfrmOperatorSetup::cmbRankClick);
    FEdited.Watch({Ed_Operator, Ed_SubText, Ed_NewPassWD1, Ed_NewPassWD2});
    FEdited.Watch(cmbRank);
    FEdited.Watch(ChkPassWDChange);
    // In new mode 編集 is disabled, and so is the list's way to it: the typing stays.
    connect(lstOperator, &QTreeWidget::itemClicked, btnEdit, &QPushButton::click);
}

void TfrmOperatorSetup::FormShow() {
    CenterInMainArea();
    BackToFirst();
}

void TfrmOperatorSetup::BackToFirst() {
    if (lstOperator->topLevelItemCount() > 0)
        lstOperator->setCurrentItem(lstOperator->topLevelItem(0));
    btnEditClick();
}

void TfrmOperatorSetup::LoadList() {
    FormatSettings().ShortDateFormat = "yyyy/mm/dd";
    lstOperator->clear();
    sqlOperator.Close();
    sqlOperator.SQL().Assign(QStringList{
        "SELECT オペレーターコード,オペレーター名,ランク,登録日時,補足", "FROM M_オペレーター",
        IsAdministrator() ? " " : "WHERE オペレーターコード=:code", "ORDER BY オペレーターコード"});
    if (!IsAdministrator())
        sqlOperator.ParamByName("code").SetAsInteger(EntranceSession().CurrentOperator.Code);
    sqlOperator.Open();
    ShowEditMode();
    FReadRows.clear();
    for (; !sqlOperator.Eof(); sqlOperator.Next()) {
        const int code = sqlOperator.FieldByName("オペレーターコード")->AsInteger();
        const int rank = sqlOperator.FieldByName("ランク")->AsInteger();
        TField* date = sqlOperator.FieldByName("登録日時");
        FReadRows.insert(code, TReadRows::CurrentOf(sqlOperator, ListedColumns));
        new QTreeWidgetItem(lstOperator,
                            {sqlOperator.FieldByName("オペレーター名")->AsString(), RankText(rank),
                             sqlOperator.FieldByName("補足")->AsString(),
                             date->IsNull() ? QString() : DateToStr(date->AsDateTime()),
                             QString::number(code), QString::number(rank)});
    }
    sqlOperator.Close();
}

int TfrmOperatorSetup::QueryNumber(const QStringList& sql) {
    sqlOperator.Close();
    sqlOperator.SQL().Assign(sql);
    sqlOperator.Open();
    const int value = sqlOperator.Fields().Fields(0)->AsInteger();
    sqlOperator.Close();
    return value;
}

int TfrmOperatorSetup::OperatorCount() {
    return QueryNumber({"SELECT COUNT(オペレーターコード) as コードの数", "FROM M_オペレーター"});
}

int TfrmOperatorSetup::NextOperatorCode() {
    return QueryNumber({"SELECT MAX(オペレーターコード) as コードの最大", "FROM M_オペレーター"}) +
           1;
}

bool TfrmOperatorSetup::NameTakenByOther() {
    sqlOperator.Close();
    sqlOperator.SQL().Assign(QStringList{"SELECT オペレーターコード,オペレーター名",
                                         "FROM M_オペレーター", "WHERE (オペレーター名=:name)"});
    sqlOperator.ParamByName("name").SetAsString(Ed_Operator->text());
    sqlOperator.Open();
    bool taken = false;
    for (; !sqlOperator.Eof() && !taken; sqlOperator.Next())
        taken = QString::number(sqlOperator.FieldByName("オペレーターコード")->AsInteger()) !=
                Ed_Code->text();
    sqlOperator.Close();
    return taken;
}

void TfrmOperatorSetup::ClearFields() {
    for (QLineEdit* edit : {Ed_Code, Ed_Operator, Ed_SubText, Ed_NewPassWD1, Ed_NewPassWD2})
        edit->clear();
}

void TfrmOperatorSetup::ShowNewMode() {
    pnlNowState->setText("新 規 追 加");
    pnlNowState->setStyleSheet("background: red; color: black;");
}

void TfrmOperatorSetup::ShowEditMode() {
    pnlNowState->setText("編 集");
    pnlNowState->setStyleSheet("background: blue; color: white;");
}

void TfrmOperatorSetup::btnEditClick() {
    QTreeWidgetItem* item = lstOperator->currentItem();
    if (!item)
        return;
    ShowEditMode();
    FEdited.Clear();
    if (IsAdministrator()) {
        btnEdit->setEnabled(true);
        btnDel->setEnabled(true);
    }
    Ed_Code->setText(item->text(ColCode));
    FAsRead = FReadRows.value(item->text(ColCode).toInt());
    Ed_Operator->setText(item->text(ColName));
    const QString rank = item->text(ColRankNum);
    // Anyone else's one item is his rank as stored, which an administrator may have changed
    // since the login.
    if (!IsAdministrator())
        cmbRank->setItemText(0, RankText(rank.toInt()));
    cmbRank->setCurrentIndex(IsAdministrator() ? (rank == "0" ? 0 : rank == "1" ? 1 : 2) : 0);
    Ed_SubText->setText(item->text(ColNote));
    // Back in edit mode the password may be changed again.
    ChkPassWDChange->setEnabled(true);
    ChkPassWDChange->setChecked(false);
    Ed_NewPassWD1->clear();
    Ed_NewPassWD2->clear();
    Ed_Operator->setFocus();
}

void TfrmOperatorSetup::btnNewClick() {
    if (OperatorCount() >= MaxOperatorCount) {
        MessageBox("オペレーターは１０人までしか登録できません。");
        ChkPassWDChange->setChecked(false);
        ChkPassWDChange->setEnabled(true);
        return;
    }
    ShowNewMode();
    btnDel->setEnabled(false);
    btnEdit->setEnabled(false);
    ChkPassWDChange->setChecked(true);
    ChkPassWDChange->setEnabled(false);
    ClearFields();
    FEdited.Clear();
    FAsRead = TReadRows();
    Ed_Code->setText(QString::number(NextOperatorCode()));
    Ed_Operator->setFocus();
}

void TfrmOperatorSetup::cmbRankClick() {
    if (Ed_Code->text() == QString::number(FirstOperatorCode) && cmbRank->currentIndex() != 0) {
        MessageBox("最初の管理者は、ランクを変更できません。");
        cmbRank->setCurrentIndex(0);
    }
}

void TfrmOperatorSetup::btnOKClick() {
    const QString error = OperatorSaveError(Ed_Operator->text(), ChkPassWDChange->isChecked(),
                                            Ed_NewPassWD1->text(), Ed_NewPassWD2->text(),
                                            !Ed_Operator->text().isEmpty() && NameTakenByOther());
    if (!error.isEmpty()) {
        MessageBox(error);
        if (!ChkPassWDChange->isChecked() || Ed_NewPassWD1->text() == Ed_NewPassWD2->text())
            Ed_Operator->setFocus();
        return;
    }
    bool isNumber = false;
    const int typed = Ed_Code->text().toInt(&isNumber);
    try {
        StoreOperator(isNumber ? typed : NextOperatorCode());
    } catch (const ERecordChanged& e) {
        // The fields keep what was typed; the list shows what is stored now. A new operator
        // whose code another terminal took meanwhile goes in under the next free one.
        MessageBox(e.Message());
        LoadList();
        if (e.Change() == TRowChange::Changed)
            ShowListedKeepingTyping(Ed_Code->text());
        if (e.Change() == TRowChange::Taken) {
            ShowNewMode();
            Ed_Code->setText(QString::number(NextOperatorCode()));
        }
        return;
    }
    LoadList();
    BackToFirst();
}

void TfrmOperatorSetup::ShowListedKeepingTyping(const QString& code) {
    const QList<QTreeWidgetItem*> items = lstOperator->findItems(code, Qt::MatchExactly, ColCode);
    if (items.isEmpty())
        return;
    lstOperator->setCurrentItem(items.first());
    FEdited.RefillKeeping([this] { btnEditClick(); });
}

// Stores over the operator only while his row still holds what the list showed.
void TfrmOperatorSetup::StoreOperator(int code) {
    sqlOperator.Close();
    sqlOperator.SQL().Assign(
        QStringList{"SELECT オペレーターコード,オペレーター名,ランク,登録日時,補足,PassWD",
                    "FROM M_オペレーター", "WHERE オペレーターコード=:code"});
    sqlOperator.ParamByName("code").SetAsInteger(code);
    PostChecked(sqlOperator, FAsRead, [&] { WriteOperator(code); });
}

void TfrmOperatorSetup::WriteOperator(int code) {
    const bool isNew = sqlOperator.IsEmpty();
    if (isNew)
        sqlOperator.Insert();
    else
        sqlOperator.Edit();
    sqlOperator.FieldByName("オペレーター名")->SetAsString(Ed_Operator->text());
    sqlOperator.FieldByName("オペレーターコード")->SetAsInteger(code);
    const int stored = isNew ? EntranceSession().CurrentOperator.Rank
                             : sqlOperator.FieldByName("ランク")->AsInteger();
    sqlOperator.FieldByName("ランク")->SetAsInteger(
        StoredRank(cmbRank->currentIndex(), code, stored, EntranceSession().CurrentOperator));
    sqlOperator.FieldByName("補足")->SetAsString(Ed_SubText->text());
    if (isNew)
        sqlOperator.FieldByName("登録日時")->SetAsDateTime(Date());
    if (ChkPassWDChange->isChecked())
        sqlOperator.FieldByName("PassWD")->SetAsString(Ed_NewPassWD1->text());
    sqlOperator.Post();
}

void TfrmOperatorSetup::btnDelClick() {
    if (Ed_Code->text() == QString::number(FirstOperatorCode)) {
        MessageBox("最初に登録されている管理者は削除できません。");
        return;
    }
    bool isNumber = false;
    const int code = Ed_Code->text().toInt(&isNumber);
    if (!isNumber || !IsAdministrator())
        return;
    if (MessageBox(Ed_Operator->text() + "を削除します。よろしいですか？", MB_OKCANCEL) != IDOK)
        return;
    sqlOperator.Close();
    sqlOperator.SQL().Assign(
        QStringList{"DELETE * FROM M_オペレーター", "WHERE オペレーターコード=:code"});
    sqlOperator.ParamByName("code").SetAsInteger(code);
    sqlOperator.ExecSQL();
    LoadList();
    BackToFirst();
}

void TfrmOperatorSetup::btnCancelClick() {
    ClearFields();
    BackToFirst();
}

// Enter on the password box goes on to the password fields when they are to be stored, past
// them to 登録 when they are not.
void TfrmOperatorSetup::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() == ChkPassWDChange) {
        QWidget* next = ChkPassWDChange->isChecked() ? static_cast<QWidget*>(Ed_NewPassWD1) : btnOK;
        next->setFocus(Qt::TabFocusReason);
        return;
    }
    TForm::keyPressEvent(event);
}

void TfrmOperatorSetup::FormClose(TCloseAction& action) {
    sqlOperator.Close();
    action = caFree;
}

} // namespace entrance
