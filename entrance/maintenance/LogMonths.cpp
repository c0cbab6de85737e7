#include "LogMonths.h"

#include <QRegularExpression>
#include <QtGlobal>
#include <algorithm>

namespace entrance {

int OldestKeptMonth(int current, int kept) {
    Q_ASSERT(kept >= MinKeptLogMonths && kept <= MaxKeptLogMonths);
    kept = std::clamp(kept, MinKeptLogMonths, MaxKeptLogMonths);
    const int year = current / 100;
    const int month = current % 100 - kept + 1;
    return month >= 1 ? year * 100 + month : (year - 1) * 100 + 12 + month;
}

TLogMonthFate LogMonthFate(int month, int current, int kept) {
    if (month > current)
        return TLogMonthFate::AskFuture;
    return month < OldestKeptMonth(current, kept) ? TLogMonthFate::Delete : TLogMonthFate::Keep;
}

int LogTableMonth(const QString& table) {
    // The whole name: "ENTRANCE_LOG2002_03_COPY" or "XENTRANCE_LOG2002_03" is no month table,
    // nor one with a line break at its end (which "$" would let through).
    static const QRegularExpression monthTable(
        QRegularExpression::anchoredPattern("ENTRANCE_LOG([0-9]{4})_([0-9]{2})"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = monthTable.match(table);
    const int month = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (month < 1 || month > 12)
        return 0;
    return match.captured(1).toInt() * 100 + month;
}

QString LogPeriodText(const QStringList& tables) {
    QList<int> months;
    for (const QString& table : tables)
        if (const int month = LogTableMonth(table))
            months << month;
    if (months.isEmpty())
        return QString();
    std::sort(months.begin(), months.end());
    auto text = [](int month) {
        return QString("%1年%2月").arg(month / 100).arg(month % 100, 2, 10, QChar('0'));
    };
    return text(months.first()) + "　～　" + text(months.last());
}

} // namespace entrance
