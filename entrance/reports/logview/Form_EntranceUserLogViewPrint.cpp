#include "Form_EntranceUserLogViewPrint.h"

#include "components/grids/MOStringGrid.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/LogOperations.h"
#include "entrance/common/PickedDate.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/SetupGrids.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/common/Unit_CommonWait.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/reports/logview/Form_PrintSetupByUser.h"
#include "entrance/reports/logview/Form_UserListUp.h"
#include "entrance/reports/persons/UserLogView.h"
#include "ui/DisabledScope.h"
#include "ui/ShowMessage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace entrance {

namespace {

enum { ColID, ColName, ColOperation, ColTime };
enum { ColEntries = 2, ColExits = 3 };

TMOStringGrid* NewStripedGrid(QWidget* parent, const QList<TListColumn>& columns) {
    auto* grid = new TMOStringGrid(parent);
    SetUpListGrid(grid, columns);
    grid->SetGridStyle(mgsStriped);
    grid->SetStripeColor(RGB(241, 233, 254));
    return grid;
}

// A count cell: empty for none.
QString CountText(int count) {
    return count == 0 ? QString() : QString::number(count);
}

} // namespace

TfrmEntranceUserLogViewPrint::TfrmEntranceUserLogViewPrint(QWidget* owner)
    : TForm(owner), sqlLog(std::make_unique<TQuery>()) {
    setWindowTitle("利用者別記録印刷");
    CreateControls();
    FormCreate();
}

TfrmEntranceUserLogViewPrint::~TfrmEntranceUserLogViewPrint() = default;

void TfrmEntranceUserLogViewPrint::CreateControls() {
    auto* layout = new QGridLayout(this);
    Label1 =
        new QLabel("利用者と日付を入力して、記録の表示や印刷ボタンをクリックして下さい。", this);
    layout->addWidget(Label1, 0, 0, 1, 2);
    auto* choice = new QGridLayout;
    cmbName = new QComboBox(this);
    cmbName->setEditable(true);
    // A typed code is looked up, never added to the list.
    cmbName->setInsertPolicy(QComboBox::NoInsert);
    cmbName->setMinimumWidth(220);
    cmbName->lineEdit()->installEventFilter(this);
    EnterDate = new TPickedDate(this);
    Ed_EnterDate = EnterDate->Box;
    Ed_sDate = EnterDate->Picker;
    btnUserSearch = new QPushButton("一覧検索", this);
    btnLogView = new QPushButton("記録の表示", this);
    choice->addWidget(new QLabel("氏　　名", this), 0, 0);
    choice->addWidget(cmbName, 0, 1, 1, 2);
    choice->addWidget(btnUserSearch, 0, 3);
    choice->addWidget(new QLabel("日　　付", this), 1, 0);
    choice->addWidget(Ed_EnterDate, 1, 1);
    choice->addWidget(Ed_sDate, 1, 2);
    choice->addWidget(btnLogView, 1, 3);
    layout->addLayout(choice, 1, 0, 1, 2);

    LogGrid = NewStripedGrid(
        this,
        {{"ID", 39, taCenter}, {"認 証 機 名", 190}, {"操作", 40, taCenter}, {"操作時間", 98}});
    EntGrid1 = NewStripedGrid(this, {{"ID", 48, taCenter},
                                     {"認 証 機 名", 197},
                                     {"入室数", 64, taCenter},
                                     {"退室数", 64, taCenter}});
    LogGrid->setMinimumSize(390, 320);
    EntGrid1->setMinimumSize(395, 320);
    layout->addWidget(new QLabel("記 録 一 覧", this), 2, 0);
    layout->addWidget(new QLabel("認 証 機 の 記 録 集 計", this), 2, 1);
    layout->addWidget(LogGrid, 3, 0);
    layout->addWidget(EntGrid1, 3, 1);

    auto* buttons = new QHBoxLayout;
    btnDayPrint = new QPushButton("日報印刷", this);
    btnCLOSE = new QPushButton("閉じる", this);
    buttons->addStretch();
    buttons->addWidget(btnDayPrint);
    buttons->addWidget(btnCLOSE);
    layout->addLayout(buttons, 4, 0, 1, 2);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->showMessage("　個人ごとに指定日のログを表示します。");
    layout->addWidget(StatusBar1, 5, 0, 1, 2);
    EscapeButton = btnCLOSE;

    connect(btnUserSearch, &QPushButton::clicked, this,
            &TfrmEntranceUserLogViewPrint::btnUserSearchClick);
    connect(btnLogView, &QPushButton::clicked, this,
            &TfrmEntranceUserLogViewPrint::btnLogViewClick);
    connect(btnDayPrint, &QPushButton::clicked, this,
            &TfrmEntranceUserLogViewPrint::btnDayPrintClick);
    connect(btnCLOSE, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmEntranceUserLogViewPrint::FormCreate() {
    TWaitWindowScope wait(this, LoadStr(65148));
    EntranceList = std::make_unique<TEntrance>();
    EntranceList->ListLogTables();
    UserList = std::make_unique<TUsers>();
    UserList->Load(nullptr, 0);
    EntGrid1->SetRowCount(std::max(2, EntranceList->Count() + 1));
    for (int i = 0; i < EntranceList->Count(); ++i)
        EntGrid1->SetRows(i + 1, {QString::number(EntranceList->IDAt(i)), EntranceList->NameAt(i),
                                  QString(), QString()});
    for (int i = 0; i < UserList->Count; ++i)
        cmbName->addItem(UserList->CodeAt(i) + ":" + UserList->NameAt(i));
    cmbName->setCurrentIndex(UserList->Count > 0 ? 0 : -1);
    EnterDate->SetMaximumDate(Date());
    EnterDate->SetDate(Date());
}

// The main window, when the viewer lies in it: the viewer itself stays disabled while its
// dialogs are open, and would disable them with it.
QWidget* TfrmEntranceUserLogViewPrint::DialogOwner() const {
    return parentWidget() ? window() : nullptr;
}

void TfrmEntranceUserLogViewPrint::FormShow() {
    CenterInMainArea();
}

// Enter in the name box shows the records.
bool TfrmEntranceUserLogViewPrint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnLogView->click();
            return true;
        }
    }
    return TForm::eventFilter(watched, event);
}

void TfrmEntranceUserLogViewPrint::btnLogViewClick() {
    const TDateTime day = EnterDate->Date();
    const QString text = cmbName->currentText();
    if (text.isEmpty()) {
        ShowMessage("個人コードを選択して下さい。");
        return;
    }
    if (!EntranceList->LogTableExists(day)) {
        ShowMessage(LoadStr(65143));
        return;
    }
    const QString code = ChosenCode();
    if (!UserList->Codes.contains(code)) {
        ShowMessage(LoadStr(65144));
        return;
    }
    TWaitWindowScope wait(this, text + LoadStr(65149));
    ShowRecords(code, day);
}

// A person chosen from the list is read by its place, as a code may hold ":" itself; a
// typed text by the code before ":", or whole.
QString TfrmEntranceUserLogViewPrint::ChosenCode() const {
    const QString text = cmbName->currentText();
    const int item = cmbName->findText(text, Qt::MatchExactly);
    if (item >= 0)
        return UserList->CodeAt(item);
    const QString code = CodePartOf(text);
    return code.isEmpty() ? TrimJ(text) : code;
}

void TfrmEntranceUserLogViewPrint::ShowRecords(const QString& code, TDateTime day) {
    struct TCloseOnExit {
        TQuery& Query;
        ~TCloseOnExit() { Query.Close(); }
    } closeOnExit{*sqlLog};
    const qint64 dayNumber = qint64(DateOf(day));
    sqlLog->SetDatabaseName("ParaOzka");
    sqlLog->SQL().Assign(QStringList{
        "SELECT 認証機ID,操作種別,操作日時,個人コード,エラー種別",
        "FROM " + EntranceList->LogTableOfMonth(day),
        "WHERE (CDbl(操作日時) >= " + QString::number(dayNumber) + ")",
        "AND (CDbl(操作日時) < " + QString::number(dayNumber + 1) + ")", "AND (個人コード = :code)",
        "AND (エラー種別=1)", "AND " + EntryExitCondition(), "ORDER BY 操作日時 ASC"});
    sqlLog->ParamByName("code").SetAsString(code);
    ClearGrids();
    QList<TUserLogRecord> records;
    QList<QStringList> lines;
    for (sqlLog->Open(); !sqlLog->Eof(); sqlLog->Next()) {
        const TUserLogRecord record{sqlLog->FieldByName("認証機ID")->AsInteger(),
                                    sqlLog->FieldByName("操作種別")->AsInteger()};
        records << record;
        lines << QStringList{
            QString::number(record.UnitID), EntranceList->NameOfID(record.UnitID),
            OperationWord(record.Operation),
            FormatDateTime("hh:nn:ss", sqlLog->FieldByName("操作日時")->AsDateTime())};
    }
    if (lines.isEmpty())
        return;
    LogGrid->SetRowCount(int(lines.size()) + 1);
    for (int r = 0; r < lines.size(); ++r)
        LogGrid->SetRows(r + 1, lines[r]);
    const QList<TUnitCounts> counts = CountsPerUnit(EntranceList->UnitIDs, records);
    for (int i = 0; i < counts.size(); ++i) {
        EntGrid1->SetCells(ColEntries, i + 1, CountText(counts[i].Entries));
        EntGrid1->SetCells(ColExits, i + 1, CountText(counts[i].Exits));
    }
}

void TfrmEntranceUserLogViewPrint::ClearGrids() {
    LogGrid->SetRowCount(2);
    LogGrid->SetRows(1, {"", "", "", ""});
    for (int row = 1; row < EntGrid1->RowCount(); ++row) {
        EntGrid1->SetCells(ColEntries, row, QString());
        EntGrid1->SetCells(ColExits, row, QString());
    }
}

void TfrmEntranceUserLogViewPrint::btnUserSearchClick() {
    if (cmbName->count() == 0) {
        ShowMessage(LoadStr(65161));
        return;
    }
    QString code;
    {
        TDisabledScope busy(this);
        if (!EntranceSession().frmUserListUp)
            EntranceSession().frmUserListUp = new TfrmUserListUp(DialogOwner());
        code = EntranceSession().frmUserListUp->SelectUser(0);
    }
    if (code.isEmpty())
        return;
    const int item = int(UserList->Codes.indexOf(code));
    if (item < 0)
        return;
    cmbName->setCurrentIndex(item);
    btnLogView->click();
}

void TfrmEntranceUserLogViewPrint::btnDayPrintClick() {
    if (!EntranceSession().frmPrintSetupByUser)
        EntranceSession().frmPrintSetupByUser = new TfrmPrintSetupByUser(DialogOwner());
    EntranceSession().frmPrintSetupByUser->ShowDialog(this, *EntranceList, *UserList, ChosenCode());
}

} // namespace entrance
