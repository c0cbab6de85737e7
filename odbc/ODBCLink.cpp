// The dataset's properties, opening and closing, statement text and field definitions.
#include "ODBCLink.h"

#include "db/Field.h"
#include "odbc/ODBCLinkThread.h"
#include "odbc/ODBCLinkTypes.h"

namespace {

const QString SqlKeywords[] = {" ORDER BY ", " GROUP BY ", " HAVING "};
constexpr int WideDisplayPercent = 60;

} // namespace

TCustomDBLinkODBC::TCustomDBLinkODBC(TComponent* AOwner) : TDataSet(AOwner) {
    SetQuery(nullptr);
    FSQL.OnChange = [this] {
        if (!IsLoading())
            UnPrepare();
    };
}

TCustomDBLinkODBC::~TCustomDBLinkODBC() {
    Destroying();
    try {
        Close();
    } catch (const Exception&) {
    }
    WaitBackgroundFetch();
    FUpdateQuery.reset();
    FInternalConnection.reset();
    if (FQuery)
        FQuery->RemoveListener(this);
    FOwnQuery.reset();
}

void TCustomDBLinkODBC::Loaded() {
    if (FOwnQuery && OnCreateDefaultQO)
        OnCreateDefaultQO(this);
    TDataSet::Loaded();
}

void TCustomDBLinkODBC::RaiseDatabaseError(const QString& text) const {
    DatabaseError(text, this);
}

// ---------------------------------------------------------------- properties

void TCustomDBLinkODBC::SetBackGroundTrigger(int value) {
    CheckInactive();
    if (value < 0)
        RaiseDatabaseError("Invalid BackGroundTrigger value.");
    FBackGroundTrigger = value;
}

void TCustomDBLinkODBC::SetCashCount(int value) {
    CheckInactive();
    if (value < 0)
        RaiseDatabaseError("Invalid CashCount value.");
    FCashCount = value;
}

void TCustomDBLinkODBC::SetCheckBufSize(int value) {
    CheckInactive();
    if (value < 0 || value > 2048)
        RaiseDatabaseError("Invalid CheckBufSize value.");
    FCheckBufSize = value;
}

TConnectionODBC* TCustomDBLinkODBC::Clone() const {
    TConnectionODBC* clone = FQuery->Clone();
    return clone == FInternalConnection.get() ? nullptr : clone;
}

void TCustomDBLinkODBC::SetClone(TConnectionODBC* value) {
    CheckInactive();
    FQuery->SetClone(value);
}

void TCustomDBLinkODBC::SetCursorType(TqoCursorType value) {
    CheckInactive();
    FQuery->SetCursorType(value);
    FUniDirectional = value == qoForwardOnly;
}

void TCustomDBLinkODBC::SetDSName(const QString& value) {
    CheckInactive();
    FQuery->SetDSName(value);
}

int TCustomDBLinkODBC::LongVarCharLen() const {
    return FQuery->LongCharLimit != 0 ? FQuery->LongCharLimit : FQuery->LongDataLimit;
}

void TCustomDBLinkODBC::SetLongVarCharLen(int value) {
    CheckInactive();
    if (value <= 0)
        RaiseDatabaseError("Invalid LongVarCharLen value.");
    FQuery->LongCharLimit = value;
}

void TCustomDBLinkODBC::SetLongVarMaxLen(int value) {
    CheckInactive();
    if (value <= 0)
        RaiseDatabaseError("Invalid LongVarMaxLen value.");
    if (FQuery->LongCharLimit == FQuery->LongDataLimit)
        FQuery->LongCharLimit = value;
    FQuery->LongDataLimit = value;
}

void TCustomDBLinkODBC::SetODBCVersion(TqoODBCVersion value) {
    CheckInactive();
    FQuery->SetODBCVersion(value);
}

void TCustomDBLinkODBC::SetPassword(const QString& value) {
    CheckInactive();
    FQuery->SetPassword(value);
}

void TCustomDBLinkODBC::SetReadOnly(bool value) {
    FReadOnly = value;
    if (!FQuery->Connected())
        FQuery->SetReadOnly(value);
}

void TCustomDBLinkODBC::SetUniDirectional(bool value) {
    CheckInactive();
    FUniDirectional = value;
}

void TCustomDBLinkODBC::SetUserID(const QString& value) {
    CheckInactive();
    FQuery->SetUserID(value);
}

void TCustomDBLinkODBC::SetFiltered(bool value) {
    if (value == Filtered())
        return;
    TDataSet::SetFiltered(value);
    if (!Active())
        return;
    FRefreshFirst = value;
    Refresh();
}

void TCustomDBLinkODBC::SetFilterText(const QString& value) {
    if (value == Filter())
        return;
    TDataSet::SetFilterText(value);
    if (!Active() || !Filtered())
        return;
    FRefreshFirst = true;
    Refresh();
}

bool TCustomDBLinkODBC::GetCanModify() {
    if (FReadOnly || FQuery->ReadOnly())
        return false;
    return !FUpdateTableName.isEmpty() && !FUpdateKeyColumn.isEmpty();
}

// ---------------------------------------------------------------- the internal query

std::unique_ptr<TCustomQueryODBC> TCustomDBLinkODBC::CreateDefaultQuery() {
    return std::make_unique<TCustomQueryODBC>();
}

void TCustomDBLinkODBC::SetQuery(TCustomQueryODBC* value) {
    std::unique_ptr<TCustomQueryODBC> created;
    if (!value) {
        created = CreateDefaultQuery();
        created->SetName("DynamicQueryODBC");
        created->LongDataLimit = 16384;
        created->LongCharLimit = 16384;
        value = created.get();
    }
    if (value == FQuery)
        return;
    if (TCustomQueryODBC* old = FQuery) {
        value->CopyConnection(*old, false);
        const bool wasOrigin = old->CloneOrigin();
        TConnectionODBC* clone = old->Clone();
        value->LongDataLimit = old->LongDataLimit;
        value->LongCharLimit = old->LongCharLimit;
        old->RemoveListener(this);
        if (clone) {
            old->SetClone(nullptr);
            value->SetCloneOrigin(wasOrigin);
            value->SetClone(clone);
        }
    }
    AttachQuery(value);
    FOwnQuery = std::move(created);
    if (FOwnQuery && OnCreateDefaultQO)
        OnCreateDefaultQO(this);
}

void TCustomDBLinkODBC::AttachQuery(TCustomQueryODBC* query) {
    FQuery = query;
    FQuery->SetStateListener(this,
                             [this](TCustomQueryODBC*, int state) { QueryStateChanged(state); });
}

void TCustomDBLinkODBC::QueryStateChanged(int state) {
    switch (state) {
    case qoConnected:
        if (FQuery->CursorType() == qoForwardOnly)
            FUniDirectional = true;
        if (FQuery->ReadOnly())
            FReadOnly = true;
        break;
    case qoExecuted:
        FWholeResult = false;
        FRowsInCache = 0;
        FWindowBase = 0;
        FMoreRows = false;
        FQuery->FetchOrientation = SQL_FETCH_NEXT;
        break;
    case qoDisconnecting:
        StopBackgroundFetch();
        WaitBackgroundFetch();
        if (IsNonOriginClone() && Active() && !IsDestroying())
            Close();
        break;
    case qoDestroying:
        FQuery->RemoveListener(this);
        FQuery = nullptr;
        if (!FOwnQuery && !IsDestroying())
            SetQuery(nullptr);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- statements

void TCustomDBLinkODBC::BuildSQLText() {
    QString text = FSQL.Lines().join("\r\n").trimmed();
    if (text.isEmpty())
        return;
    QString joined;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' || i + 1 >= text.size() || text[i + 1] != '\n') {
            joined += text[i];
            continue;
        }
        const QChar before = joined.isEmpty() ? QChar(' ') : joined.back();
        i += 2;
        while (i < text.size() && text[i] == ' ')
            ++i;
        --i;
        if (before != ' ' && before != ',')
            joined += ' ';
    }
    if (Filtered() && !Filter().isEmpty()) {
        const QString upper = joined.toUpper();
        const QString joint = upper.contains(" WHERE ") ? " AND " : " WHERE ";
        int at = -1;
        for (const QString& keyword : SqlKeywords) {
            const int found = upper.indexOf(keyword);
            if (found >= 0 && (at < 0 || found < at))
                at = found;
        }
        if (at >= 0)
            joined.insert(at, joint + Filter());
        else
            joined += joint + Filter();
    }
    FQuery->SetSQLText(joined);
}

void TCustomDBLinkODBC::PrepareSteps() {
    if (!FUpdateTableName.isEmpty() && !FUpdateKeyColumn.isEmpty())
        MakeUpdateQuery();
    TCustomQueryODBC& owner = FQuery->Clone() ? FQuery->Clone()->OriginQuery() : *FQuery;
    if (!owner.Connected()) {
        if (&owner == FQuery)
            FQuery->SetFetchScroll(!FUniDirectional);
        owner.Connect();
    }
    if (FBookmarkPersistence == 0)
        ReadBookmarkPersistence();
    FQuery->CursorState = qoKeep;
    FQuery->SetUseBookmarks(!FUniDirectional && FQuery->CursorType() != qoForwardOnly);
    if (DataSource())
        FQuery->SetNullConvert(true);
}

void TCustomDBLinkODBC::ReadBookmarkPersistence() {
    SQLUINTEGER value = 0;
    const SQLRETURN rc = FQuery->CLI()->SQLGetInfo(
        FQuery->ConnectionHandle(), SQLUSMALLINT(SQL_BOOKMARK_PERSISTENCE), &value,
        SQLSMALLINT(sizeof(value)), (SQLSMALLINT*)nullptr);
    FBookmarkPersistence = SQL_SUCCEEDED(rc) ? 1 : -1;
    FBookmarksSurviveDrop = SQL_SUCCEEDED(rc) && (value & SQL_BP_DROP);
}

void TCustomDBLinkODBC::Prepare() {
    CheckInactive();
    PrepareSteps();
    BuildSQLText();
    FQuery->Prepare();
}

void TCustomDBLinkODBC::UnPrepare() {
    if (FQuery->Executed())
        Close();
    FQuery->SetPrepared(false);
    if (!IsNonOriginClone()) {
        FQuery->Disconnect();
        FBookmarkPersistence = 0;
    } else {
        FQuery->CloseCursor(false);
    }
}

void TCustomDBLinkODBC::ExecSQL() {
    CheckInactive();
    PrepareSteps();
    BuildSQLText();
    FQuery->Execute();
    FRowsAffected = FQuery->RowsAffected();
    FQuery->CloseCursor(FQuery->Prepared());
}

void TCustomDBLinkODBC::SetParam(int n, SQLSMALLINT cType, SQLSMALLINT sqlType, void* value,
                                 SQLLEN* indicator) {
    FQuery->BindParam(n, cType, sqlType, value, indicator);
}

// ---------------------------------------------------------------- opening and closing

void TCustomDBLinkODBC::InternalOpen() {
    if (!FQuery->Prepared()) {
        PrepareSteps();
        BuildSQLText();
    }
    FQuery->Execute();
    if (FQuery->ColumnCount() == 0) {
        FRowsAffected = FQuery->RowsAffected();
        RaiseDatabaseError("Empty result set. RowsAffected = " + QString::number(FRowsAffected));
    }
    FBlockMode = !FUniDirectional && FQuery->CursorType() != qoForwardOnly &&
                 FQuery->Capabilities().Bookmark && FQuery->UseBookmarks();
    FRowSize = FQuery->RowBufSize() + (FBlockMode ? 0 : qoBookmarkSize);
    BookmarkSize = qoBookmarkSize + 1;
    InternalInitFieldDefs();
    if (DefaultFields())
        CreateFields();
    BindFields(true);
    AdjustFields();
    AllocateCache();
    if (FBlockMode && FCashCount > 1)
        InternalFirst();
}

void TCustomDBLinkODBC::AdjustFields() {
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields()[i];
        if (field->Calculated())
            continue;
        const TResultCol& col = Column(field->FieldNo());
        if (IsWideType(col.SQLType))
            field->SetDisplayWidth(qMin(field->Size() * WideDisplayPercent / 100, 128));
        if (col.SQLType == SQL_TINYINT && field->DataType() == ftSmallint) {
            field->MinValue = -128;
            field->MaxValue = 127;
        }
        if (col.SQLType == SQL_TINYINT && field->DataType() == ftWord)
            field->MaxValue = 255;
        if (field->DataType() == ftBCD) {
            field->SetDisplayWidth(col.Precision + 1);
            field->Currency = col.Money;
        }
        if (field->DataType() == ftLargeint)
            field->SetDisplayWidth(20);
    }
}

void TCustomDBLinkODBC::InternalClose() {
    StopBackgroundFetch();
    WaitBackgroundFetch();
    FCache.clear();
    FRowStatus.clear();
    FCurRow = nullptr;
    FRowsInCache = 0;
    if (FQuery) {
        FQuery->RowStatus = nullptr;
        FQuery->SetRowArraySize(0);
        if (!FQuery->Prepared()) {
            if (!IsNonOriginClone()) {
                FQuery->Disconnect();
                FBookmarkPersistence = 0;
            } else {
                FQuery->CloseCursor(false);
            }
        } else {
            FQuery->CloseCursor(true);
        }
    }
    BindFields(false);
    if (DefaultFields())
        DestroyFields();
}

// ---------------------------------------------------------------- field definitions

namespace {

TFieldType FieldTypeOf(const TResultCol& col, bool wcharMapsChar, bool enableBCD) {
    switch (col.SQLType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
        return ftString;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return wcharMapsChar ? ftString : ftWideString;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return enableBCD ? ftBCD : (col.Money ? ftCurrency : ftFloat);
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
        return ftFloat;
    case SQL_INTEGER:
        return col.AutoIncrement ? ftAutoInc : ftInteger;
    case SQL_SMALLINT:
    case SQL_TINYINT:
        return col.Unsigned ? ftWord : ftSmallint;
    case SQL_BIT:
        return ftBoolean;
    case SQL_BIGINT:
        return ftLargeint;
    case SQL_DATE:
    case SQL_TYPE_DATE:
        return ftDate;
    case SQL_TIME:
    case SQL_TYPE_TIME:
        return ftTime;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
        return ftDateTime;
    case SQL_GUID:
        return ftGuid;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return ftMemo;
    case SQL_LONGVARBINARY:
        return ftBlob;
    case SQL_VARBINARY:
        return ftVarBytes;
    case SQL_BINARY:
        return ftBytes;
    default:
        return ftUnknown;
    }
}

int FieldSizeOf(const TResultCols& cols, int number, bool wcharMapsChar, bool enableBCD) {
    const TResultCol& col = cols.Items(number);
    if (HasDataLength(col.SQLType))
        return cols.DataLength(number);
    switch (col.SQLType) {
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return wcharMapsChar ? cols.DataLength(number) : 2 * cols.DataLength(number);
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return enableBCD ? col.Scale : 0;
    case SQL_GUID:
        return 38;
    default:
        return 0;
    }
}

} // namespace

void TCustomDBLinkODBC::InternalInitFieldDefs() {
    FieldDefs().Clear();
    TResultCols& cols = FQuery->ResultCols();
    const bool wide = FQuery->WCharMapsChar();
    for (int number = 1; number <= cols.Count(); ++number) {
        TResultCol& col = cols.Items(number);
        const QString base = col.Name.isEmpty() ? QString("TempName") : col.Name;
        QString name = base;
        for (int k = 1; FieldDefs().Find(name); ++k)
            name = base + "_" + QString::number(k);
        col.FieldName = name == col.Name ? QString() : name;
        TFieldDef& def = FieldDefs().AddFieldDef();
        def.FieldNo = number;
        def.Name = name;
        def.DataType = FieldTypeOf(col, wide, EnableBCD);
        def.Size = FieldSizeOf(cols, number, wide, EnableBCD);
        def.Precision = col.Precision;
        def.Attributes = (col.Nullable ? 0 : faRequired) | (col.Updatable ? 0 : faReadOnly) |
                         (col.SQLType == SQL_CHAR || col.SQLType == SQL_WCHAR ? faFixed : 0);
    }
    FieldDefs().Updated = true;
}

void TCustomDBLinkODBC::CheckFieldCompatibility(TField* field, const TFieldDef& fieldDef) {
    auto within = [](TFieldType type, std::initializer_list<TFieldType> kinds) {
        return std::find(kinds.begin(), kinds.end(), type) != kinds.end();
    };
    const TFieldType a = field->DataType(), b = fieldDef.DataType;
    for (auto kinds : {std::initializer_list<TFieldType>{ftString, ftWideString},
                       std::initializer_list<TFieldType>{ftFloat, ftCurrency, ftBCD},
                       std::initializer_list<TFieldType>{ftBytes, ftVarBytes}})
        if (within(a, kinds) && within(b, kinds))
            return;
    TDataSet::CheckFieldCompatibility(field, fieldDef);
}
