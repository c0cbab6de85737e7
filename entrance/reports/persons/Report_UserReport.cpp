#include "Report_UserReport.h"

#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_CommonWait.h"
#include "entrance/data/UserRows.h"
#include "entrance/reports/masterlists/Report_MasterList.h"
#include "protocol/CommRequests.h"

namespace entrance {

namespace {

// The page header: the title, under it the office name with the date and page, then the
// department line.
constexpr int HeaderHeight = 80;
constexpr int OfficeTop = 40;
constexpr int GroupTop = 60;

// Every column a person report prints, the department's and the work group's names joined.
const QStringList PersonSelectLines{
    "SELECT M_個人情報.認証画像,M_個人情報.個人コード,",
    "M_個人情報.電話,M_個人情報.氏名,",
    "M_個人情報.ﾌﾘｶﾞﾅ,M_個人情報.性別,",
    "M_個人情報.血液型,M_個人情報.郵便番号,",
    "M_個人情報.住所①,M_個人情報.住所②,",
    "M_個人情報.生年月日,M_個人情報.給与コード,",
    "M_個人情報.有効終了日,M_部門.部門名,",
    "M_勤務グループ.勤務グループ名,M_個人情報.勤務グループコード,",
    "M_個人情報.部門コード",
    "FROM (M_個人情報 LEFT JOIN M_部門 ON M_個人情報.部門コード = M_部門.部門コード)",
    "LEFT JOIN M_勤務グループ ON M_個人情報.勤務グループコード = "
    "M_勤務グループ.勤務グループコード",
    "WHERE (M_個人情報.個人コード <> '')",
    "and ( (M_個人情報.指コード Is Null) Or (M_個人情報.指コード=0) )"};

} // namespace

TRep_UserReport::TRep_UserReport(const QString& baseTitle, TPrinterOrientation orientation,
                                 QWidget* owner)
    : TRep_Form(owner), FBaseTitle(baseTitle) {
    LightRep1->SetOrientation(orientation);
    LightRep1->SetMarginLeft(WideMarginLeft);
    CreatePageBands(baseTitle);
    LRLayoutPanel1->SetHeight(HeaderHeight);
    const auto moveTo = [](TLRItem* item, int top) {
        item->SetBounds(item->Left(), top, item->Width(), item->Height());
    };
    moveTo(ItmTitle, 0);
    for (TLRItem* item : {ItmJigyosyo, ItmDate, ItmPage})
        moveTo(item, OfficeTop);
    ItmGroup = new TLRItem(LRLayoutPanel1);
    ItmGroup->SetBounds(0, GroupTop, 420, 20);
    const TBeforePrintEvent frameHeader = LRLayoutPanel1->BeforePrint;
    LRLayoutPanel1->BeforePrint = [this, frameHeader](QObject* sender, TRect rect,
                                                      TPrintStatus& status) {
        frameHeader(sender, rect, status);
        ItmGroup->Text = GroupLine();
    };
}

QString TRep_UserReport::GroupLine() const {
    return Request.FilterMode == 2 ? DeptLine() : QString();
}

void TRep_UserReport::Execute(const TPersonReportRequest& request) {
    Request = request;
    Title = PersonReportTitle(FBaseTitle, request.SortOrder);
    LightRep1->Title = Title;
    ItmTitle->Text = Title;
    RunPreview();
}

bool TRep_UserReport::OpenData() {
    TUserListQuery query = PersonReportFilterSQL(Request);
    query.Lines = PersonSelectLines + query.Lines;
    sqlUser.Close();
    AssignListQuery(sqlUser, query);
    sqlUser.Open();
    return !sqlUser.IsEmpty();
}

QString TRep_UserReport::WaitText() const {
    return LoadStr(65150);
}

QString TRep_UserReport::DeptLine() const {
    return "部門名 : " + Text("部門名");
}

QString TRep_UserReport::Text(const QString& column) const {
    return sqlUser.FieldByName(column)->AsString();
}

TDateTime TRep_UserReport::Date(const QString& column) const {
    return sqlUser.FieldByName(column)->AsFloat();
}

void TRep_UserReport::FillRowsWith(int rowsPerPage, std::function<void()> fillRow) {
    LRGridPanel1->OnPrintPanel = [this, rowsPerPage, fillRow](QObject*, int, int row, TRect,
                                                              TPrintStatus& Status) {
        if (row == 0)
            StartWaitProgress(rowsPerPage);
        StepWaitProgress();
        if (sqlUser.Eof()) {
            Status = lrsSkip;
            return;
        }
        fillRow();
        sqlUser.Next();
    };
}

QHash<QString, QList<int>> TRep_UserReport::UnitsOfPersons() {
    TQuery query;
    query.SetDatabaseName(AccessDatabaseName);
    query.SQL().Assign(QStringList{"SELECT 個人コード,認証機ID", "FROM M_使用認証機",
                                   QString("WHERE ") + UnitRowInUse,
                                   "ORDER BY 個人コード,認証機ID"});
    QHash<QString, QList<int>> units;
    for (query.Open(); !query.Eof(); query.Next())
        units[query.FieldByName("個人コード")->AsString()]
            << query.FieldByName("認証機ID")->AsInteger();
    return units;
}

} // namespace entrance
