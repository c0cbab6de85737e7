#include "ODBCDSet.h"

namespace {

// Copies a provider's parameters into the query's parameters 1, 2, ..., each a value of its
// own (no longer bound to a row): NULL as the null text, Booleans as bits, dates and times as
// their literals, anything else as its text.
void CopyProviderParams(TCustomQueryODBC& query, const TParams& params) {
    for (int i = 0; i < params.Count(); ++i) {
        const TParam& param = params[i];
        const int n = i + 1;
        TBindParams& entry = query.EnsureParam(n);
        const QString name = entry.Name;
        entry = TBindParams();
        entry.Name = name;
        if (param.IsNull()) {
            query.SetNullConvert(true);
            query.SetParamValue(n, query.NullStrings());
            continue;
        }
        switch (param.DataType) {
        case ftBoolean:
            query.SetParamType(n, SQL_BIT);
            query.SetParamValue(n, param.AsBoolean() ? "1" : "0");
            break;
        case ftDate:
            query.SetParamDate(n, param.AsDateTime());
            break;
        case ftTime:
            query.SetParamTime(n, param.AsDateTime());
            break;
        case ftDateTime:
            query.SetParamTimeStamp(n, param.AsDateTime());
            break;
        default:
            query.SetParamValue(n, param.AsString());
            break;
        }
    }
}

// The result of a provider's statement: the library's dataset over that text.
class TStatementResult : public TCustomDBLinkODBC {
public:
    explicit TStatementResult(const QString& sql) { FSQL.SetText(sql); }
};

} // namespace

SQLLEN TCustomDBLinkODBC::ExecProviderStatement(const QString& sql, const TParams& params) {
    // Answering 0 without running the statement would pass for a statement that changed
    // nothing.
    if (!FUpdateQuery)
        RaiseDatabaseError("Set UpdateTableName and UpdateKeyColumn before Open");
    TCustomQueryODBC& owner = FUpdateQuery->Clone()->OriginQuery();
    if (!owner.Connected())
        FUpdateQuery->Clone()->Connect();
    FUpdateQuery->SetSQLText(sql);
    // What a generated statement bound beyond these must not run with them.
    FUpdateQuery->SetParamCount(0);
    CopyProviderParams(*FUpdateQuery, params);
    FUpdateQuery->Execute();
    return FUpdateQuery->RowsAffected();
}

int TDBQueryODBC::PSExecuteStatement(const QString& sql, const TParams& params,
                                     std::unique_ptr<TDataSet>* resultSet) {
    if (!resultSet)
        return int(ExecProviderStatement(sql, params));
    auto result = std::make_unique<TStatementResult>(sql);
    if (Clone()) {
        result->SetClone(Clone());
    } else {
        // A dataset on its own connection: the result connects to the same data source.
        result->SetDSName(DSName());
        result->SetODBCVersion(ODBCVersion());
        result->SetUserID(UserID());
        result->SetPassword(Password());
    }
    CopyProviderParams(*result->Query(), params);
    result->Open();
    *resultSet = std::move(result);
    return 0;
}

QString TDBQueryODBC::PSGetKeyFields() {
    const QString keys = TCustomDBLinkODBC::PSGetKeyFields();
    return keys.isEmpty() ? FUpdateKeyColumn : keys;
}

TParams* TDBQueryODBC::PSGetParams() {
    BuildSQLText();
    TStringList names;
    Query()->GetParamNames(names);
    if (names.Count() == 0)
        return nullptr;
    if (!FProviderParams)
        FProviderParams = std::make_unique<TParams>();
    FProviderParams->Clear();
    for (int i = 0; i < names.Count(); ++i)
        FProviderParams->CreateParam(ftString, names[i], ptInput)
            .SetAsString(Query()->GetParamValue(names.Objects(i).toInt()));
    return FProviderParams.get();
}

void TDBQueryODBC::PSSetParams(const TParams& params) {
    if (params.Count() == 0)
        return;
    if (!FProviderParams)
        FProviderParams = std::make_unique<TParams>();
    FProviderParams->Assign(params);
    CopyProviderParams(*Query(), params);
    Query()->KeepParams = true;
    Close();
    PSReset();
}

EUpdateError TDBQueryODBC::PSGetUpdateException(const Exception& e, const EUpdateError* previous) {
    const auto* odbcError = dynamic_cast<const EODBCError*>(&e);
    if (!odbcError)
        return TCustomDBLinkODBC::PSGetUpdateException(e, previous);
    return EUpdateError(e.Message(), QString(), int(odbcError->NativeError()),
                        previous ? previous->ErrorCode() : 0);
}

void TDBQueryODBC::PSStartTransaction() {
    try {
        SetTransaction(true);
    } catch (const Exception&) {
        // The provider goes on without a transaction of its own.
    }
}

void TDBQueryODBC::PSEndTransaction(bool commit) {
    if (!Transaction())
        return;
    try {
        commit ? Commit() : Rollback();
        SetTransaction(false);
    } catch (const Exception&) {
        // The provider has nothing to undo; the connection keeps what the driver left.
    }
}

void TDBQueryODBC::PSSetCommandText(const QString& commandText) {
    TStringList lines;
    lines.SetText(commandText);
    SetSQL(lines);
}
