#include "Report_Bumon.h"

namespace entrance {

namespace {
constexpr int RowsPerPage = 40;
constexpr int RowHeight = 22;
} // namespace

TRep_Bumon::TRep_Bumon(QWidget* owner) : TRep_MasterList(owner) {
    CreatePageBands("部　門　登　録　一　覧　表");
    const QList<TLRItem*> items = CreateColumns(
        {{"部門コード", 120, taCenter}, {"部　門　名", 480}, {"登録数", 122, taRightJustify}},
        RowsPerPage, RowHeight);
    ItmCode = items[0];
    ItmName = items[1];
    ItmCount = items[2];
    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int, TRect, TPrintStatus& Status) {
        LRGridPanel1PrintPanel(Status);
    };
    sqlBumon.SetDatabaseName(AccessDatabaseName);
    sqlBumon.SQL().Assign(QStringList{
        "SELECT M_部門.部門コード, M_部門.部門名, Count(M_個人情報.個人コード) AS 登録数",
        "FROM M_部門 LEFT JOIN M_個人情報 ON M_部門.部門コード = M_個人情報.部門コード",
        "WHERE ( (指コード Is Null) Or (指コード=0) )", "GROUP BY M_部門.部門コード, M_部門.部門名",
        "ORDER BY M_部門.部門コード"});
    sqlNoneCount.SetDatabaseName(AccessDatabaseName);
    sqlNoneCount.SQL().Assign(QStringList{"SELECT COUNT(個人コード) As 未登録数", "FROM M_個人情報",
                                          "WHERE ((部門コード is Null) OR (部門コード = 0))",
                                          "and ( (指コード Is Null) Or (指コード=0) )"});
}

bool TRep_Bumon::OpenData() {
    ReadOfficeName();
    sqlNoneCount.Open();
    FNoneCount = sqlNoneCount.FieldByName("未登録数")->AsInteger();
    sqlNoneCount.Close();
    sqlBumon.Open();
    return !sqlBumon.IsEmpty() || FNoneCount > 0;
}

// Each cell takes the next department; after the last one, the persons without a department
// once, when there are any.
void TRep_Bumon::LRGridPanel1PrintPanel(TPrintStatus& Status) {
    if (!sqlBumon.Eof()) {
        ItmCode->Text = QString::number(sqlBumon.FieldByName("部門コード")->AsInteger());
        ItmName->Text = sqlBumon.FieldByName("部門名")->AsString();
        ItmCount->Text = QString::number(sqlBumon.FieldByName("登録数")->AsInteger());
        sqlBumon.Next();
    } else if (FNoneRowPending) {
        ItmCode->Text.clear();
        ItmName->Text = "【 未登録 】";
        ItmCount->Text = QString::number(FNoneCount);
        FNoneRowPending = false;
    } else {
        Status = lrsSkip;
    }
}

} // namespace entrance
