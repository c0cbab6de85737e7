#include "Query.h"

#include "storage/Connection.h"

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner) {
    FSQL.OnChange = [this] { SQLChanged(); };
}

TQuery::~TQuery() {
    Destroying();
    Close();
}

void TQuery::SQLChanged() {
    Close();
    UnPrepare();
    FParams.ParseSQL(FSQL.Text());
}

void TQuery::SetDataSource(TDataSource* value) {
    if (value && IsLinkedTo(value))
        DatabaseError("Circular datalinks are not allowed", this);
    FDataLink.SetDataSource(value);
}

QVariant TQuery::ParamValue(const QString& name) const {
    const TParam* param = FParams.FindParam(name);
    if (param && param->Bound)
        return param->Value();
    if (TDataSet* master = FDataLink.DataSet())
        if (master->Active())
            if (TField* field = master->FindField(name))
                return field->Value();
    DatabaseError(QString("No value for parameter '%1'").arg(name), this);
}

std::unique_ptr<SqlStatement> TQuery::PrepareStatement(SqlConnection& connection) {
    const QString text = FSQL.Text().trimmed();
    if (text.isEmpty())
        DatabaseError("No SQL statement available", this);
    return connection.Prepare(text);
}

std::unique_ptr<SqlStatement> TQuery::BoundStatement(SqlConnection& connection) {
    auto statement = PrepareStatement(connection);
    for (int i = 1; i <= statement->ParamCount(); ++i) {
        const QString name = statement->ParamName(i);
        if (name.isEmpty())
            DatabaseError("Parameters are named in SQL text (:name), not \"?\"", this);
        statement->Bind(i, ParamValue(name));
    }
    return statement;
}

void TQuery::Prepare() {
    PrepareStatement(Connection());
    FPrepared = true;
}

std::unique_ptr<SqlStatement> TQuery::CreateCursor(SqlConnection& connection) {
    return BoundStatement(connection);
}

void TQuery::ExecSQL() {
    CheckInactive();
    auto statement = BoundStatement(Connection());
    FRowsAffected = statement->Execute();
}

void TQuery::RefreshParams() {
    TDataSet* master = FDataLink.DataSet();
    if (!Active() || !master || !master->Active() || master->State() == dsSetKey)
        return;
    DisableControls();
    try {
        Close();
        Open();
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

void TQuery::TMasterLink::ActiveChanged() {
    FQuery->RefreshParams();
}

void TQuery::TMasterLink::RecordChanged(TField* field) {
    if (!field)
        FQuery->RefreshParams();
}

void TQuery::TMasterLink::CheckBrowseMode() {
    if (FQuery->Active())
        FQuery->CheckBrowseMode();
}
