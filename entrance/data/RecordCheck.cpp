#include "RecordCheck.h"

#include "DataModule1.h"
#include "base/DateTime.h"
#include "db/DataSet.h"
#include "dbengine/Query.h"

#include <cmath>

namespace entrance {

namespace {

bool SameValue(const TField& field, const QVariant& read) {
    const QVariant now = field.Value();
    if (now.isNull() || read.isNull())
        return now.isNull() && read.isNull();
    const double a = now.toDouble(), b = read.toDouble();
    switch (field.DataType()) {
    case ftTime:
        return std::abs((a - std::floor(a)) - (b - std::floor(b))) * SecondsPerDay < 1;
    case ftDateTime:
        return std::abs(a - b) * MSecsPerDay < 1;
    default:
        return now == field.ConvertValue(read);
    }
}

} // namespace

namespace {

QString RefusalText(TRowChange change) {
    switch (change) {
    case TRowChange::Changed:
        return "他の端末で変更または削除されたため、登録できませんでした。\r"
               "他の端末で登録された内容を表示しました（変更した項目は入力したままです）。"
               "もう一度登録すると、画面の内容で登録します。";
    case TRowChange::Deleted:
        return "他の端末で削除されたため、登録できませんでした。";
    case TRowChange::Taken:
        break;
    }
    return "他の端末で変更または削除されたため、登録できませんでした。";
}

} // namespace

ERecordChanged::ERecordChanged(TRowChange change)
    : EDatabaseError(RefusalText(change)), FChange(change) {}

TReadRows::TReadRows(TDataSet& data, const QStringList& columns) : FColumns(columns) {
    for (data.First(); !data.Eof(); data.Next())
        FRows << RowOf(data);
    data.First();
}

TReadRows TReadRows::CurrentOf(const TDataSet& data, const QStringList& columns) {
    TReadRows read;
    read.FColumns = columns;
    if (!data.IsEmpty())
        read.FRows << read.RowOf(data);
    return read;
}

QVariantList TReadRows::RowOf(const TDataSet& data) const {
    QVariantList row;
    for (const QString& column : FColumns)
        row << data.FieldByName(column)->Value();
    return row;
}

bool TReadRows::HeldBy(TDataSet& data) const {
    data.First();
    bool same = true;
    for (int r = 0; same && r < FRows.size(); ++r, data.Next()) {
        same = !data.Eof();
        for (int c = 0; same && c < FColumns.size(); ++c)
            same = SameValue(*data.FieldByName(FColumns[c]), FRows[r][c]);
    }
    same = same && data.Eof();
    data.First();
    return same;
}

void TReadRows::Check(TDataSet& data) const {
    if (HeldBy(data))
        return;
    if (FRows.isEmpty())
        throw ERecordChanged(TRowChange::Taken);
    throw ERecordChanged(data.IsEmpty() ? TRowChange::Deleted : TRowChange::Changed);
}

void PostChecked(TQuery& query, const TReadRows& asRead, const std::function<void()>& write) {
    query.RequestLive = true;
    try {
        InAccessTransaction([&] {
            query.Open();
            asRead.Check(query);
            write();
        });
    } catch (...) {
        query.Close();
        query.RequestLive = false;
        throw;
    }
    query.Close();
    query.RequestLive = false;
}

} // namespace entrance
