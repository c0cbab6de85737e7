#include "Form_EntranceItemSetup.h"

#include "Form_EntranceItemSetup_Sub0.h"
#include "Unit_EntranceItems.h"
#include "base/Convert.h"
#include "base/Files.h"
#include "components/grids/MOStringGrid.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/SetupGrids.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_CommonRequests.h"
#include "entrance/reports/masterlists/Report_Ninsyoki.h"
#include "protocol/CommRequests.h"
#include "ui/DisabledScope.h"
#include "ui/SelectionColor.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace entrance {

namespace {

enum TUnitColumn { ColID, ColName, ColStart, ColEnd, ColState, ColTamper };

QString RunningText() {
    return LoadStr(65151);
}

QString StoppedText() {
    return LoadStr(65120);
}

} // namespace

TfrmEntranceItemSetup::TfrmEntranceItemSetup(QWidget* owner) : TForm(owner) {
    setWindowTitle("各認証機の設定");
    CreateControls();
    sqlEntsub.SetDatabaseName("RORazu");
    btnTanpa->setVisible(EntranceSession().CurrentOperator.Code == 1);
    RefreshUnitGrid();
    Timer1->start();
}

TfrmEntranceItemSetup::~TfrmEntranceItemSetup() = default;

void TfrmEntranceItemSetup::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    StringGridEx1 = new TMOStringGrid(this);
    SetUpListGrid(StringGridEx1, {{"認証機ID", 70, taCenter},
                                  {"認 証 機 名", 260},
                                  {"稼動開始時間", 100, taCenter},
                                  {"稼動終了時間", 100, taCenter},
                                  {"作動状況", 90, taCenter},
                                  {"認　証", 90, taCenter}});
    StringGridEx1->setMinimumSize(740, 360);
    layout->addWidget(StringGridEx1, 1);
    auto* buttons = new QHBoxLayout;
    btnAddNew = new QPushButton("新規追加", this);
    BitBtnEdit = new QPushButton("編集", this);
    btnDelete = new QPushButton("削除", this);
    btnTanpa = new QPushButton("タンパーSW解除", this);
    BtnPrint = new QPushButton("印刷", this);
    BtnClose = new QPushButton("閉じる", this);
    for (QPushButton* button : {btnAddNew, BitBtnEdit, btnDelete, btnTanpa, BtnPrint})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    layout->addLayout(buttons);
    EscapeButton = BtnClose;
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    connect(btnAddNew, &QPushButton::clicked, this, &TfrmEntranceItemSetup::btnAddNewClick);
    connect(BitBtnEdit, &QPushButton::clicked, this, &TfrmEntranceItemSetup::BitBtnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmEntranceItemSetup::btnDeleteClick);
    connect(btnTanpa, &QPushButton::clicked, this, &TfrmEntranceItemSetup::btnTanpaClick);
    connect(BtnPrint, &QPushButton::clicked, this, &TfrmEntranceItemSetup::BtnPrintClick);
    connect(BtnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(Timer1, &QTimer::timeout, this, &TfrmEntranceItemSetup::Timer1Timer);
    StringGridEx1->OnDblClick = [this](QObject*) { BitBtnEditClick(); };
    StringGridEx1->OnKeyPress = [this](QObject*, QChar& key) {
        if (key == QChar('\r'))
            BitBtnEditClick();
    };
    StringGridEx1->OnDrawCell = [this](QObject*, int col, int row, const TRect& rect,
                                       TGridDrawState) { StringGridEx1DrawCell(col, row, rect); };
}

void TfrmEntranceItemSetup::FormShow() {
    CenterInMainArea();
}

void TfrmEntranceItemSetup::RefreshUnitGrid() {
    ClearGridRowsFrom(StringGridEx1, 1);
    sqlEntrance.Close();
    sqlEntrance.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlEntrance.SQL().Assign(QStringList{"SELECT * FROM entranceState", "ORDER BY 認証機ID"});
    sqlEntrance.RequestLive = false;
    sqlEntrance.Open();
    if (!sqlEntrance.IsEmpty())
        StringGridEx1->SetRowCount(sqlEntrance.RecordCount() + 1);
    for (int row = 1; !sqlEntrance.Eof(); sqlEntrance.Next(), ++row) {
        auto time = [this](const char* name) {
            TField* field = sqlEntrance.FieldByName(name);
            return field->IsNull() ? QString() : UnitGridTimeText(field->AsDateTime());
        };
        StringGridEx1->SetRows(
            row,
            {QString::number(sqlEntrance.FieldByName("認証機ID")->AsInteger()),
             sqlEntrance.FieldByName("認証機名")->AsString(), time("稼動開始"), time("稼動終了"),
             sqlEntrance.FieldByName("作動状況")->AsBoolean() ? RunningText() : StoppedText(),
             "0"});
        // A table without the tamper column still lists its units.
        try {
            if (sqlEntrance.FieldByName("タンパー開")->AsInteger() == 1)
                StringGridEx1->SetCells(ColTamper, row, "1");
        } catch (const Exception&) {
        }
    }
    sqlEntrance.Close();
}

void TfrmEntranceItemSetup::RunUnitDialog(int unitID, bool isNew) {
    if (!EntranceSession().frmEntranceItemSetup_Sub0 ||
        EntranceSession().frmEntranceItemSetup_Sub0->Closing())
        EntranceSession().frmEntranceItemSetup_Sub0 = new TfrmEntranceItemSetup_Sub0(this, Timer1);
    if (EntranceSession().frmEntranceItemSetup_Sub0->ExecuteUnitDialog(unitID, isNew) == mrOk)
        RefreshUnitGrid();
}

void TfrmEntranceItemSetup::btnAddNewClick() {
    QList<int> ids;
    for (int row = 1; row < StringGridEx1->RowCount(); ++row)
        if (IsNumber(StringGridEx1->Cells(ColID, row), 0))
            ids << StringGridEx1->Cells(ColID, row).trimmed().toInt();
    const int id = LowestFreeUnitID(ids);
    if (id == 0) {
        MessageBox(LoadStr(65163));
        return;
    }
    TDisabledScope busy(this);
    RunUnitDialog(id, true);
}

void TfrmEntranceItemSetup::BitBtnEditClick() {
    const QString id = StringGridEx1->Cells(ColID, StringGridEx1->Row());
    if (IsNumber(id, 0))
        RunUnitDialog(id.trimmed().toInt(), false);
}

void TfrmEntranceItemSetup::btnDeleteClick() {
    const int row = StringGridEx1->Row();
    if (StringGridEx1->Cells(ColState, row) != StoppedText()) {
        MessageBox(LoadStr(65147));
        return;
    }
    const QString id = StringGridEx1->Cells(ColID, row);
    if (!IsNumber(id, 0))
        return;
    if (MessageBox(StringGridEx1->Cells(ColName, row) + LoadStr(65146),
                   MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return;
    QCoreApplication::processEvents();
    const int unit = id.trimmed().toInt();
    try {
        DeleteUnit(unit);
        // The marked rows carry the removals to the unit whenever it is found; the request
        // only hurries them to a unit that is there now, where it reaches the program.
        RequestUnitRemoval(unit);
    } catch (const Exception& e) {
        ShowMessage(e.Message());
    }
    RefreshUnitGrid();
}

// The unit's room rows go and its person rows are marked 削除 first, in one committed
// transaction; only then the unit row, so that no new unit taking the same ID inherits rows of
// the old one. The marked rows stay until the unit, when found again, confirms each removal.
void TfrmEntranceItemSetup::DeleteUnit(int unitID) {
    const QString where = "WHERE 認証機ID=" + QString::number(unitID);
    TDatabase* db1 = EntranceSession().DM1->DB1;
    if (!db1->Connected())
        db1->Open();
    db1->StartTransaction();
    try {
        for (const QString& statement : {QString("DELETE 認証機ID FROM M_認証機グループ"),
                                         QString("UPDATE M_使用認証機 SET 削除=True")}) {
            sqlEntsub.Close();
            sqlEntsub.SQL().Assign(QStringList{statement, where});
            sqlEntsub.ExecSQL();
        }
        db1->Commit();
    } catch (...) {
        db1->Rollback();
        throw;
    }
    sqlEntrance.Close();
    sqlEntrance.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlEntrance.SQL().Assign(QStringList{"DELETE FROM entranceState", where});
    sqlEntrance.ExecSQL();
}

// Asks the communication program to release the alarm of a running unit whose case was
// opened; the grid changes once that program has cleared the tamper columns.
void TfrmEntranceItemSetup::btnTanpaClick() {
    const int row = StringGridEx1->Row();
    int tamper = 0;
    TryStrToInt(StringGridEx1->Cells(ColTamper, row), tamper);
    int unit = 0;
    if (tamper != 1 || StringGridEx1->Cells(ColState, row) != RunningText() ||
        !TryStrToInt(StringGridEx1->Cells(ColID, row), unit))
        return;
    if (MessageBox(StringGridEx1->Cells(ColName, row) + "のタンパーSWを解除します。\r" +
                       "よろしいですか？",
                   MB_OKCANCEL) != IDOK)
        return;
    SetWaitCursor(true);
    const bool sent = SendCommRequest(CD_RESET_TAMPER, QString::number(unit));
    SetWaitCursor(false);
    if (!sent)
        ShowMessage(EntranceSession().NetworkMode
                        ? "ネットワーク接続に失敗しました。"
                        : "認証機コミュニケーションが見つかりませんでした。");
}

void TfrmEntranceItemSetup::BtnPrintClick() {
    OpenReport(EntranceSession().Rep_Ninsyoki);
}

void TfrmEntranceItemSetup::Timer1Timer() {
    const TDateTime age = FileAge(ExtractFilePath(EntranceSession().DataPath) + LoadStr(65183));
    if (age >= 0 && age != FFileTime) {
        FFileTime = age;
        RefreshUnitGrid();
    }
}

// The selected row in white on the selection colour; the running state in blue or red (white
// on the selected row, where blue would not read on the selection colour), and a running unit
// with an opened case marked in red, on every row.
void TfrmEntranceItemSetup::StringGridEx1DrawCell(int col, int row, const TRect& rect) {
    if (col < ColState) {
        DrawSelectedRowCell(StringGridEx1, col, row, rect);
        return;
    }
    if (row < 1)
        return;
    TCanvas& canvas = *StringGridEx1->Canvas();
    const bool selected = row == StringGridEx1->Row();
    if (selected)
        SetSelectedRowColors(canvas, StringGridEx1->IsActiveControl());
    else
        canvas.Brush = TBrush{clWindow, bsSolid};
    canvas.FillRect(rect);
    const bool running = StringGridEx1->Cells(ColState, row) == RunningText();
    QString text = StringGridEx1->Cells(col, row);
    if (col == ColState)
        canvas.Font.Color = running ? (selected ? clWhite : clBlue) : clRed;
    else {
        text = text == "1" && running ? "認証不可" : QString();
        canvas.Font.Color = clRed;
    }
    TRect r = rect;
    canvas.DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void TfrmEntranceItemSetup::FormClose(TCloseAction& action) {
    Timer1->stop();
    ClearGridRows(StringGridEx1);
    sqlEntrance.Close();
    sqlEntsub.Close();
    action = caFree;
}

} // namespace entrance
