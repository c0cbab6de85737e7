#include "Form_UserEntry.h"

#include "Form_EntranceUser.h"
#include "Form_UserEntranceGazo.h"
#include "components/grids/StrSortGrid.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/Unit_CommonRequests.h"
#include "entrance/data/UserRules.h"
#include "entrance/reports/persons/Form_PrintRiyosya.h"
#include "protocol/CommRequests.h"
#include "ui/ClientSocket.h"
#include "ui/DisabledScope.h"
#include "ui/ImeMode.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"
#include "ui/TabSet.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStatusBar>

namespace entrance {

namespace {

const QString NotFoundAgain = " 一度画面を閉じて，開きなおしてみてください。";
const QString BadDate = "日付を入力して下さい。";

enum { ColCode, ColName, ColDept, ColLevel };

QString LevelWord(const QString& level) {
    return level == "1" ? "管理者" : level == "2" ? "監督者" : "一般";
}

// Sets `flag` for as long as the guard lives.
struct TFlagGuard {
    bool& Flag;
    explicit TFlagGuard(bool& flag) : Flag(flag) { Flag = true; }
    ~TFlagGuard() { Flag = false; }
};

QLineEdit* NewEdit(QWidget* parent, int maxBytes, TImeMode ime = imClose) {
    auto* edit = new QLineEdit(parent);
    SetMaxBytes(edit, maxBytes);
    SetImeMode(edit, ime);
    return edit;
}

} // namespace

TfrmUserEntry::TfrmUserEntry(QWidget* owner) : TForm(owner) {
    setWindowTitle("利用者情報の登録");
    CreateControls();
    FormCreate();
}

TfrmUserEntry::~TfrmUserEntry() = default;

void TfrmUserEntry::CreateControls() {
    auto* layout = new QGridLayout(this);
    UserGrid = new TStrSortGrid(this);
    UserGrid->SetColCount(4);
    UserGrid->SetRowCount(2);
    UserGrid->SetFixedCols(0);
    UserGrid->SetFixedRows(1);
    UserGrid->SetSortOps(soBoth);
    UserGrid->SetSortType(soInteger);
    UserGrid->SetDefaultRowHeight(18);
    UserGrid->SetOptions(UserGrid->Options() | goRowSelect);
    const int widths[] = {72, 125, 131, 64};
    const char* headers[] = {"個人コード", "氏　名", "部 門 名", "レベル"};
    int listWidth = 2 * UserGrid->frameWidth() + UserGrid->verticalScrollBar()->sizeHint().width();
    for (int c = ColCode; c <= ColLevel; ++c) {
        UserGrid->SetColWidths(c, widths[c]);
        UserGrid->SetCells(c, 0, headers[c]);
        listWidth += widths[c] + UserGrid->GridLineWidth();
    }
    // Every column in sight, 個人コード first, however small the screen's frame opens.
    UserGrid->setMinimumWidth(listWidth);
    UserGrid->OnClick = [this](QObject*) { UserGridClick(); };
    UserGrid->OnKeyPress = [this](QObject*, QChar& key) {
        if (key != QChar('\r'))
            return;
        key = QChar();
        btnEditClick();
    };
    RadioAll = new QRadioButton("全て", this);
    RadioUnEntry1 = new QRadioButton("未登録一覧", this);
    cmbCategory = new QComboBox(this);
    cmbCategory->setEditable(true);
    cmbKana = new QComboBox(this);
    cmbKana->addItems({"", "[ｱ-ｵ]", "[ｶ-ｺ]", "[ｻ-ｿ]", "[ﾀ-ﾄ]", "[ﾅ-ﾉ]", "[ﾊ-ﾎ]", "[ﾏ-ﾓ]", "[ﾔ-ﾖ]",
                       "[ﾗ-ﾛ]", "[ﾜ-ﾝ]"});
    cmbUserCode = new QComboBox(this);
    cmbUserCode->setEditable(true);
    cmbUserCode->addItem("");
    for (int d = 0; d <= 9; ++d)
        cmbUserCode->addItem(QString::number(d));
    SetMaxBytes(cmbUserCode->lineEdit(), 8);
    btnClear = new QPushButton("クリア", this);
    pnlUserCount = new QLabel("0", this);
    auto* filters = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{RadioAll, RadioUnEntry1, cmbCategory, cmbKana,
                                                      cmbUserCode, btnClear, pnlUserCount})
        filters->addWidget(w);
    layout->addLayout(filters, 0, 0, 1, 2);
    layout->addWidget(UserGrid, 1, 0, 3, 1);
    CreateEditControls();
    layout->addWidget(findChild<QWidget*>("pnlPerson"), 1, 1);
    auto* commands = new QGridLayout;
    btnEdit = new QPushButton("編　集", this);
    btnNew = new QPushButton("新規追加", this);
    btnOK = new QPushButton("登　録", this);
    btnEnterCancel = new QPushButton("キャンセル", this);
    btnDel = new QPushButton("削　除", this);
    btnCLOSE = new QPushButton("閉じる", this);
    btnPrint = new QPushButton("利用者印刷", this);
    btnEntrance = new QPushButton("認証機登録", this);
    btnEntrance->setToolTip("使用する認証機を登録できます。");
    QPushButton* buttons[] = {btnEdit, btnNew,   btnOK,       btnEnterCancel,
                              btnDel,  btnPrint, btnEntrance, btnCLOSE};
    for (int i = 0; i < 8; ++i)
        commands->addWidget(buttons[i], i / 4, i % 4);
    layout->addLayout(commands, 2, 1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->showMessage("　認証機使用者の設定を行います。");
    ClientSocket1 = new TClientSocket(this);
    layout->addWidget(StatusBar1, 4, 0, 1, 2);
    EscapeButton = btnCLOSE;
    resize(980, 560);
    // Tab walks the screen as it reads: the filters before the list, the commands row by row.
    QWidget::setTabOrder(btnClear, UserGrid);
    QWidget::setTabOrder(btnDel, btnPrint);
    QWidget::setTabOrder(btnPrint, btnEntrance);
    QWidget::setTabOrder(btnEntrance, btnCLOSE);

    connect(RadioAll, &QRadioButton::clicked, this, &TfrmUserEntry::RadioAllClick);
    connect(RadioUnEntry1, &QRadioButton::clicked, this, &TfrmUserEntry::RadioAllClick);
    for (QComboBox* combo : {cmbCategory, cmbKana, cmbUserCode})
        connect(combo, &QComboBox::currentTextChanged, this, [this] {
            if (RadioAll->isChecked())
                RadioAllClick();
        });
    connect(btnClear, &QPushButton::clicked, this, [this] {
        cmbCategory->setCurrentIndex(1);
        cmbKana->setCurrentIndex(0);
        cmbUserCode->setCurrentIndex(0);
        RadioAllClick();
        UserGrid->setFocus();
    });
    connect(btnEdit, &QPushButton::clicked, this, &TfrmUserEntry::btnEditClick);
    connect(btnNew, &QPushButton::clicked, this, &TfrmUserEntry::btnNewClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmUserEntry::btnOKClick);
    connect(btnEnterCancel, &QPushButton::clicked, this, &TfrmUserEntry::btnEnterCancelClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmUserEntry::btnDelClick);
    connect(btnEntrance, &QPushButton::clicked, this, &TfrmUserEntry::btnEntranceClick);
    connect(btnImage, &QPushButton::clicked, this, &TfrmUserEntry::btnImageClick);
    connect(btnPrint, &QPushButton::clicked, this, &TfrmUserEntry::btnPrintClick);
    connect(btnCLOSE, &QPushButton::clicked, this, [this] {
        if (!FModified || ConfirmSaveChanges(0))
            close();
    });
}

void TfrmUserEntry::CreateEditControls() {
    auto* panel = new QWidget(this);
    panel->setObjectName("pnlPerson");
    auto* grid = new QGridLayout(panel);
    lblNowState = new QLabel(panel);
    lblNowState->setAlignment(Qt::AlignCenter);
    lblNowState->setAutoFillBackground(true);
    Ed_Code = NewEdit(panel, 7);
    Ed_Name = NewEdit(panel, 20, imHira);
    Ed_Kana = NewEdit(panel, 20, imSKata);
    Ed_Category = NewEdit(panel, 2);
    Ed_Category->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), panel));
    cmbUserCategory = new QComboBox(panel);
    DEd_ValidEnd = NewEdit(panel, 10);
    DEd_ValidEnd->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9/]*"), panel));
    Ed_Yubin = NewEdit(panel, 8);
    Ed_Addr1 = NewEdit(panel, 40, imHira);
    Ed_Addr2 = NewEdit(panel, 40, imHira);
    Ed_TEL = NewEdit(panel, 15);
    Ed_birth = NewEdit(panel, 10);
    St_Age = new QLabel(panel);
    Ed_Sex = NewEdit(panel, 1);
    PageControl1 = new TTabSet({" 0:男　", " 1:女　"}, panel);
    cmbBlood = new QComboBox(panel);
    cmbBlood->setEditable(true);
    cmbBlood->addItems({"A", "B", "AB", "O"});
    SetMaxBytes(cmbBlood->lineEdit(), 6);
    btnImage = new QPushButton(panel);
    const struct {
        const char* caption;
        QWidget* field;
        QWidget* extra;
    } rows[] = {
        {"個人コード", Ed_Code, btnImage},
        {"氏名", Ed_Name, nullptr},
        {"ﾌﾘｶﾞﾅ", Ed_Kana, nullptr},
        {"部門", Ed_Category, cmbUserCategory},
        {"有効終了日", DEd_ValidEnd, new QLabel("例）2001/5/12", panel)},
        {"郵便番号", Ed_Yubin, nullptr},
        {"住所", Ed_Addr1, nullptr},
        {"", Ed_Addr2, nullptr},
        {"電話", Ed_TEL, nullptr},
        {"生年月日", Ed_birth, new QLabel("例）S51/5/12    2001/5/12", panel)},
        {"年齢", St_Age, nullptr},
        {"性別", Ed_Sex, PageControl1},
        {"血液型", cmbBlood, nullptr},
    };
    grid->addWidget(lblNowState, 0, 0, 1, 3);
    int r = 1;
    for (const auto& row : rows) {
        grid->addWidget(new QLabel(row.caption, panel), r, 0);
        grid->addWidget(row.field, r, 1);
        if (row.extra)
            grid->addWidget(row.extra, r, 2);
        ++r;
    }
    for (QLineEdit* edit : {Ed_Code, Ed_Name, Ed_Kana, Ed_Category, DEd_ValidEnd, Ed_Yubin,
                            Ed_Addr1, Ed_Addr2, Ed_TEL, Ed_birth})
        connect(edit, &QLineEdit::textEdited, this, [this] { SetModified(true); });
    Edited.Watch({Ed_Code, Ed_Name, Ed_Kana, Ed_Category, DEd_ValidEnd, Ed_Yubin, Ed_Addr1,
                  Ed_Addr2, Ed_TEL, Ed_birth, Ed_Sex});
    Edited.Watch(cmbBlood);
    connect(cmbBlood, &QComboBox::currentTextChanged, this, [this] { SetModified(true); });
    connect(Ed_Category, &QLineEdit::textChanged, this, &TfrmUserEntry::Ed_CategoryChange);
    connect(cmbUserCategory, &QComboBox::activated, this, [this] {
        SetModified(true);
        Edited.Mark(Ed_Category);
        Ed_Category->setText(CodePartOf(cmbUserCategory->currentText()));
    });
    connect(Ed_Sex, &QLineEdit::textEdited, this, &TfrmUserEntry::Ed_SexTyped);
    PageControl1->OnClick = [this](int index) {
        SetModified(true);
        Edited.Mark(Ed_Sex);
        Ed_Sex->setText(QString::number(index));
    };
    Ed_Code->installEventFilter(this);
    Ed_birth->installEventFilter(this);
}

void TfrmUserEntry::FormCreate() {
    TQuery units;
    units.SetDatabaseName("ParaOzka");
    units.SQL().Assign(QStringList{"SELECT * FROM entranceState.DB"});
    units.Open();
    btnEntrance->setEnabled(!units.Eof());
    units.Close();

    cmbCategory->clear();
    cmbUserCategory->clear();
    cmbCategory->addItems({"<未登録>", "0:全て指定"});
    const QStringList depts = DepartmentItems();
    cmbCategory->addItems(depts);
    cmbUserCategory->addItems(depts);
    cmbCategory->setCurrentIndex(-1);
    cmbCategory->setEditText("");
    RadioAll->setChecked(true);
    RadioAllClick();
    ClearModified();
    btnNewClick();
}

// It opens on a new person, so a code typed at once goes to the code field.
void TfrmUserEntry::FormShow() {
    CenterInMainArea();
    Ed_Code->setFocus();
}

// Closing under a dialog or a request that works for the screen would leave them calling a
// screen that is gone.
void TfrmUserEntry::FormClose(TCloseAction& action) {
    action = isEnabled() ? caFree : caNone;
}

bool TfrmUserEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == Ed_Code)
            Ed_CodeExit();
        else if (watched == Ed_birth)
            Ed_birthExit();
    }
    return TForm::eventFilter(watched, event);
}

void TfrmUserEntry::SetModified(bool Value) {
    if (!Loading)
        FModified = Value;
}

void TfrmUserEntry::SetCurrentCode(const QString& Code) {
    CurrentCode = Code;
    if (Code.isEmpty())
        AsRead = TReadRows();
    TFlagGuard guard(Loading);
    Ed_Code->setText(Code);
}

void TfrmUserEntry::RadioAllClick() {
    TUserListFilter filter;
    filter.Unregistered = !RadioAll->isChecked();
    filter.Dept = DeptFilterOf(cmbCategory->currentText());
    filter.Kana = TrimJ(cmbKana->currentText());
    filter.Code = TrimJ(cmbUserCode->currentText());
    const bool withLevel = UsersHaveLevel();
    TQuery query;
    AssignListQuery(query, UserListSQL(filter, withLevel));
    QList<QStringList> rows;
    for (query.Open(); !query.Eof(); query.Next())
        rows << QStringList{
            query.FieldByName("個人コード")->AsString(), query.FieldByName("氏名")->AsString(),
            query.FieldByName("部門名")->AsString(),
            withLevel ? LevelWord(query.FieldByName("ユーザーレベル")->AsString()) : QString()};
    query.Close();
    UserGrid->SetRowCount(2);
    UserGrid->SetRows(1, {"", "", "", ""});
    if (!rows.isEmpty()) {
        UserGrid->SetRowCount(int(rows.size()) + 1);
        UserGrid->SetSortRows(int(rows.size()));
        for (int r = 0; r < rows.size(); ++r)
            UserGrid->SetRows(r + 1, rows[r]);
    }
    pnlUserCount->setText(QString::number(rows.size()));
    if (ClickedRow >= 1 && ClickedRow < UserGrid->RowCount()) {
        TFlagGuard relisting(Relisting);
        UserGrid->SetRow(ClickedRow);
    }
}

void TfrmUserEntry::UserGridClick() {
    if (Relisting)
        return;
    ClickedRow = UserGrid->Row();
    TFlagGuard guard(FromGridClick);
    btnEditClick();
}

void TfrmUserEntry::btnNewClick() {
    if (FModified && !ConfirmSaveChanges(0))
        return;
    SetCurrentCode("");
    ShowUser(TUserRecord{});
    Ed_Code->setFocus();
}

void TfrmUserEntry::btnEditClick() {
    if (FModified && !ConfirmSaveChanges(0))
        return;
    const QString code = UserGrid->Cells(ColCode, UserGrid->Row());
    if (code.isEmpty()) {
        btnNewClick();
        return;
    }
    if (!LocateUser(code)) {
        btnNewClick();
        return;
    }
    if (!FromGridClick)
        Ed_Code->setFocus();
}

bool TfrmUserEntry::LocateUser(const QString& Code) {
    TUserRecord record;
    if (!LoadUserRecord(Code, record, AsRead)) {
        ShowMessage(NotFoundAgain);
        return false;
    }
    SetCurrentCode(Code);
    ShowUser(record);
    SelectListedUser(Code);
    return true;
}

// The row is also the one kept when the list is built again.
void TfrmUserEntry::SelectListedUser(const QString& code) {
    for (int r = 1; r < UserGrid->RowCount(); ++r)
        if (UserGrid->Cells(ColCode, r) == code) {
            ClickedRow = r;
            TFlagGuard relisting(Relisting);
            UserGrid->SetRow(r);
            return;
        }
}

void TfrmUserEntry::ShowUser(const TUserRecord& r) {
    TFlagGuard guard(Loading);
    Ed_Code->setText(r.Code);
    Ed_Name->setText(r.Name);
    Ed_Kana->setText(r.Kana);
    Ed_Category->setText(r.Dept == 0 ? QString() : QString::number(r.Dept));
    // The department list shows the record's department, none for an empty one, also when
    // the code's text did not change.
    Ed_CategoryChange();
    DEd_ValidEnd->setText(r.ValidEnd == 0 ? QString() : DateToSlashStr(r.ValidEnd));
    Ed_Yubin->setText(r.Yubin);
    Ed_Addr1->setText(r.Addr1);
    Ed_Addr2->setText(r.Addr2);
    Ed_TEL->setText(r.Tel);
    BirthDate = r.Birth;
    Ed_birth->setText(r.Birth == 0 ? QString() : BirthEraText(r.Birth));
    ShowAge();
    Ed_Sex->setText(r.Sex < 0 ? QString() : QString::number(r.Sex));
    PageControl1->SetCurrentIndex(r.Sex);
    cmbBlood->setEditText(r.Blood);
    ShowImageState(r.HasImage);
    ShowState();
    FModified = false;
    Edited.Clear();
}

void TfrmUserEntry::ShowAge() {
    St_Age->setText(BirthDate == 0 ? QString() : QString::number(AgeOf(BirthDate)));
}

void TfrmUserEntry::ShowImageState(bool hasImage) {
    HasImage = hasImage;
    btnImage->setText(hasImage ? "画像登録済み" : "画像未登録");
    btnImage->setStyleSheet(hasImage ? "color: blue" : "color: red");
}

void TfrmUserEntry::ShowState() {
    const bool isNew = CurrentCode.isEmpty();
    lblNowState->setText(isNew ? "新 規 追 加" : "編 集");
    lblNowState->setStyleSheet(isNew ? "background: red; color: black"
                                     : "background: blue; color: white");
}

void TfrmUserEntry::Ed_CategoryChange() {
    const QString text = Ed_Category->text();
    for (int i = 0; i < cmbUserCategory->count(); ++i)
        if (!text.isEmpty() && CodePartOf(cmbUserCategory->itemText(i)) == text) {
            cmbUserCategory->setCurrentIndex(i);
            return;
        }
    cmbUserCategory->setCurrentIndex(-1);
    if (!text.isEmpty())
        Ed_Category->clear();
}

void TfrmUserEntry::Ed_SexTyped(const QString& text) {
    SetModified(true);
    const QString typed = text.right(1);
    const int page = typed == "0" ? 0 : typed == "1" ? 1 : -1;
    Ed_Sex->setText(page < 0 ? QString() : typed);
    PageControl1->SetCurrentIndex(page);
}

void TfrmUserEntry::Ed_birthExit() {
    if (ReadBirth())
        ShowAge();
}

bool TfrmUserEntry::ReadBirth() {
    const QString text = TrimJ(Ed_birth->text());
    Ed_birth->setText(text);
    TDateTime date = 0;
    QString error;
    switch (ParseBirthText(text, date, error)) {
    case TBirthInput::Empty:
    case TBirthInput::Date:
        BirthDate = date;
        return true;
    case TBirthInput::NotDate:
        ShowMessage(BadDate);
        break;
    case TBirthInput::NotNumber:
        ShowMessage(error);
        break;
    }
    Ed_birth->setFocus();
    return false;
}

void TfrmUserEntry::Ed_CodeExit() {
    const QString code = TrimJ(Ed_Code->text());
    if (code.isEmpty() || code == CurrentCode)
        return;
    const QString duplicate = "個人コードが既に登録されているものと重複しています。";
    if (!CurrentCode.isEmpty()) {
        QString message;
        if (HasAuthImage(CurrentCode))
            message = "既に認証画像が登録されているユーザの個人コードは、変更できません。";
        else if (CodeExistsInUsers(code))
            message = duplicate;
        if (!message.isEmpty()) {
            ShowMessage(message);
            SetCurrentCode(CurrentCode);
            Ed_Code->setFocus();
        } else if (CodeExistsInTotals(code)) {
            ShowMessage("過去に使用していた個人コードです。");
        }
        return;
    }
    // A leftover attendance total under the code goes only when the person is stored. A stored
    // code turns the new entry into an edit of that person, the typing dropped.
    if (CodeExistsInUsers(code)) {
        ClearModified();
        LocateUser(code);
    }
}

bool TfrmUserEntry::ConfirmSaveChanges(int Mode) {
    const QString texts[] = {
        "変更があります。登録しますか？",
        "認証機登録を行う場合は、変更を登録する必要があります。\r登録しますか？",
        "画像読み込みを行う場合は、変更を登録する必要があります。\r登録しますか？"};
    if (MessageBox(texts[Mode], MB_OKCANCEL) == IDOK)
        return SaveUser();
    if (Mode != 0)
        return false;
    DiscardChanges();
    return true;
}

void TfrmUserEntry::DiscardChanges() {
    ClearModified();
    if (CurrentCode.isEmpty() || !LocateUser(CurrentCode)) {
        SetCurrentCode("");
        ShowUser(TUserRecord{});
    }
}

bool TfrmUserEntry::ReadFields(TUserRecord& r) {
    r.Code = TrimJ(Ed_Code->text());
    r.Name = Ed_Name->text();
    r.Kana = Ed_Kana->text();
    r.Dept = Ed_Category->text().toInt();
    r.ValidEnd = 0;
    if (!DEd_ValidEnd->text().isEmpty() && !TryStrToDate(DEd_ValidEnd->text(), r.ValidEnd)) {
        ShowMessage(BadDate);
        DEd_ValidEnd->setFocus();
        return false;
    }
    r.Yubin = Ed_Yubin->text();
    r.Addr1 = Ed_Addr1->text();
    r.Addr2 = Ed_Addr2->text();
    r.Tel = Ed_TEL->text();
    if (!ReadBirth())
        return false;
    r.Birth = BirthDate;
    r.Sex = Ed_Sex->text().isEmpty() ? -1 : Ed_Sex->text().toInt();
    r.Blood = cmbBlood->currentText();
    return true;
}

bool TfrmUserEntry::SaveUser() {
    Ed_Code->setText(TrimJ(Ed_Code->text()));
    TUserRecord record;
    const TSaveCheck check = CheckSaveUser(
        {Ed_Code->text(), Ed_Name->text(), CurrentCode, CodeExistsInUsers, HasAuthImage});
    if (!check.Message.isEmpty())
        ShowMessage(check.Message);
    if (check.RevertCode)
        SetCurrentCode(CurrentCode);
    if (check.Focus == TSaveFocus::Code)
        Ed_Code->setFocus();
    else if (check.Focus == TSaveFocus::Name)
        Ed_Name->setFocus();
    if (check.Action == TSaveAction::Refuse || !ReadFields(record))
        return false;
    try {
        StoreUserRecord(record, CurrentCode, AsRead);
    } catch (const ERecordChanged& e) {
        // The typed values stay on screen, the others show the person as stored now, and so
        // does the list.
        ShowMessage(e.Message());
        if (e.Change() == TRowChange::Changed)
            ShowStoredKeepingTyping();
        RadioAllClick();
        SelectListedUser(CurrentCode);
        return false;
    } catch (const std::exception& e) {
        // The typed values stay on screen, still marked as changed.
        ShowMessage(QString::fromUtf8(e.what()));
        return false;
    }
    FModified = false;
    Edited.Clear();
    CurrentCode = record.Code;
    return true;
}

void TfrmUserEntry::ShowStoredKeepingTyping() {
    TUserRecord record;
    if (!LoadUserRecord(CurrentCode, record, AsRead))
        return;
    Edited.RefillKeeping([&] { ShowUser(record); });
    // What hangs on a kept field follows its text.
    const QString sex = Ed_Sex->text();
    PageControl1->SetCurrentIndex(sex.isEmpty() ? -1 : sex.toInt());
    if (ReadBirth())
        ShowAge();
    FModified = true;
}

void TfrmUserEntry::btnOKClick() {
    if (!SaveUser())
        return;
    RadioAllClick();
    btnNewClick();
}

void TfrmUserEntry::btnEnterCancelClick() {
    ClearModified();
    btnNewClick();
}

void TfrmUserEntry::btnDelClick() {
    const QString code = CurrentCode;
    if (code.isEmpty() && !FModified) {
        btnEnterCancelClick();
        RadioAllClick();
        return;
    }
    if (MessageBox(code + " : " + Ed_Name->text() + " " +
                       "さんを削除します。\r削除すると認証できなくなります。よろしいですか？",
                   MB_OKCANCEL) != IDOK)
        return;
    DeleteUser(code);
}

void TfrmUserEntry::DeleteUser(const QString& code) {
    if (!code.isEmpty()) {
        // The person's unit rows, marked 削除 below, carry the removal to the units.
        if (!RemovalGoesAhead(RequestUserRemoval(code))) {
            ShowMessage("認証既コミュニケーションと接続できませんでした。\r"
                        "ユーザを削除できませんでした。");
            return;
        }
        if (!DeleteUserRows(code))
            ShowMessage("削除できませんでした。");
    }
    btnEnterCancelClick();
    RadioAllClick();
}

// The dialog opens on the person as the save just made stored them, never on a code typed
// before it.
void TfrmUserEntry::btnEntranceClick() {
    if ((FModified || CurrentCode.isEmpty()) && !ConfirmSaveChanges(1))
        return;
    const QString code = CurrentCode, name = Ed_Name->text();
    {
        TDisabledScope busy(this);
        EntranceSession().frmEntranceUser = new TfrmEntranceUser(window());
        if (!EntranceSession().frmEntranceUser->Closing())
            EntranceSession().frmEntranceUser->EditUnitsForUser(code, name);
    }
    RadioAll->setChecked(true);
    RadioAllClick();
    LocateUser(code);
}

void TfrmUserEntry::btnImageClick() {
    if (HasImage)
        return;
    if ((FModified || CurrentCode.isEmpty()) && !ConfirmSaveChanges(2))
        return;
    const QString code = CurrentCode, name = Ed_Name->text();
    ImageReadOk = false;
    // The open dialog holds the screen disabled for its own life.
    TDisabledScope busy(this);
    if (!EntranceSession().NetworkMode) {
        OpenImageDialog(code, name);
        return;
    }
    // The communication program's PC must answer before the dialog opens.
    FLinkCheck = std::make_unique<TDisabledScope>(this);
    ShowWaitWindow(this);
    SetWaitText("ネットワーク接続を確認しています。");
    ClientSocket1->Close();
    ClientSocket1->Address = HostToIPStr(EntranceSession().RemotePCName);
    ClientSocket1->Port = TcpPort(PORT_START);
    ClientSocket1->OnConnect = [this, code, name] {
        const auto held = std::move(FLinkCheck);
        ClientSocket1->Close();
        CloseWaitWindow(nullptr);
        OpenImageDialog(code, name);
    };
    ClientSocket1->OnError = [this](const QString&) {
        ClientSocket1->Close();
        CloseWaitWindow(nullptr);
        FLinkCheck.reset();
        ShowMessage("接続できませんでした。");
    };
    ClientSocket1->Open();
}

void TfrmUserEntry::OpenImageDialog(const QString& code, const QString& name) {
    if (!EntranceSession().frmUserEntranceGazo)
        EntranceSession().frmUserEntranceGazo = new TfrmUserEntranceGazo(this);
    EntranceSession().frmUserEntranceGazo->RequestImageForUser(code, name);
}

void TfrmUserEntry::AfterImageRead(const QString& Code) {
    RadioAll->setChecked(true);
    RadioAllClick();
    LocateUser(Code);
    if (ImageReadOk)
        ShowImageState(true);
}

void TfrmUserEntry::btnPrintClick() {
    if (FModified && !ConfirmSaveChanges(0))
        return;
    if (!HasUsers()) {
        ShowMessage("個人情報が登録されていません。");
        return;
    }
    if (!EntranceSession().frmPrintRiyosya)
        EntranceSession().frmPrintRiyosya = new TfrmPrintRiyosya;
    EntranceSession().frmPrintRiyosya->ShowDialog(this, GetCurrentUserCode());
}

} // namespace entrance
