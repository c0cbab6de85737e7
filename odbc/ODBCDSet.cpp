#include "ODBCDSet.h"

#include "db/Field.h"
#include "odbc/ODBCScreen.h"

// ---------------------------------------------------------------- master link

void TqoReferDataLink::SetFieldNames(const QString& value) {
    if (value == FFieldNames)
        return;
    FFieldNames = value;
    ActiveChanged();
}

TDataSet* TqoReferDataLink::GetDetailDataSet() {
    return FDetail;
}

bool TqoReferDataLink::DetailListens() const {
    return FDetail->Active() || FDetail->Query()->Prepared();
}

void TqoReferDataLink::ActiveChanged() {
    FFields.clear();
    if (Active())
        for (const QString& name : FFieldNames.split(';', Qt::SkipEmptyParts))
            FFields.append(DataSet()->FieldByName(name.trimmed()));
    if (!DetailListens())
        return;
    if (Active() && !FFields.isEmpty()) {
        if (OnMasterChange)
            OnMasterChange();
    } else if (OnMasterDisable) {
        OnMasterDisable();
    }
}

void TqoReferDataLink::CheckBrowseMode() {
    if (FDetail->Active())
        FDetail->CheckBrowseMode();
}

void TqoReferDataLink::RecordChanged(TField* field) {
    if (!DataSet() || DataSet()->State() == dsSetKey || !DetailListens() || FFields.isEmpty())
        return;
    if ((!field || FFields.contains(field)) && OnMasterChange)
        OnMasterChange();
}

// ---------------------------------------------------------------- the dataset

TDBQueryODBC::TDBQueryODBC(TComponent* AOwner) : TCustomDBLinkODBC(AOwner), FMasterLink(this) {
    // The default query was made by the base class before this class existed.
    SetQuery(nullptr);
    SetCheckBufSize(16);
    FMasterLink.OnMasterChange = [this] { MasterChanged(); };
    FMasterLink.OnMasterDisable = [this] { MasterDisabled(); };
}

TDBQueryODBC::~TDBQueryODBC() {
    Destroying();
    try {
        Close();
    } catch (const Exception&) {
    }
    FMasterLink.SetDataSource(nullptr);
}

std::unique_ptr<TCustomQueryODBC> TDBQueryODBC::CreateDefaultQuery() {
    return std::make_unique<TQryIntODBC>();
}

void TDBQueryODBC::SetWaitCursor(bool on) {
    ShowSQLWaitCursor(on);
}

void TDBQueryODBC::SetDataSource(TDataSource* value) {
    if (value && IsLinkedTo(value))
        RaiseDatabaseError("Link is Circular.");
    FMasterLink.SetDataSource(value);
}

void TDBQueryODBC::SetSQL(const TStrings& value) {
    if (value.Text() == FSQL.Text())
        return;
    UnPrepare();
    FSQL.BeginUpdate();
    FSQL.SetText(value.Text());
    FSQL.EndUpdate();
}

void TDBQueryODBC::Prepare() {
    TCustomDBLinkODBC::Prepare();
    if (!DataSource())
        return;
    Query()->GetParamNames(FParamNames);
    QString names;
    for (int i = 0; i < FParamNames.Count(); ++i)
        names += FParamNames[i] + ";";
    FMasterLink.SetFieldNames(names);
}

void TDBQueryODBC::MasterChanged() {
    if (Active())
        CheckBrowseMode();
    TDataSet* master = FMasterLink.DataSet();
    for (int i = 0; i < FParamNames.Count(); ++i)
        SetMasterParam(FParamNames.Objects(i).toInt(), master->FieldByName(FParamNames[i]));
    if (!Active())
        return;
    FRefreshFirst = true;
    Refresh();
}

void TDBQueryODBC::MasterDisabled() {
    if (Active())
        Refresh();
}

void TDBQueryODBC::SetMasterParam(int number, TField* field) {
    TCustomQueryODBC* query = Query();
    const bool odbc3 = query->ODBCVersion() != ODBC20;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    QString text = field->AsString();
    switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        sqlType = SQL_INTEGER;
        break;
    case ftBoolean:
        sqlType = SQL_BIT;
        text = field->AsBoolean() ? "1" : "0";
        break;
    case ftFloat:
        sqlType = SQL_DOUBLE;
        break;
    case ftCurrency:
    case ftBCD:
        sqlType = SQL_NUMERIC;
        break;
    case ftDate:
        sqlType = odbc3 ? SQL_TYPE_DATE : SQL_DATE;
        text = query->FormatDateTimeLiteral(SQL_TYPE_DATE, field->AsDateTime());
        break;
    case ftTime:
        sqlType = odbc3 ? SQL_TYPE_TIME : SQL_TIME;
        text = query->FormatDateTimeLiteral(SQL_TYPE_TIME, field->AsDateTime());
        break;
    case ftDateTime:
        sqlType = odbc3 ? SQL_TYPE_TIMESTAMP : SQL_TIMESTAMP;
        text = query->FormatDateTimeLiteral(SQL_TYPE_TIMESTAMP, field->AsDateTime());
        break;
    case ftGuid:
        sqlType = SQL_GUID;
        text = text.mid(1, 36);
        break;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
        RaiseDatabaseError("Binary data not support.");
    default:
        break;
    }
    if (field->IsNull())
        text = query->NullStrings();
    query->SetParamType(number, sqlType);
    query->SetParamValue(number, text);
}
