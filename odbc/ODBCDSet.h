#pragma once

#include "db/DataSource.h"
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

protected:
    std::unique_ptr<TCustomQueryODBC> CreateDefaultQuery() override;
    void SetWaitCursor(bool on) override;

private:
    void MasterChanged();
    void MasterDisabled();
    void SetMasterParam(int number, TField* field);

    TqoReferDataLink FMasterLink;
    TStringList FParamNames;
};
