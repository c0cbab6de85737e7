#include "Unit_Users.h"

#include "DataModule3.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"

namespace entrance {

void TUsers::Load(TComponent*, int flag) {
    Clear();
    TQuery& sqlUsers = *EntranceSession().DM3->sqlUsers;
    sqlUsers.Close();
    QStringList lines{"SELECT M_個人情報.個人コード,M_個人情報.氏名,M_個人情報.部門コード,"
                      "M_部門.部門名,M_個人情報.勤務グループコード",
                      "FROM M_個人情報 Left Join M_部門 ON M_個人情報.部門コード = "
                      "M_部門.部門コード",
                      "WHERE (M_個人情報.個人コード <>'')",
                      "and ( (M_個人情報.指コード Is Null) Or (M_個人情報.指コード=0) )"};
    if (flag == 1)
        lines << "AND (M_個人情報.勤務グループコード<>0) AND (M_個人情報.勤務グループコード is "
                 "not NULL)";
    lines << "ORDER BY M_個人情報.個人コード";
    sqlUsers.SQL().Assign(lines);
    sqlUsers.Open();
    for (; !sqlUsers.Eof(); sqlUsers.Next()) {
        Names << sqlUsers.FieldByName("氏名")->AsString();
        Codes << sqlUsers.FieldByName("個人コード")->AsString();
        DeptCodes << sqlUsers.FieldByName("部門コード")->AsInteger();
        WorkGroupCodes << sqlUsers.FieldByName("勤務グループコード")->AsInteger();
        DeptNames << sqlUsers.FieldByName("部門名")->AsString();
    }
    Count = int(Codes.size());
    sqlUsers.Close();
}

void TUsers::Clear() {
    Names.clear();
    Codes.clear();
    DeptCodes.clear();
    DeptNames.clear();
    WorkGroupCodes.clear();
    Count = 0;
}

QString TUsers::CodeAt(int i) const {
    return i >= 0 && i < Count ? Codes.value(i) : QString();
}

QString TUsers::NameAt(int i) const {
    return i >= 0 && i < Count ? Names.value(i) : QString();
}

QString TUsers::NameOfCode(const QString& code) const {
    return Names.value(IndexOfCode(code));
}

int TUsers::DeptCodeOfCode(const QString& code) const {
    return DeptCodes.value(IndexOfCode(code));
}

QString TUsers::DeptNameOfCode(const QString& code) const {
    return DeptNames.value(IndexOfCode(code));
}

} // namespace entrance
