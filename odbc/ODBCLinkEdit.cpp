// The dataset's field values, generated statements and blob streams.
#include "ODBCLink.h"

#include "db/Field.h"
#include "odbc/ODBCLinkTypes.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>

namespace {

bool IsCharBound(SQLSMALLINT type, bool wcharMapsChar) {
    switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return true;
    default:
        return wcharMapsChar && IsWideType(type);
    }
}

bool IsNumericText(SQLSMALLINT type) {
    return type == SQL_NUMERIC || type == SQL_DECIMAL;
}

// Makes `out` hold `value`, made in its place: a QVariant made aside and moved into a
// field's value is read back before it is all written, which costs more than the rest of
// reading the field. Tells whether `out` holds a value, without asking the QVariant.
template <typename T> bool Put(QVariant& out, T&& value) {
    std::destroy_at(&out);
    try {
        std::construct_at(&out, std::forward<T>(value));
    } catch (...) {
        std::construct_at(&out);
        throw;
    }
    if constexpr (std::is_same_v<std::remove_cvref_t<T>, QVariant>)
        return out.isValid();
    else
        return true;
}

double CurrencyValue(double value) {
    return double(qRound64(value * 10000)) / 10000;
}

// The UTF-8 bytes of `text`, cut at a character's start so that at most `limit` remain.
QByteArray CutUtf8(const QString& text, int limit) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= limit)
        return bytes;
    int end = limit;
    while (end > 0 && (uchar(bytes[end]) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

template <typename T> T ReadAs(const uint8_t* p) {
    T value{};
    std::memcpy(&value, p, sizeof(value));
    return value;
}

template <typename T> SQLLEN WriteAs(uint8_t* p, T value) {
    std::memcpy(p, &value, sizeof(value));
    return SQLLEN(sizeof(value));
}

SQLLEN WriteBytes(uint8_t* p, const QByteArray& bytes, int room) {
    const int n = qMin(int(bytes.size()), room);
    std::memcpy(p, bytes.constData(), size_t(n));
    return n;
}

} // namespace

// ---------------------------------------------------------------- dates and times

SQL_DATE_STRUCT DateToODBC(TDateTime value) {
    int year, month, day;
    DecodeDate(value, year, month, day);
    return {SQLSMALLINT(year), SQLUSMALLINT(month), SQLUSMALLINT(day)};
}

SQL_TIME_STRUCT TimeToODBC(TDateTime value) {
    int hour, min, sec, msec;
    DecodeTime(value, hour, min, sec, msec);
    return {SQLUSMALLINT(hour), SQLUSMALLINT(min), SQLUSMALLINT(sec)};
}

SQL_TIMESTAMP_STRUCT TimeStampToODBC(TDateTime value) {
    int year, month, day, hour, min, sec, msec;
    DecodeDateTime(value, year, month, day, hour, min, sec, msec);
    return {SQLSMALLINT(year), SQLUSMALLINT(month), SQLUSMALLINT(day),          SQLUSMALLINT(hour),
            SQLUSMALLINT(min), SQLUSMALLINT(sec),   SQLUINTEGER(msec) * 1000000};
}

TDateTime DateTimeFromODBC(const void* data, SQLSMALLINT sqlType) {
    auto combine = [](TDateTime date, TDateTime time) {
        return date < 0 ? date - time : date + time;
    };
    switch (sqlType) {
    case SQL_DATE:
    case SQL_TYPE_DATE: {
        const auto d = ReadAs<SQL_DATE_STRUCT>(static_cast<const uint8_t*>(data));
        return EncodeDate(d.year, d.month, d.day);
    }
    case SQL_TIME:
    case SQL_TYPE_TIME: {
        const auto t = ReadAs<SQL_TIME_STRUCT>(static_cast<const uint8_t*>(data));
        return EncodeTime(t.hour, t.minute, t.second, 0);
    }
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: {
        const auto s = ReadAs<SQL_TIMESTAMP_STRUCT>(static_cast<const uint8_t*>(data));
        return combine(EncodeDate(s.year, s.month, s.day),
                       EncodeTime(s.hour, s.minute, s.second, int(s.fraction / 1000000)));
    }
    default:
        DatabaseError("DateTimeFromODBC had a bad SQLType.");
    }
}

// ---------------------------------------------------------------- row values

SQLLEN TCustomDBLinkODBC::HeldLength(const uint8_t* row, const TResultCol& col) const {
    const SQLLEN indicator = Indicator(row, col);
    if (indicator < 0 && indicator != SQL_NO_TOTAL)
        return indicator;
    const char* value = reinterpret_cast<const char*>(row + col.Offset);
    if (IsCharBound(col.SQLType, FQuery->WCharMapsChar())) {
        const SQLLEN held = SQLLEN(qstrnlen(value, uint(qMax(col.Size - 1, 0))));
        return indicator == SQL_NO_TOTAL ? held : qMin(indicator, held);
    }
    if (IsWideType(col.SQLType)) {
        SQLLEN held = 0;
        while (held + 1 < col.Size - 1 && (value[held] || value[held + 1]))
            held += 2;
        return indicator == SQL_NO_TOTAL ? held : qMin(indicator, held);
    }
    return indicator == SQL_NO_TOTAL || indicator > col.Size ? col.Size : indicator;
}

bool TCustomDBLinkODBC::ReadValue(TField* field, const uint8_t* row, const TResultCol& col,
                                  QVariant& value) const {
    const uint8_t* p = row + col.Offset;
    // Only texts and bytes need their length: numbers and dates are read for every row.
    auto length = [&] { return int(HeldLength(row, col)); };
    const bool wideBound = IsWideType(col.SQLType) && !FQuery->WCharMapsChar();
    auto text = [&] {
        return wideBound ? QString::fromUtf16(reinterpret_cast<const char16_t*>(p), length() / 2)
                         : QString::fromUtf8(reinterpret_cast<const char*>(p), length());
    };
    auto number = [&]() -> QVariant {
        bool ok = false;
        const double value = text().trimmed().toDouble(&ok);
        return ok ? QVariant(CurrencyValue(value)) : QVariant();
    };
    switch (field->DataType()) {
    case ftString:
    case ftMemo:
        return Put(value, text());
    case ftWideString:
        return Put(value, wideBound ? text() : text().left(field->Size()));
    case ftSmallint:
        return Put(value,
                   col.SQLType == SQL_TINYINT ? int(ReadAs<int8_t>(p)) : int(ReadAs<int16_t>(p)));
    case ftWord:
        return Put(value,
                   col.SQLType == SQL_TINYINT ? int(ReadAs<uint8_t>(p)) : int(ReadAs<uint16_t>(p)));
    case ftInteger:
    case ftAutoInc:
        return Put(value, int(ReadAs<int32_t>(p)));
    case ftBoolean:
        return Put(value, p[0] != 0);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        if (IsNumericText(col.SQLType))
            return Put(value, number());
        if (col.SQLType == SQL_REAL)
            return Put(value, std::round(double(ReadAs<float>(p)) * 1e7) / 1e7);
        return Put(value, ReadAs<double>(p));
    case ftDate:
        return Put(value, DateOf(DateTimeFromODBC(p, col.SQLType)));
    case ftTime:
        return Put(value, TimeOf(DateTimeFromODBC(p, col.SQLType)));
    case ftDateTime:
        return Put(value, DateTimeFromODBC(p, col.SQLType));
    case ftLargeint: {
        bool ok = false;
        const qlonglong number = text().trimmed().toLongLong(&ok);
        return Put(value, ok ? QVariant(number) : QVariant());
    }
    case ftGuid:
        return Put(value, "{" + text() + "}");
    default:
        return Put(value, QByteArray(reinterpret_cast<const char*>(p), length()));
    }
}

void TCustomDBLinkODBC::WriteValue(TField* field, uint8_t* row, const TResultCol& col,
                                   const QVariant& value) {
    uint8_t* p = row + col.Offset;
    const int dataLength = FQuery->ResultCols().DataLength(field->FieldNo());
    SQLLEN length = 0;
    auto fixedText = [&](double v) {
        return WriteBytes(p, QString::number(CurrencyValue(v), 'f', col.Scale).toLatin1(),
                          col.Size - 1);
    };
    switch (field->DataType()) {
    case ftString:
    case ftMemo:
    case ftWideString: {
        QString text = value.toString();
        if (text.isEmpty()) {
            SetIndicator(row, col, SQL_NULL_DATA);
            return;
        }
        if (IsWideType(col.SQLType) && !FQuery->WCharMapsChar()) {
            const int chars = qMin(int(text.size()), (col.Size - 2) / 2);
            std::memcpy(p, text.utf16(), size_t(chars) * 2);
            p[chars * 2] = p[chars * 2 + 1] = 0;
            length = chars * 2;
            break;
        }
        if (FQuery->ODBCVersion() == ODBC35 && IsWideType(col.SQLType))
            text = text.left(field->Size() / 2);
        length = WriteBytes(p, CutUtf8(text, dataLength), dataLength);
        p[length] = 0;
        break;
    }
    case ftSmallint:
    case ftWord: {
        const int v = value.toInt();
        if (col.SQLType != SQL_TINYINT) {
            length = WriteAs<int16_t>(p, int16_t(v));
            break;
        }
        const bool fits = field->DataType() == ftWord ? v >= 0 && v <= 255 : v >= -128 && v <= 127;
        if (!fits)
            RaiseDatabaseError("Data overflow.(TinyInt)");
        length = WriteAs<uint8_t>(p, uint8_t(v));
        break;
    }
    case ftInteger:
    case ftAutoInc:
        length = WriteAs<int32_t>(p, int32_t(value.toInt()));
        break;
    case ftBoolean:
        length = WriteAs<uint8_t>(p, value.toBool() ? 1 : 0);
        break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        if (IsNumericText(col.SQLType)) {
            length = fixedText(value.toDouble());
            p[length] = 0;
        } else if (col.SQLType == SQL_REAL) {
            length = WriteAs<float>(p, float(value.toDouble()));
        } else {
            length =
                WriteAs<double>(p, field->DataType() == ftFloat ? value.toDouble()
                                                                : CurrencyValue(value.toDouble()));
        }
        break;
    case ftDate:
    case ftTime:
    case ftDateTime:
        // The column's own structure; midnight and day 0 are values like any other.
        if (col.SQLType == SQL_DATE || col.SQLType == SQL_TYPE_DATE)
            length = WriteAs(p, DateToODBC(value.toDouble()));
        else if (col.SQLType == SQL_TIME || col.SQLType == SQL_TYPE_TIME)
            length = WriteAs(p, TimeToODBC(value.toDouble()));
        else
            length = WriteAs(p, TimeStampToODBC(value.toDouble()));
        break;
    case ftLargeint:
        length = WriteBytes(p, QByteArray::number(value.toLongLong()), col.Size - 1);
        p[length] = 0;
        break;
    case ftGuid: {
        const QString text = value.toString();
        if (text.size() != 38)
            RaiseDatabaseError("Invalid GUID size");
        length = WriteBytes(p, text.mid(1, 36).toLatin1(), col.Size - 1);
        p[length] = 0;
        break;
    }
    default:
        length = WriteBytes(p, value.toByteArray(), col.Size);
        break;
    }
    SetIndicator(row, col, length);
}

bool TCustomDBLinkODBC::GetFieldData(TField* field, QVariant& value) {
    const TRecordBuffer record = GetActiveRecordBuffer();
    const TResultCol* col = record && field->FieldNo() > 0 ? &Column(field->FieldNo()) : nullptr;
    if (!col || Indicator(record, *col) == SQL_NULL_DATA) {
        value.clear();
        return false;
    }
    return ReadValue(field, record, *col, value);
}

void TCustomDBLinkODBC::SetFieldData(TField* field, const QVariant& value) {
    const TRecordBuffer record = GetActiveRecordBuffer();
    if (!record || field->FieldNo() <= 0)
        return;
    const TResultCol& col = Column(field->FieldNo());
    if (field->IsBlob())
        field->Modified = true;
    if (value.isNull()) {
        SetIndicator(record, col, SQL_NULL_DATA);
        return;
    }
    if (State() == dsEdit)
        SaveOldValue(field, record, col);
    WriteValue(field, record, col, value);
}

int TCustomDBLinkODBC::GetBlobFieldData(int fieldNo, QByteArray& buffer) {
    const TRecordBuffer record = GetActiveRecordBuffer();
    if (!record)
        return -1;
    const TResultCol& col = Column(fieldNo);
    const SQLLEN length = qMax(HeldLength(record, col), SQLLEN(0));
    buffer = QByteArray(reinterpret_cast<const char*>(record + col.Offset), int(length));
    return int(length);
}

std::unique_ptr<TStream> TCustomDBLinkODBC::CreateBlobStream(TField* field, TBlobStreamMode mode) {
    return std::make_unique<TqoLongVarStream>(field, mode);
}

// ---------------------------------------------------------------- key columns

void TCustomDBLinkODBC::SetUpdateKeyColumnText(const QString& value) {
    FUpdateKeyColumn = value;
    FKeys.clear();
    for (const QString& name : value.split(';')) {
        const QString trimmed = name.trimmed();
        if (trimmed.isEmpty())
            continue;
        TKeyColumn key;
        key.Name = trimmed;
        FKeys.append(key);
    }
}

// Column names are matched as the databases match them, without regard to case, so a key's
// old value, its place in SET and its column in WHERE are always the same column.
TCustomDBLinkODBC::TKeyColumn* TCustomDBLinkODBC::KeyColumn(const QString& name) {
    for (TKeyColumn& key : FKeys)
        if (key.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &key;
    return nullptr;
}

void TCustomDBLinkODBC::SaveOldValue(const TField* field, const uint8_t* row,
                                     const TResultCol& col) {
    TKeyColumn* key = KeyColumn(field->FieldName());
    if (!key || key->Saved)
        return;
    key->Saved = true;
    key->Indicator = HeldLength(row, col);
    key->Value = QByteArray(col.Size + 2, '\0');
    if (key->Indicator > 0)
        std::memcpy(key->Value.data(), row + col.Offset, size_t(key->Indicator));
}

void TCustomDBLinkODBC::FreeOldValues() {
    for (TKeyColumn& key : FKeys) {
        key.Saved = false;
        key.Indicator = SQL_NULL_DATA;
        key.Value.clear();
    }
}

// ---------------------------------------------------------------- the update query

void TCustomDBLinkODBC::MakeUpdateQuery() {
    if (!FUpdateQuery) {
        FUpdateQuery = std::make_unique<TCustomQueryODBC>();
        FUpdateQuery->SetName("UpdateQoFor" + Name());
        FUpdateQuery->SetNullConvert(true);
        FUpdateQuery->CursorState = qoClose;
        FUpdateQuery->KeepParams = true;
        FUpdateQuery->LongDataLimit = FQuery->LongDataLimit;
        FUpdateQuery->LongCharLimit = FQuery->LongCharLimit;
        FUpdateQuery->DefaultCharParamSize = FQuery->DefaultCharParamSize;
    }
    TConnectionODBC* clone = FQuery->Clone();
    if (clone && clone != FInternalConnection.get()) {
        FUpdateQuery->SetClone(clone);
        FInternalConnection.reset();
        return;
    }
    if (!FInternalConnection) {
        FInternalConnection = std::make_unique<TConnectionODBC>();
        FInternalConnection->SetName("CloneFor" + Name());
        FQuery->SetCloneOrigin(true);
        FQuery->SetClone(FInternalConnection.get());
    }
    FUpdateQuery->SetClone(FInternalConnection.get());
}

QString TCustomDBLinkODBC::TableName() const {
    if (!FUpdateTableName.contains(' '))
        return FUpdateTableName;
    return '"' + QString(FUpdateTableName).replace(".", "\".\"") + '"';
}

void TCustomDBLinkODBC::CheckUpdateSettings(bool needKeys) const {
    if (!FUpdateQuery)
        RaiseDatabaseError("Set UpdateTableName and UpdateKeyColumn before Open");
    if (FUpdateTableName.isEmpty())
        RaiseDatabaseError("UpdateTableName required.");
    if (needKeys && FUpdateKeyColumn.isEmpty())
        RaiseDatabaseError("UpdateColumnName required.");
}

// The row the statement's parameters point into: a copy of the active record whose lengths
// say what the buffers really hold, so a value cut at fetch never reads into the next column.
uint8_t* TCustomDBLinkODBC::BoundRow() {
    TRecordBuffer record = GetActiveRecordBuffer();
    uint8_t* row = FCached ? ScratchRow() : record;
    if (row != record)
        std::memcpy(row, record, size_t(FRowSize));
    const TResultCols& cols = FQuery->ResultCols();
    for (int c = 1; c <= cols.Count(); ++c)
        SetIndicator(row, cols.Items(c), HeldLength(row, cols.Items(c)));
    return row;
}

void TCustomDBLinkODBC::BindColumn(int n, const TResultCol& col, uint8_t* value,
                                   SQLLEN* indicator) {
    const bool maps = FQuery->WCharMapsChar();
    SQLSMALLINT cType = SQL_C_DEFAULT;
    if (IsWideType(col.SQLType))
        cType = maps ? SQL_C_CHAR : SQL_C_WCHAR;
    else if (col.SQLType == SQL_WLONGVARCHAR || col.SQLType == SQL_BIGINT)
        cType = SQL_C_CHAR;
    SQLULEN size = 0;
    if (IsNumericText(col.SQLType)) {
        size = SQLULEN(col.Precision);
    } else if (HasDataLength(col.SQLType) || IsWideType(col.SQLType) || col.SQLType == SQL_BIGINT) {
        const int number = FQuery->ResultCols().IndexOf(col.DisplayName());
        size = SQLULEN(FQuery->ResultCols().DataLength(number));
        if (IsWideType(col.SQLType) && maps)
            size /= 2;
    }
    FUpdateQuery->BindParamEx(n, 0, cType, col.SQLType, size, SQLSMALLINT(col.Scale), value,
                              indicator);
}

void TCustomDBLinkODBC::BindRowColumn(int n, const TResultCol& col, uint8_t* row) {
    BindColumn(n, col, row + col.Offset, reinterpret_cast<SQLLEN*>(row + col.Offset + col.Size));
}

const TResultCol* TCustomDBLinkODBC::FindColumn(const QString& name) const {
    const TResultCols& cols = FQuery->ResultCols();
    for (int c = 1; c <= cols.Count(); ++c)
        if (cols.Items(c).DisplayName().compare(name, Qt::CaseInsensitive) == 0)
            return &cols.Items(c);
    return nullptr;
}

QString TCustomDBLinkODBC::KeyCondition(uint8_t* row, int& n) {
    QString sql;
    for (TKeyColumn& key : FKeys) {
        sql += (sql.isEmpty() ? " WHERE " : " AND ") + key.Name;
        const TResultCol* col = FindColumn(key.Name);
        if (!col)
            RaiseDatabaseError(QString("Field '%1' not found").arg(key.Name));
        if (key.Saved) {
            if (key.Indicator == SQL_NULL_DATA) {
                sql += " IS NULL";
                continue;
            }
            sql += "=?";
            BindColumn(++n, *col, reinterpret_cast<uint8_t*>(key.Value.data()), &key.Indicator);
        } else if (Indicator(row, *col) == SQL_NULL_DATA) {
            sql += " IS NULL";
        } else {
            sql += "=?";
            BindRowColumn(++n, *col, row);
        }
    }
    return sql;
}

void TCustomDBLinkODBC::RunUpdate(QString sql, int paramCount, const TqoReviewSQLEvent& review) {
    FUpdateQuery->SetParamCount(paramCount);
    bool doIt = true;
    if (review)
        review(this, sql, doIt);
    if (!doIt)
        return;
    if (sql != FUpdateQuery->SQLText()) {
        FUpdateQuery->SetSQLText(sql);
        FUpdateQuery->Prepare();
    }
    FUpdateQuery->Execute();
    FRowsAffected = FUpdateQuery->RowsAffected();
    if (FRowsAffected == 0)
        RaiseDatabaseError("Target row was altered.");
    if (FRowsAffected < 0)
        RaiseDatabaseError("RowsAffected was negative.");
    if (FRowsAffected > 1)
        RaiseDatabaseError("UpdateKeyColumn was not unique.");
}

// ---------------------------------------------------------------- generated statements

void TCustomDBLinkODBC::ExecInsert() {
    CheckUpdateSettings(false);
    uint8_t* row = BoundRow();
    const TResultCols& cols = FQuery->ResultCols();
    QString names, values;
    int n = 0;
    for (int c = 1; c <= cols.Count(); ++c) {
        const TResultCol& col = cols.Items(c);
        if (!col.Updatable)
            continue;
        names += col.Name + ",";
        TField* field = FindField(col.DisplayName());
        if (field && Indicator(row, col) != SQL_NULL_DATA) {
            values += "?,";
            BindRowColumn(++n, col, row);
        } else if (field && !field->DefaultExpression.isEmpty()) {
            values += field->DefaultExpression + ",";
        } else {
            values += "NULL,";
        }
    }
    names.chop(1);
    values.chop(1);
    // A row of nothing but NULLs is still a row the user asked for: the database decides.
    RunUpdate("INSERT INTO " + TableName() + "(" + names + ") VALUES (" + values + ")", n,
              FReviewInsertSQL);
    if (FExecAfterUpdate)
        InternalRefresh();
    else if (FCached && FWholeResult && FRowsInCache < FCashCount)
        AppendActiveToCache();
}

void TCustomDBLinkODBC::AppendActiveToCache() {
    const int rows = FRowsInCache;
    std::memcpy(RowAt(rows), GetActiveRecordBuffer(), size_t(FRowSize));
    FRowsInCache = rows + 1;
    if (rows == 0)
        SetCurrent(0);
    else
        SetCurrent(FCurIndex);
}

void TCustomDBLinkODBC::ExecUpdate() {
    CheckUpdateSettings(true);
    uint8_t* row = BoundRow();
    const TResultCols& cols = FQuery->ResultCols();
    QString sql = "UPDATE " + TableName() + " SET ";
    int n = 0;
    for (int c = 1; c <= cols.Count(); ++c) {
        const TResultCol& col = cols.Items(c);
        const TKeyColumn* key = KeyColumn(col.DisplayName());
        TField* field = FindField(col.DisplayName());
        if ((key && !key->Saved) || !col.Updatable || !field ||
            (field->IsBlob() && !field->Modified))
            continue;
        sql += col.Name + "=?,";
        BindRowColumn(++n, col, row);
    }
    if (n == 0)
        return;
    sql.chop(1);
    sql += KeyCondition(row, n);
    RunUpdate(sql, n, FReviewUpdateSQL);
    if (FExecAfterUpdate && FQuery->CursorType() != qoDynamic)
        InternalRefresh();
    else if (FCurRow)
        std::memcpy(FCurRow, GetActiveRecordBuffer(), size_t(FRowSize));
}

void TCustomDBLinkODBC::ExecDelete() {
    CheckUpdateSettings(true);
    uint8_t* row = BoundRow();
    int n = 0;
    const QString sql = "DELETE FROM " + TableName() + KeyCondition(row, n);
    RunUpdate(sql, n, FReviewDeleteSQL);
    if (FExecAfterUpdate) {
        FRefreshLast = GetRecord(TempBuffer(), gmNext, false) == grEOF;
        InternalRefresh();
    } else if (FCached && FWholeResult) {
        RemoveCurrentFromCache();
    }
}

void TCustomDBLinkODBC::RemoveCurrentFromCache() {
    const int rows = FRowsInCache;
    if (FCurIndex < 0 || FCurIndex >= rows)
        return;
    std::memmove(RowAt(FCurIndex), RowAt(FCurIndex + 1),
                 size_t(FRowSize) * size_t(rows - FCurIndex - 1));
    FRowsInCache = rows - 1;
    if (FRowsInCache == 0) {
        ClearCache();
        SetCurrent(-1);
        ClearBuffers();
        return;
    }
    SetCurrent(qMin(FCurIndex, FRowsInCache - 1));
}

void TCustomDBLinkODBC::InternalPost() {
    TDataSet::InternalPost();
    if (State() == dsEdit)
        ExecUpdate();
    else
        ExecInsert();
    FreeOldValues();
}

void TCustomDBLinkODBC::InternalAddRecord(TRecordBuffer, bool) {
    ExecInsert();
}

void TCustomDBLinkODBC::InternalDelete() {
    ExecDelete();
    FreeOldValues();
}

// ---------------------------------------------------------------- blob stream

TqoLongVarStream::TqoLongVarStream(TField* field, TBlobStreamMode mode)
    : FField(field), FFieldName(field->FieldName()),
      FDataSet(dynamic_cast<TCustomDBLinkODBC*>(field->DataSet())), FColumn(field->FieldNo()) {
    if (!FDataSet)
        DatabaseError(QString("Field '%1' has no ODBC dataset").arg(FFieldName));
    if (mode == bmRead)
        return;
    const TDataSetState state = FDataSet->State();
    if (state != dsEdit && state != dsInsert)
        DatabaseError("Dataset not in edit or insert mode", FDataSet);
    if (mode == bmWrite && Record()) {
        FDataSet->SetIndicator(Record(), FDataSet->Column(FColumn), SQL_NULL_DATA);
        FModified = true;
    }
}

TqoLongVarStream::~TqoLongVarStream() {
    if (!FModified)
        return;
    try {
        FField->Modified = true;
        FDataSet->DataEvent(deFieldChange, FField);
    } catch (...) {
        // A destructor cannot report; the value is already in the record.
    }
}

uint8_t* TqoLongVarStream::Record() const {
    return FDataSet->GetActiveRecordBuffer();
}

int64_t TqoLongVarStream::Size() {
    const uint8_t* record = Record();
    if (!record)
        return 0;
    return qMax(FDataSet->HeldLength(record, FDataSet->Column(FColumn)), SQLLEN(0));
}

// The position never lies before the column (Seek keeps it at 0 or more), and a count below
// 0 moves nothing, so every copy lies inside the column.
int64_t TqoLongVarStream::Read(void* buffer, int64_t count) {
    // Beyond the end n is negative: the position moves back to the end.
    const int64_t n = qMin(qMax(count, int64_t(0)), Size() - FPosition);
    if (n > 0) {
        const TResultCol& col = FDataSet->Column(FColumn);
        std::memcpy(buffer, Record() + col.Offset + FPosition, size_t(n));
    }
    FPosition += n;
    return n;
}

int64_t TqoLongVarStream::Write(const void* buffer, int64_t count) {
    const TResultCol& col = FDataSet->Column(FColumn);
    // At or past the column's end there is no room: nothing is written.
    const int64_t n = qMax(qMin(count, int64_t(col.Size) - FPosition), int64_t(0));
    uint8_t* record = Record();
    if (!record || n == 0)
        return n;
    std::memcpy(record + col.Offset + FPosition, buffer, size_t(n));
    FDataSet->SetIndicator(record, col, SQLLEN(FPosition + n));
    FPosition += n;
    FModified = true;
    return n;
}

// A position before the start is 0, as the memory stream has it; one past the largest
// position is the largest.
int64_t TqoLongVarStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : Size();
    int64_t position = 0;
    if (__builtin_add_overflow(base, offset, &position))
        position = offset < 0 ? 0 : INT64_MAX;
    FPosition = qMax(position, int64_t(0));
    return FPosition;
}
