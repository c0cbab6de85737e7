#include "Form_EntranceNowView.h"

#include "components/grids/MOStringGrid.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "entrance/common/DigitBox.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/LogOperations.h"
#include "entrance/common/PickedDate.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/SetupGrids.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/data/UserRows.h"
#include "entrance/data/UserRules.h"
#include "entrance/reports/records/Report_EntranceUserLog.h"
#include "entrance/reports/records/Report_UserEntranceLog.h"
#include "ui/DisabledScope.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTimer>

namespace entrance {

namespace {

enum { ColTime, ColOpe, ColCode, ColName, ColUnitName, ColUnitID, ColNone };

constexpr TColor SelectedModeColor = 0x00FDDEFE;

// "AND (CDbl(操作日時) >= n)" and "< n + 1" for the day `day`, n its day count.
QStringList DayBounds(TDateTime day) {
    const qint64 n = qint64(DateOf(day));
    return {QString("WHERE (CDbl(操作日時) >= %1)").arg(n),
            QString("AND (CDbl(操作日時) < %1)").arg(n + 1)};
}

// The day's entry and exit records of one unit, or of the person in the parameter :code.
QStringList DayLogSQL(const QString& table, TDateTime day, int unitID, bool withErrors) {
    QStringList lines{"SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別", "FROM " + table};
    lines << DayBounds(day) << "AND " + EntryExitCondition()
          << (unitID != 0 ? QString("AND (認証機ID=%1)").arg(unitID) : "AND (個人コード=:code)");
    if (!withErrors)
        lines << "AND (エラー種別=1)";
    lines << "ORDER BY 操作日時";
    return lines;
}

QLabel* NewPanel(QWidget* parent, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* panel = new QLabel(parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAlignment(alignment | Qt::AlignVCenter);
    panel->setMinimumWidth(60);
    return panel;
}

QComboBox* NewFilterBox(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

} // namespace

TfrmEntranceNowView::TfrmEntranceNowView(QWidget* owner)
    : TForm(owner), FUsers(std::make_unique<TUsers>()) {
    CreateControls();
    FormCreate();
}

TfrmEntranceNowView::~TfrmEntranceNowView() = default;

void TfrmEntranceNowView::CreateControls() {
    setWindowTitle("現在の入退室状況");
    auto* layout = new QGridLayout(this);

    auto* dateLine = new QHBoxLayout;
    pnlDate = new QLabel(this);
    FDate = new TPickedDate(this);
    FDate->TakesLaterDates = true;
    FDate->OnRefused = [](TTypedDate) { ShowMessage("日付を入力して下さい。"); };
    Ed_sDateBox = FDate->Box;
    Ed_sDate = FDate->Picker;
    btnMoveToday = new QPushButton("今  日", this);
    btnUserView = new QPushButton("利 用 者 状 況", this);
    btnEntView = new QPushButton("認 証 機 状 況", this);
    for (QWidget* w : std::initializer_list<QWidget*>{pnlDate, Ed_sDateBox, Ed_sDate, btnMoveToday})
        dateLine->addWidget(w);
    dateLine->addStretch();
    dateLine->addWidget(btnUserView);
    dateLine->addWidget(btnEntView);
    layout->addLayout(dateLine, 0, 0, 1, 2);

    pnlLists = new QStackedWidget(this);
    pnlUser = new QWidget(pnlLists);
    auto* userLayout = new QGridLayout(pnlUser);
    cmbCategory = NewFilterBox(pnlUser);
    cmbKana = NewFilterBox(pnlUser);
    cmbKana->addItems({"", "[ｱ-ｵ]", "[ｶ-ｺ]", "[ｻ-ｿ]", "[ﾀ-ﾄ]", "[ﾅ-ﾉ]", "[ﾊ-ﾎ]", "[ﾏ-ﾓ]", "[ﾔ-ﾖ]",
                       "[ﾗ-ﾛ]", "[ﾜ-ﾝ]"});
    cmbUserCode = NewFilterBox(pnlUser);
    cmbUserCode->addItem("");
    for (int d = 0; d <= 9; ++d)
        cmbUserCode->addItem(QString::number(d));
    SetMaxBytes(cmbUserCode->lineEdit(), 7);
    ChkIsLogSerch = new QCheckBox("記録があれば一覧に表示", pnlUser);
    ChkIsLogSerch->setChecked(true);
    ChkErrorView = new QCheckBox("エラーを含む", pnlUser);
    ChkErrorView->setChecked(true);
    btnSearch = new QPushButton(pnlUser);
    btnSearch->hide();
    btnClear = new QPushButton("クリア", pnlUser);
    UserGrid = new TMOStringGrid(pnlUser);
    SetUpListGrid(UserGrid, {{"個人コード", 80}, {"氏　　名", 130}});
    const struct {
        const char* caption;
        QWidget* box;
    } filters[] = {{"部門", cmbCategory}, {"ﾌﾘｶﾞﾅ", cmbKana}, {"個人コード", cmbUserCode}};
    int r = 0;
    for (const auto& f : filters) {
        userLayout->addWidget(new QLabel(f.caption, pnlUser), r, 0);
        userLayout->addWidget(f.box, r++, 1);
        static_cast<QComboBox*>(f.box)->lineEdit()->installEventFilter(this);
    }
    userLayout->addWidget(ChkIsLogSerch, r++, 0, 1, 2);
    userLayout->addWidget(ChkErrorView, r, 0);
    userLayout->addWidget(btnClear, r++, 1, Qt::AlignRight);
    userLayout->addWidget(UserGrid, r, 0, 1, 2);
    EntGrid1 = new TMOStringGrid(pnlLists);
    SetUpListGrid(EntGrid1, {{"ID", 40, taCenter}, {"認証機名", 170}});
    pnlLists->addWidget(pnlUser);
    pnlLists->addWidget(EntGrid1);
    FDate->Keys->Next = cmbCategory;
    layout->addWidget(pnlLists, 1, 0, 2, 1);

    PanelGridMsg = new QLabel(this);
    layout->addWidget(PanelGridMsg, 1, 1);
    LogGrid = new TMOStringGrid(this);
    LogGrid->SetColCount(7);
    LogGrid->SetRowCount(2);
    LogGrid->SetFixedCols(0);
    const int widths[] = {80, 50, 80, 130, 150, -1, -1};
    const char* headers[] = {
        "操 作 時 間", "操作", "個人コード", "氏　　名", "認 証 機 名", "", ""};
    for (int c = ColTime; c <= ColNone; ++c) {
        LogGrid->GridColumns()[c]->SetCaption(headers[c]);
        LogGrid->GridColumns()[c]->SetCanEdit(false);
        LogGrid->SetColWidths(c, widths[c]);
    }
    LogGrid->GridColumns()[ColOpe]->SetAlignment(taCenter);
    LogGrid->setMinimumSize(520, 300);
    layout->addWidget(LogGrid, 2, 1);
    layout->addWidget(CreateSummary(), 3, 0, 1, 2);

    auto* bottom = new QHBoxLayout;
    pnlMessage = new QLabel(this);
    pnlPrintView = new QLabel(this);
    BitBtn2 = new QPushButton("印  刷", this);
    btnClose = new QPushButton("閉じる", this);
    for (QWidget* w : std::initializer_list<QWidget*>{pnlMessage, pnlPrintView, BitBtn2, btnClose})
        bottom->addWidget(w);
    layout->addLayout(bottom, 4, 0, 1, 2);
    EscapeButton = btnClose;
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    connect(Timer1, &QTimer::timeout, this, &TfrmEntranceNowView::Timer1Timer);
    connect(btnUserView, &QPushButton::clicked, this, &TfrmEntranceNowView::btnUserViewClick);
    connect(btnEntView, &QPushButton::clicked, this, &TfrmEntranceNowView::btnEntViewClick);
    connect(btnSearch, &QPushButton::clicked, this, &TfrmEntranceNowView::btnSearchClick);
    connect(btnClear, &QPushButton::clicked, this, &TfrmEntranceNowView::btnClearClick);
    for (QComboBox* combo : {cmbCategory, cmbKana, cmbUserCode})
        connect(combo, &QComboBox::activated, this, &TfrmEntranceNowView::btnSearchClick);
    connect(Ed_sDate, &QDateEdit::dateChanged, this, &TfrmEntranceNowView::Ed_sDateChange);
    connect(btnMoveToday, &QPushButton::clicked, this, &TfrmEntranceNowView::btnMoveTodayClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmEntranceNowView::BitBtn2Click);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    UserGrid->OnDblClick = [this](QObject*) { UserGridDblClick(); };
    EntGrid1->OnDblClick = [this](QObject*) { EntGrid1DblClick(); };
    UserGrid->OnKeyPress = [this](QObject*, QChar& key) {
        if (key == QChar('\r'))
            UserGridDblClick();
    };
    EntGrid1->OnKeyPress = [this](QObject*, QChar& key) {
        if (key == QChar('\r'))
            EntGrid1DblClick();
    };
    LogGrid->OnDrawCell = [this](QObject*, int col, int row, const TRect& rect, TGridDrawState) {
        LogGridDrawCell(col, row, rect);
    };
}

// The latest record and the day's counts.
QWidget* TfrmEntranceNowView::CreateSummary() {
    auto* summary = new QWidget(this);
    auto* grid = new QGridLayout(summary);
    pnlEntranceCode = new QLabel(summary);
    pnlEntranceCode->hide();
    pnlEntranceName = NewPanel(summary);
    pnlUserCode = NewPanel(summary);
    pnlUserName = NewPanel(summary);
    pnlINorOUT = NewPanel(summary, Qt::AlignCenter);
    pnlOpeTime = NewPanel(summary);
    pnlLivingTime = NewPanel(summary);
    pnlINCount = NewPanel(summary, Qt::AlignRight);
    pnlOUTCount = NewPanel(summary, Qt::AlignRight);
    pnlErrorCount = NewPanel(summary, Qt::AlignRight);
    pnlOpeRate = NewPanel(summary, Qt::AlignRight);
    const struct {
        const char* caption;
        QLabel* panel;
    } latest[] = {{"認証機", pnlEntranceName}, {"個人コード", pnlUserCode},
                  {"氏名", pnlUserName},       {"操作", pnlINorOUT},
                  {"操作時間", pnlOpeTime},    {"経過時間", pnlLivingTime}},
      counts[] = {{"入室数", pnlINCount},
                  {"退室数", pnlOUTCount},
                  {"エラー数", pnlErrorCount},
                  {"認証率", pnlOpeRate}};
    int col = 0;
    for (const auto& p : latest) {
        grid->addWidget(new QLabel(p.caption, summary), 0, col);
        grid->addWidget(p.panel, 1, col++);
    }
    col = 0;
    for (const auto& p : counts) {
        grid->addWidget(new QLabel(p.caption, summary), 2, col);
        grid->addWidget(p.panel, 3, col++);
    }
    grid->addWidget(new QLabel("%", summary), 3, col);
    return summary;
}

void TfrmEntranceNowView::FormCreate() {
    FBusy = true;
    Timer1->stop();
    TWaitWindowScope wait(this, LoadStr(65148));
    FUsers->Load(nullptr, 0);
    FEntrance = std::make_unique<TEntrance>();
    FEntrance->ListLogTables();
    cmbCategory->addItems({LoadStr(65121), LoadStr(65122)});
    TQuery depts;
    depts.SetDatabaseName("RORazu");
    depts.SQL().Assign(
        QStringList{"SELECT 部門コード,部門名", "FROM M_部門", "ORDER BY 部門コード"});
    for (depts.Open(); !depts.Eof(); depts.Next())
        cmbCategory->addItem(depts.FieldByName("部門コード")->AsString() + ":" +
                             depts.FieldByName("部門名")->AsString());
    depts.Close();
    FillUnitList();
    ClearSummary();
    btnUserViewClick();
    ClearGridRowsFrom(LogGrid, 1);
    FFirstTick = true;
    Timer1Timer();
    Timer1->start();
}

void TfrmEntranceNowView::FillUnitList() {
    ClearGridRowsFrom(EntGrid1, 1);
    if (FEntrance->Count() > 0)
        EntGrid1->SetRowCount(FEntrance->Count() + 1);
    for (int i = 0; i < FEntrance->Count(); ++i)
        EntGrid1->SetRows(i + 1, {QString::number(FEntrance->IDAt(i)), FEntrance->NameAt(i)});
}

void TfrmEntranceNowView::FormShow() {
    CenterInMainArea();
    btnClearClick();
    cmbCategory->setFocus();
    FBusy = false;
}

void TfrmEntranceNowView::FormClose(TCloseAction& action) {
    Timer1->stop();
    ClearGridRowsFrom(LogGrid, 1);
    ClearGridRowsFrom(EntGrid1, 1);
    action = caFree;
}

// Enter in a filter box moves on and lists the persons again.
bool TfrmEntranceNowView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            btnSearchClick();
            return true;
        }
    }
    return TForm::eventFilter(watched, event);
}

TDateTime TfrmEntranceNowView::ShownDate() const {
    return FromQDate(Ed_sDate->date());
}

// Sets the date without running Ed_sDateChange.
void TfrmEntranceNowView::SetShownDate(TDateTime date) {
    {
        const QSignalBlocker blocker(Ed_sDate);
        Ed_sDate->setDate(ToQDate(date));
    }
    FDate->CloseUp();
}

void TfrmEntranceNowView::btnUserViewClick() {
    SwitchMode(true);
}

void TfrmEntranceNowView::btnEntViewClick() {
    SwitchMode(false);
}

void TfrmEntranceNowView::SwitchMode(bool userMode) {
    FUserMode = userMode;
    QPushButton* selected = userMode ? btnUserView : btnEntView;
    QPushButton* other = userMode ? btnEntView : btnUserView;
    selected->setStyleSheet("background-color: " + ToQColor(SelectedModeColor).name());
    selected->setDown(true);
    other->setStyleSheet(QString());
    other->setDown(false);
    for (QWidget* w : std::initializer_list<QWidget*>{cmbCategory, cmbKana, cmbUserCode, UserGrid})
        w->setFocusPolicy(userMode ? Qt::StrongFocus : Qt::ClickFocus);
    EntGrid1->setFocusPolicy(userMode ? Qt::ClickFocus : Qt::StrongFocus);
    ClearGridRowsFrom(LogGrid, 1);
    FLineColors.clear();
    pnlLists->setCurrentWidget(userMode ? pnlUser : static_cast<QWidget*>(EntGrid1));
    if (isVisible())
        (userMode ? static_cast<QWidget*>(cmbCategory) : EntGrid1)->setFocus();
    ClearSummary();
    const QString what = userMode ? "利用者" : "認証機";
    PanelGridMsg->setText(what + "をダブルクリックすると記録を表示します。");
    pnlMessage->setText(userMode ? "利用者が最後に利用した認証機を検索することが出来ます。"
                                 : "認証機を最後に使用した利用者を検索することが出来ます。");
    pnlPrintView->setText("現在表示中の" + what + "で印刷します。");
}

void TfrmEntranceNowView::btnClearClick() {
    for (QComboBox* combo : {cmbCategory, cmbKana, cmbUserCode}) {
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    }
    btnSearchClick();
}

QStringList TfrmEntranceNowView::CodesWithRecords() const {
    const QString table = FEntrance->LogTableOfMonth(ShownDate());
    if (table.isEmpty())
        return {};
    TQuery sqlSearch;
    sqlSearch.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlSearch.SQL().Assign(QStringList{"SELECT DISTINCT 個人コード", "FROM " + table} +
                           DayBounds(ShownDate()));
    QStringList codes;
    for (sqlSearch.Open(); !sqlSearch.Eof(); sqlSearch.Next())
        codes << sqlSearch.FieldByName("個人コード")->AsString();
    return codes;
}

// The persons the filters select; typed values are bound, never written into the SQL. The
// highlight stays on its person, so that Enter after a refresh loads the person chosen.
void TfrmEntranceNowView::btnSearchClick() {
    const QString highlighted = UserGrid->Cells(0, UserGrid->Row());
    TUserListFilter filter;
    filter.Dept = DeptFilterOf(cmbCategory->currentText());
    filter.Kana = TrimJ(cmbKana->currentText());
    filter.Code = TrimJ(cmbUserCode->currentText());
    const bool onlyWithRecords = ChkIsLogSerch->isChecked();
    QSet<QString> withRecords;
    if (onlyWithRecords)
        for (const QString& code : CodesWithRecords())
            withRecords.insert(code);
    TQuery sqlUser;
    AssignListQuery(sqlUser, UserListSQL(filter, false));
    QList<QStringList> rows;
    for (sqlUser.Open(); !sqlUser.Eof(); sqlUser.Next()) {
        const QString code = sqlUser.FieldByName("個人コード")->AsString();
        if (!onlyWithRecords || withRecords.contains(code))
            rows << QStringList{code, sqlUser.FieldByName("氏名")->AsString()};
    }
    ClearGridRowsFrom(UserGrid, 1);
    if (!rows.isEmpty())
        UserGrid->SetRowCount(int(rows.size()) + 1);
    for (int r = 0; r < rows.size(); ++r)
        UserGrid->SetRows(r + 1, rows[r]);
    if (!highlighted.isEmpty())
        SelectGridRowOf(UserGrid, 0, highlighted);
}

void TfrmEntranceNowView::ClearSummary() {
    for (QLabel* panel : {pnlEntranceName, pnlUserCode, pnlUserName, pnlINorOUT, pnlOpeTime,
                          pnlLivingTime, pnlINCount, pnlOUTCount, pnlErrorCount, pnlOpeRate})
        panel->clear();
    FLatestTime = 0;
}

void TfrmEntranceNowView::LoadLogGrid(const QString& personCode, int unitID) {
    ClearSummary();
    ClearGridRowsFrom(LogGrid, 1);
    FLineColors.clear();
    const TDateTime day = ShownDate();
    const QString table = FEntrance->LogTableOfMonth(day);
    if (table.isEmpty())
        return;
    TQuery sqlLog;
    sqlLog.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlLog.SQL().Assign(DayLogSQL(table, day, unitID, ChkErrorView->isChecked()));
    if (unitID == 0)
        sqlLog.ParamByName("code").SetAsString(personCode);
    QList<QStringList> rows;
    TRecordCounts counts;
    for (sqlLog.Open(); !sqlLog.Eof(); sqlLog.Next()) {
        const QString code = sqlLog.FieldByName("個人コード")->AsString();
        const int unit = sqlLog.FieldByName("認証機ID")->AsInteger();
        const TDateTime time = sqlLog.FieldByName("操作日時")->AsDateTime();
        const TRecordClass record =
            ClassifyRecord(sqlLog.FieldByName("操作種別")->AsInteger(),
                           sqlLog.FieldByName("エラー種別")->AsInteger(), TResultRule::OneSucceeds);
        counts.Add(record.Kind);
        rows << QStringList{time > 0 ? TimeToHMSStr(time) : QString(),
                            record.LineText,
                            code,
                            FUsers->NameOfCode(code),
                            FEntrance->NameOfID(unit),
                            QString::number(unit),
                            QString()};
        FLineColors << record.Color;
        FLatestTime = time;
        pnlINorOUT->setText(record.SummaryText);
    }
    sqlLog.Close();
    if (rows.isEmpty())
        return;
    LogGrid->SetRowCount(int(rows.size()) + 1);
    for (int r = 0; r < rows.size(); ++r)
        LogGrid->SetRows(r + 1, rows[r]);
    ShowLatest(int(rows.size()), counts);
}

// The last row is the latest record.
void TfrmEntranceNowView::ShowLatest(int row, const TRecordCounts& counts) {
    pnlEntranceCode->setText(LogGrid->Cells(ColUnitID, row));
    pnlEntranceName->setText(LogGrid->Cells(ColUnitName, row));
    pnlUserCode->setText(LogGrid->Cells(ColCode, row));
    pnlUserName->setText(LogGrid->Cells(ColName, row));
    pnlOpeTime->setText(LogGrid->Cells(ColTime, row));
    pnlLivingTime->setText(FLatestTime > 0 ? ElapsedText(FLatestTime, Now(), ShownDate())
                                           : QString());
    pnlINCount->setText(QString::number(counts.In));
    pnlOUTCount->setText(QString::number(counts.Out));
    pnlErrorCount->setText(QString::number(counts.Error));
    pnlOpeRate->setText(counts.In + counts.Out != 0 ? QString::number(counts.Rate()) : QString());
}

void TfrmEntranceNowView::UserGridDblClick() {
    const int row = UserGrid->Row();
    const QString code = UserGrid->Cells(0, row);
    if (row < 1 || code.isEmpty())
        return;
    LoadPicked(code, 0);
}

// The unit picked is the unit shown from now on, also when it has no record on the day, so a
// date change loads that unit and not the one shown before.
void TfrmEntranceNowView::EntGrid1DblClick() {
    const int row = EntGrid1->Row();
    const QString id = EntGrid1->Cells(0, row);
    if (row < 1 || !IsNumber(id, 0))
        return;
    pnlEntranceCode->setText(id);
    LoadPicked(QString(), id.toInt());
}

// A picked person's or unit's day; the poll does not reload meanwhile.
void TfrmEntranceNowView::LoadPicked(const QString& personCode, int unitID) {
    FBusy = true;
    try {
        LoadLogGrid(personCode, unitID);
    } catch (...) {
        FBusy = false;
        throw;
    }
    FBusy = false;
}

void TfrmEntranceNowView::Ed_sDateChange() {
    int year, month, day;
    DecodeDate(ShownDate(), year, month, day);
    pnlDate->setText(QString("%1年 %2月 %3日").arg(year).arg(month).arg(day));
    ClearGridRowsFrom(LogGrid, 1);
    FLineColors.clear();
    ClearSummary();
    if (FUserMode)
        btnSearchClick();
    else if (IsNumber(pnlEntranceCode->text(), 0))
        LoadLogGrid(QString(), pnlEntranceCode->text().toInt());
}

void TfrmEntranceNowView::btnMoveTodayClick() {
    SetShownDate(Date());
    Ed_sDateChange();
}

// Two commits within one tick of the file time still differ in size.
TFileStamp TfrmEntranceNowView::LogFileStamp() const {
    const QString file = FEntrance->LogFileOfMonth(ShownDate());
    return file.isEmpty() ? TFileStamp{} : FileStampOf(file);
}

// Follows the log while the day shown is today and a person or unit is shown: the elapsed
// time each second, the records whenever the month's file changed.
void TfrmEntranceNowView::Timer1Timer() {
    if (FFirstTick) {
        FFirstTick = false;
        SetShownDate(Date());
        Ed_sDateChange();
        FLogStamp = LogFileStamp();
    }
    if (DateOf(ShownDate()) != Date() || pnlUserCode->text().isEmpty() ||
        !FEntrance->LogTableExists(ShownDate()))
        return;
    // Also while still blank: a record of this very second (or stamped a little ahead of
    // this PC's clock) starts counting once the clock passes it.
    if (FLatestTime > 0)
        pnlLivingTime->setText(ElapsedText(FLatestTime, Now(), ShownDate()));
    const TFileStamp stamp = LogFileStamp();
    if (stamp == FLogStamp || FBusy)
        return;
    FLogStamp = stamp;
    if (FUserMode) {
        const QString code = pnlUserCode->text();
        btnSearchClick();
        LoadLogGrid(code);
    } else if (IsNumber(pnlEntranceCode->text(), 0)) {
        LoadLogGrid(QString(), pnlEntranceCode->text().toInt());
    }
}

template <class Report>
void TfrmEntranceNowView::PrintThrough(QPointer<Report>& slot, const TLogReportRequest& request) {
    OpenReport(slot, this,
               [this, &request](Report& report) { report.Execute(request, *FEntrance, *FUsers); });
}

// Prints the day of the person or unit shown through its record report.
void TfrmEntranceNowView::BitBtn2Click() {
    TDisabledScope disabled(this);
    if (pnlUserCode->text().isEmpty()) {
        ShowMessage("記録を表示させて印刷して下さい。");
        return;
    }
    if (LogGrid->Cells(ColCode, 1).isEmpty()) {
        ShowMessage("記録が存在しません。");
        return;
    }
    Timer1->stop();
    const TLogReportRequest request{{ShownDate(), ShownDate()},
                                    1,
                                    FUserMode ? pnlUserCode->text() : pnlEntranceCode->text(),
                                    true};
    try {
        if (FUserMode)
            PrintThrough(EntranceSession().Rep_UserEntranceLog, request);
        else
            PrintThrough(EntranceSession().Rep_EntranceUserLog, request);
    } catch (...) {
        Timer1->start();
        throw;
    }
    Timer1->start();
}

// The operation column in the colour of its kind, centred.
void TfrmEntranceNowView::LogGridDrawCell(int col, int row, const TRect& rect) {
    if (col != ColOpe || row < 1 || row > FLineColors.size())
        return;
    TCanvas& canvas = *LogGrid->Canvas();
    canvas.Brush = TBrush{LogGrid->CellColor(col, row), bsSolid};
    canvas.FillRect(rect);
    canvas.Font.Color = FLineColors[row - 1];
    TRect r = rect;
    canvas.DrawText(LogGrid->Cells(col, row), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

} // namespace entrance
