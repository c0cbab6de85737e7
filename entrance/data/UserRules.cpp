#include "UserRules.h"

#include "base/Convert.h"
#include "base/SysUtils.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonText.h"
#include "protocol/CommRequests.h"

namespace entrance {

namespace {

const QString NoDept = "<未登録>";
const QString DuplicateCode = "個人コードが既に登録されているものと重複しています。";

} // namespace

QString DeptFilterOf(const QString& comboText) {
    const qsizetype colon = comboText.indexOf(':');
    if (colon >= 1)
        return comboText.left(colon);
    if (comboText == NoDept)
        return comboText;
    if (IsNumber(TrimJ(comboText), 0))
        return TrimJ(comboText);
    return "0";
}

TUserListQuery UserListSQL(const TUserListFilter& filter, bool withLevel) {
    TUserListQuery q;
    q.Lines << QString("SELECT ") + (withLevel ? "M_個人情報.ユーザーレベル," : "") +
                   "M_個人情報.個人コード,M_個人情報.氏名,M_個人情報.ﾌﾘｶﾞﾅ,M_個人情報.部門コード,"
                   "M_部門.部門名"
            << "FROM M_個人情報 LEFT JOIN M_部門 ON M_個人情報.部門コード = M_部門.部門コード";
    if (filter.Unregistered) {
        q.Lines << "WHERE ((M_個人情報.氏名 = \"\") OR (M_個人情報.氏名 Is NULL))";
    } else {
        q.Lines << "WHERE (M_個人情報.個人コード <> \"\")";
        if (filter.Dept == NoDept) {
            q.Lines << "AND ((M_個人情報.部門コード Is NULL) OR (M_個人情報.部門コード=0))";
        } else if (filter.Dept != "0") {
            q.Lines << "AND (M_個人情報.部門コード = :dept)";
            q.Params << qMakePair(QString("dept"), filter.Dept);
        }
        if (!filter.Kana.isEmpty()) {
            q.Lines << "AND (M_個人情報.ﾌﾘｶﾞﾅ Like :kana)";
            q.Params << qMakePair(QString("kana"), filter.Kana + "*");
        }
        if (!filter.Code.isEmpty()) {
            q.Lines << "AND (M_個人情報.個人コード Like :code)";
            q.Params << qMakePair(QString("code"), filter.Code + "*");
        }
        if (filter.WorkGroupOnly)
            q.Lines << "AND ((M_個人情報.勤務グループコード<>0) AND "
                       "(M_個人情報.勤務グループコード is not null))";
    }
    q.Lines << "and ( (M_個人情報.指コード Is Null) Or (M_個人情報.指コード=0) )"
            << "ORDER BY M_個人情報.個人コード";
    return q;
}

TBirthInput ParseBirthText(const QString& text, TDateTime& date, QString& error) {
    if (text.isEmpty())
        return TBirthInput::Empty;
    QString dateText = text;
    if (!text.front().isDigit()) {
        const QStringList parts = text.mid(1).split('/');
        TEraStr era{text.left(1).toUpper()};
        int ymd = 0;
        try {
            QString* fields[] = {&era.Year, &era.Month, &era.Day};
            for (int i = 0; i < 3; ++i)
                *fields[i] = IntToStrPadZero(StrToInt(parts.value(i)), 2);
            EraStrToYmd(era, ymd);
        } catch (const Exception& e) {
            error = e.Message();
            return TBirthInput::NotNumber;
        }
        dateText = QString("%1/%2/%3").arg(ymd / 10000).arg(ymd / 100 % 100).arg(ymd % 100);
    }
    // The screen types dates as yyyy/mm/dd, whatever the program-wide format.
    TFormatSettings settings;
    settings.ShortDateFormat = "yyyy/mm/dd";
    return TryStrToDate(dateText, date, settings) ? TBirthInput::Date : TBirthInput::NotDate;
}

QString BirthEraText(TDateTime date) {
    int era = 0, eraYmd = 0;
    YmdToEra(DateToYmd(date), era, eraYmd);
    return QString("%1%2/%3/%4")
        .arg(EraTable().value(era).Initial)
        .arg(eraYmd / 10000)
        .arg(eraYmd / 100 % 100)
        .arg(eraYmd % 100);
}

bool IsValidPersonCode(const QString& code) {
    for (const QChar c : code)
        if (c.isSpace() || c == ',' || c == '"' || c.category() == QChar::Other_Control)
            return false;
    return true;
}

TSaveCheck CheckSaveUser(const TSaveInput& in) {
    if (in.Code.isEmpty())
        return {TSaveAction::Refuse, "個人コードが入力されていません。", TSaveFocus::Code};
    const bool isNew = in.CurrentCode.isEmpty();
    const bool codeChanged = !isNew && in.Code != in.CurrentCode;
    if ((isNew || codeChanged) && !IsValidPersonCode(in.Code))
        return {TSaveAction::Refuse, "個人コードには空白、「,」、「\"」と制御文字は使えません。",
                TSaveFocus::Code};
    if (TrimJ(in.Name).isEmpty())
        return {TSaveAction::Refuse, "氏名が入力されていません。", TSaveFocus::Name};
    if (isNew && in.CodeExists(in.Code))
        return {TSaveAction::Refuse, DuplicateCode, TSaveFocus::Code};
    if (codeChanged && in.CodeExists(in.Code))
        return {TSaveAction::StoreOldCode, DuplicateCode, TSaveFocus::None, true};
    if (codeChanged && in.HasImage(in.CurrentCode))
        return {TSaveAction::Refuse,
                "既に認証画像が登録されているユーザの個人コードは、変更できません。",
                TSaveFocus::Code, true};
    return {};
}

TUnitStorePlan PlanUnitStore(const QList<TUnitTick>& ticks, const QList<int>& used) {
    TUnitStorePlan plan;
    for (const TUnitTick& tick : ticks)
        if (tick.Used != used.contains(tick.ID))
            (tick.Used ? plan.Insert : plan.Remove) << tick.ID;
    return plan;
}

QString RemovalRequestText(const QString& code, const QList<int>& units) {
    QString text;
    for (int unit : units)
        text += CodeUnitLine(code, unit) + "\r\n";
    return text;
}

} // namespace entrance
