#pragma once

#include "db/DataSource.h"
#include "db/Params.h"
#include "odbc/ODBCLink.h"

#include <QList>
#include <memory>

class TDBQueryODBC;

// The link of a detail query to its master: the master's fields named like the detail's
// parameters give their values.
class TqoReferDataLink : public TDetailDataLink {
public:
    explicit TqoReferDataLink(TDBQueryODBC* detail) : FDetail(detail) {}

    const QString& FieldNames() const { return FFieldNames; }
    void SetFieldNames(const QString& value);
    const QList<TField*>& MasterFields() const { return FFields; }
    std::function<void()> OnMasterChange;
    std::function<void()> OnMasterDisable;

    TDataSet* GetDetailDataSet() override;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }
    void RecordChanged(TField* field) override;

private:
    bool DetailListens() const;

    TDBQueryODBC* FDetail;
    QString FFieldNames;
    QList<TField*> FFields;
};

// The dataset the programs place: SQL lines, filter, update settings and review events over
// the library's dataset, with named parameters taken from a master's current row.
class TDBQueryODBC : public TCustomDBLinkODBC {
public:
    explicit TDBQueryODBC(TComponent* AOwner = nullptr);
    ~TDBQueryODBC() override;

    TDataSource* DataSource() const override { return FMasterLink.DataSource(); }
    // Raises "Link is Circular." for a source that leads back to this dataset.
    void SetDataSource(TDataSource* value);
    bool ExecAfterUpdate() const { return FExecAfterUpdate; }
    void SetExecAfterUpdate(bool value) { FExecAfterUpdate = value; }
    TStrings& SQL() { return FSQL; }
    void SetSQL(const TStrings& value);
    const QString& UpdateKeyColumn() const { return FUpdateKeyColumn; }
    void SetUpdateKeyColumn(const QString& value) { SetUpdateKeyColumnText(value); }
    const QString& UpdateTableName() const { return FUpdateTableName; }
    void SetUpdateTableName(const QString& value) { FUpdateTableName = value; }
    TqoReviewSQLEvent& ReviewDeleteSQL() { return FReviewDeleteSQL; }
    TqoReviewSQLEvent& ReviewInsertSQL() { return FReviewInsertSQL; }
    TqoReviewSQLEvent& ReviewUpdateSQL() { return FReviewUpdateSQL; }
    TDataSource* GetMasterSource() const { return DataSource(); }

    void Prepare() override;

    // The provider interface.
    void PSExecute() override { ExecSQL(); }
    // With `resultSet`, an open dataset of the statement on this dataset's connection.
    int PSExecuteStatement(const QString& sql, const TParams& params,
                           std::unique_ptr<TDataSet>* resultSet = nullptr) override;
    QString PSGetKeyFields() override;
    TParams* PSGetParams() override;
    void PSSetParams(const TParams& params) override;
    QString PSGetTableName() override { return FUpdateTableName; }
    EUpdateError PSGetUpdateException(const Exception& e, const EUpdateError* previous) override;
    bool PSInTransaction() override { return Transaction(); }
    void PSStartTransaction() override;
    void PSEndTransaction(bool commit) override;
    bool PSIsSQLBased() override { return true; }
    bool PSIsSQLSupported() override { return true; }
    void PSSetCommandText(const QString& commandText) override;

protected:
    std::unique_ptr<TCustomQueryODBC> CreateDefaultQuery() override;
    void SetWaitCursor(bool on) override;

private:
    void MasterChanged();
    void MasterDisabled();
    void SetMasterParam(int number, TField* field);

    TqoReferDataLink FMasterLink;
    TStringList FParamNames;
    // Made by the first PSGetParams that finds named parameters.
    std::unique_ptr<TParams> FProviderParams;
};
