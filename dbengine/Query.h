#pragma once

#include "base/Strings.h"
#include "db/DataSource.h"
#include "db/Params.h"
#include "dbengine/DBDataSet.h"

// The database engine's query: SQL lines with :name parameters. A parameter that was given
// no value takes the field of the same name of the master (DataSource), and the query runs
// again whenever the master moves. With RequestLive, a result from one table can be edited.
class TQuery : public TDBDataSet {
public:
    explicit TQuery(TComponent* AOwner = nullptr);
    ~TQuery() override;

    // Changing the lines closes the query and lists its parameters anew.
    TStringList& SQL() { return FSQL; }
    TParams& Params() { return FParams; }
    int ParamCount() const { return FParams.Count(); }
    TParam& ParamByName(const QString& name) { return FParams.ParamByName(name); }

    TDataSource* DataSource() const override { return FDataLink.DataSource(); }
    // Raises when the source's dataset is this query or one of its details.
    void SetDataSource(TDataSource* value);

    bool RequestLive = false;
    bool UniDirectional = false;

    // Checks the statement now (parameters need no values yet); Open and ExecSQL prepare it
    // again each time.
    void Prepare();
    void UnPrepare() { FPrepared = false; }
    bool Prepared() const { return FPrepared; }
    // Runs a statement that returns no rows.
    void ExecSQL();
    qint64 RowsAffected() const { return FRowsAffected; }

protected:
    std::unique_ptr<SqlStatement> CreateCursor(SqlConnection& connection) override;
    bool WantsLiveResult() const override { return RequestLive; }
    bool GetCanModify() override { return RequestLive && HasLiveTable(); }

private:
    // Re-runs the query when its master moves.
    class TMasterLink : public TDetailDataLink {
    public:
        explicit TMasterLink(TQuery* query) : FQuery(query) {}
        TDataSet* GetDetailDataSet() override { return FQuery; }

    protected:
        void ActiveChanged() override;
        void RecordChanged(TField* field) override;
        void CheckBrowseMode() override;

    private:
        TQuery* FQuery;
    };

    void SQLChanged();
    void RefreshParams();
    std::unique_ptr<SqlStatement> PrepareStatement(SqlConnection& connection);
    // Prepared, with every parameter given its value.
    std::unique_ptr<SqlStatement> BoundStatement(SqlConnection& connection);
    QVariant ParamValue(const QString& name) const;

    TStringList FSQL;
    TParams FParams;
    TMasterLink FDataLink{this};
    bool FPrepared = false;
    qint64 FRowsAffected = -1;
};
