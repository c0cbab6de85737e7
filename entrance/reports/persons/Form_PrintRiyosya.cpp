#include "Form_PrintRiyosya.h"

#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/PickedDate.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/reports/masterlists/Report_MasterList.h"
#include "entrance/reports/persons/PrintDialogParts.h"
#include "entrance/reports/persons/Report_UserNinsyoki.h"
#include "entrance/reports/persons/Report_UserSingleInfo.h"
#include "entrance/reports/persons/Report_UserView.h"
#include "ui/DisabledScope.h"
#include "ui/ShowMessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace entrance {

namespace {

const QString NotDateMessage = "日付を入力して下さい。";
const QString LaterMessage = "カレンダーの日付より後の日付は入力できません。"
                             "後の日付はカレンダーか「今　日」で選んで下さい。";

QGroupBox* NewGroup(QWidget* parent, const QString& title, QList<QRadioButton*> radios) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    for (QRadioButton* radio : radios)
        layout->addWidget(radio);
    return group;
}

} // namespace

TfrmPrintRiyosya::TfrmPrintRiyosya(QWidget* owner) : TForm(owner) {
    setWindowTitle("利用者印刷");
    CreateControls();
    FormCreate();
}

TfrmPrintRiyosya::~TfrmPrintRiyosya() = default;

void TfrmPrintRiyosya::CreateControls() {
    QVBoxLayout* layout = NewDialogLayout(this, "利 用 者 情 報 印 刷");

    RadioKihon = new QRadioButton("基本情報一覧を印刷する。");
    RadioDaityou = new QRadioButton("基本台帳を印刷する。");
    RadioUsedEntrance = new QRadioButton("使用認証機一覧を印刷する。");
    G1 = NewGroup(this, "印刷する種類を選択してください。",
                  {RadioKihon, RadioDaityou, RadioUsedEntrance});
    RadioCode = new QRadioButton("個人コード順で印刷する。");
    RadioKana = new QRadioButton("ﾌﾘｶﾞﾅ順で印刷する。");
    RadioKigen = new QRadioButton("有効終了日順で印刷する。");
    G2 = NewGroup(this, "印刷する順番を選択して下さい。", {RadioCode, RadioKana, RadioKigen});

    G3 = new QGroupBox("絞り込みの設定を行って下さい。", this);
    auto* g3 = new QGridLayout(G3);
    RadioAll = new QRadioButton("全て印刷する。", G3);
    RadioBumon = new QRadioButton("部門を指定して印刷する。", G3);
    lblGroup = new QLabel("部門名", G3);
    cmbGroup = new QComboBox(G3);
    RadioRiyousya = new QRadioButton("利用者を指定して印刷する。", G3);
    lblItem = new QLabel("氏　名", G3);
    cmbItem = new QComboBox(G3);
    // The lists are filled as the dialog shows; each item is read whole.
    for (QComboBox* combo : {cmbGroup, cmbItem})
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    g3->addWidget(RadioAll, 0, 0, 1, 3);
    g3->addWidget(RadioBumon, 1, 0);
    g3->addWidget(lblGroup, 1, 1);
    g3->addWidget(cmbGroup, 1, 2);
    g3->addWidget(RadioRiyousya, 2, 0);
    g3->addWidget(lblItem, 2, 1);
    g3->addWidget(cmbItem, 2, 2);

    G4 = new QGroupBox("有効終了日を設定してください。", this);
    auto* g4 = new QGridLayout(G4);
    chkDate = new QCheckBox("有効終了日を指定して印刷する。", G4);
    FLimit = new TPickedDate(G4);
    Ed_StartDate = FLimit->Box;
    Ed_sDate = FLimit->Picker;
    FLimit->OnRefused = [](TTypedDate verdict) {
        ShowMessage(verdict == TTypedDate::NotDate ? NotDateMessage : LaterMessage);
    };
    btnToDay = new QPushButton("今　日", G4);
    lblEndDate = new QLabel("現在期限切れ", G4);
    g4->addWidget(chkDate, 0, 0, 1, 4);
    g4->addWidget(Ed_StartDate, 1, 0);
    g4->addWidget(Ed_sDate, 1, 1);
    g4->addWidget(btnToDay, 1, 2);
    g4->addWidget(lblEndDate, 1, 3);

    for (QWidget* group : {G1, G2, G3, G4})
        layout->addWidget(group);
    const TPrintButtons buttons =
        AddPrintButtons(this, layout, "　個人ごとに指定日のログを表示します。");
    btnPrint = buttons.Print;
    btnCLOSE = buttons.Close;
    StatusBar1 = buttons.Status;

    for (QRadioButton* radio : {RadioAll, RadioBumon, RadioRiyousya})
        connect(radio, &QRadioButton::clicked, this, &TfrmPrintRiyosya::RadioAllClick);
    connect(chkDate, &QCheckBox::clicked, this, &TfrmPrintRiyosya::chkDateClick);
    connect(btnToDay, &QPushButton::clicked, this, &TfrmPrintRiyosya::btnToDayClick);
    connect(btnPrint, &QPushButton::clicked, this, &TfrmPrintRiyosya::btnPrintClick);
}

void TfrmPrintRiyosya::FormCreate() {
    FLimit->SetDate(Date());
    chkDateClick();
    RadioKihon->setChecked(true);
    RadioCode->setChecked(true);
    RadioAll->setChecked(true);
    RadioAllClick();
}

void TfrmPrintRiyosya::ShowDialog(QWidget* Caller, const QString& currentCode) {
    FCurrentCode = currentCode;
    if (Caller)
        CallerControl = std::make_unique<TDisabledScope>(Caller);
    ShowMdiChild();
}

// The frame takes the width of the lists just filled before it takes its place.
void TfrmPrintRiyosya::FormShow() {
    FillLists();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->adjustSize();
    else
        adjustSize();
    CenterInMainArea();
}

// Each item keeps its code as its data, so a code that holds ":" is still read whole.
void TfrmPrintRiyosya::FillLists() {
    cmbItem->clear();
    cmbGroup->clear();
    TQuery query;
    query.SetDatabaseName(AccessDatabaseName);
    query.SQL().Assign(QStringList{"SELECT 個人コード,氏名,部門コード", "FROM M_個人情報",
                                   "WHERE ( (M_個人情報.指コード Is Null) Or "
                                   "(M_個人情報.指コード=0) )",
                                   "ORDER BY 個人コード"});
    int personIndex = 0, currentDept = -1;
    for (query.Open(); !query.Eof(); query.Next()) {
        const QString code = query.FieldByName("個人コード")->AsString();
        if (!FCurrentCode.isEmpty() && code == FCurrentCode) {
            personIndex = cmbItem->count();
            currentDept = query.FieldByName("部門コード")->AsInteger();
        }
        cmbItem->addItem(code + ":" + query.FieldByName("氏名")->AsString(), code);
    }
    query.Close();
    query.SQL().Assign(
        QStringList{"SELECT 部門名,部門コード", "FROM M_部門", "ORDER BY 部門コード"});
    int deptIndex = 0;
    for (query.Open(); !query.Eof(); query.Next()) {
        const int code = query.FieldByName("部門コード")->AsInteger();
        if (code == currentDept)
            deptIndex = cmbGroup->count();
        cmbGroup->addItem(IntToStrPadSpace(code, 2) + ":" + query.FieldByName("部門名")->AsString(),
                          code);
    }
    cmbItem->setCurrentIndex(cmbItem->count() ? personIndex : -1);
    cmbGroup->setCurrentIndex(cmbGroup->count() ? deptIndex : -1);
}

void TfrmPrintRiyosya::FormClose(TCloseAction& action) {
    CallerControl.reset();
    action = caFree;
}

int TfrmPrintRiyosya::FilterMode() const {
    return RadioBumon->isChecked() ? 2 : RadioRiyousya->isChecked() ? 1 : 0;
}

int TfrmPrintRiyosya::SortOrder() const {
    return RadioKana->isChecked() ? 1 : RadioKigen->isChecked() ? 2 : 0;
}

TDateTime TfrmPrintRiyosya::EndDateLimit() const {
    return chkDate->isChecked() ? FLimit->Date() : -1.0;
}

TPersonReportRequest TfrmPrintRiyosya::Request() const {
    return {FilterMode(), SortOrder(), EndDateLimit(), DeptCode, PersonCode};
}

void TfrmPrintRiyosya::RadioAllClick() {
    const bool dept = RadioBumon->isChecked(), person = RadioRiyousya->isChecked();
    cmbGroup->setEnabled(dept);
    lblGroup->setEnabled(dept);
    cmbItem->setEnabled(person);
    lblItem->setEnabled(person);
}

void TfrmPrintRiyosya::chkDateClick() {
    for (QWidget* w : std::initializer_list<QWidget*>{btnToDay, Ed_StartDate, Ed_sDate, lblEndDate})
        w->setEnabled(chkDate->isChecked());
}

bool TfrmPrintRiyosya::Ed_StartDateExit() {
    return FLimit->BoxExit() == TTypedDate::Taken;
}

void TfrmPrintRiyosya::btnToDayClick() {
    FLimit->SetDate(Date());
}

void TfrmPrintRiyosya::btnPrintClick() {
    if (chkDate->isChecked() && !Ed_StartDateExit())
        return;
    {
        TDisabledScope busy(this);
        DeptCode = cmbGroup->currentIndex() >= 0 ? cmbGroup->currentData().toInt() : 0;
        PersonCode = cmbItem->currentData().toString();
        const TPersonReportRequest request = Request();
        const auto run = [&request](auto& report) { report.Execute(request); };
        if (RadioKihon->isChecked())
            OpenReport(EntranceSession().Rep_UserView, this, run);
        else if (RadioDaityou->isChecked())
            OpenReport(EntranceSession().Rep_UserSingleInfo, this, run);
        else
            OpenReport(EntranceSession().Rep_UserNinsyoki, this, run);
    }
    // The closed preview leaves the window below it in front: the greyed screen behind the
    // dialog would look frozen.
    BringToFront();
}

} // namespace entrance
