#include "OperatorRules.h"

namespace entrance {

namespace {

const QStringList AllRanks{"管理者", "一般", "経理"};

} // namespace

QString RankText(int rank) {
    return AllRanks.value(rank, AllRanks.last());
}

QStringList RankItems(const TOperatorRec& current) {
    return current.Rank == 0 ? AllRanks : QStringList{RankText(current.Rank)};
}

int StoredRank(int chosen, int code, int stored, const TOperatorRec& current) {
    if (current.Rank != 0)
        return stored;
    if (code == current.Code)
        return current.Rank;
    return code == FirstOperatorCode ? 0 : chosen;
}

QString OperatorSaveError(const QString& name, bool changePassword, const QString& password,
                          const QString& confirmation, bool nameTakenByOther) {
    if (name.isEmpty())
        return "オペレーター名に入力して下さい。";
    if (changePassword && password != confirmation)
        return "パスワードと入力確認が一致しません。";
    if (nameTakenByOther)
        return "既に使用されているオペーレータ名です。";
    return QString();
}

} // namespace entrance
