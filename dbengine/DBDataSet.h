#pragma once

#include "db/RowDataSet.h"
#include "dbengine/LiveTable.h"

#include <QString>
#include <memory>

class SqlConnection;
class SqlStatement;
class TDatabase;

// A dataset of the database engine: its rows come from one statement on a database named by
// DatabaseName (a database's name or a folder); when they all come from one table, posted
// changes are written back into it.
class TDBDataSet : public TRowDataSet {
public:
    explicit TDBDataSet(TComponent* AOwner = nullptr);
    ~TDBDataSet() override;

    const QString& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString& value);
    // The database while the dataset is open, else nullptr.
    TDatabase* Database() const { return FDatabase; }
    // The database's connection, opened through the session.
    SqlConnection& Connection();

protected:
    // The statement whose rows the dataset shows, prepared and bound.
    virtual std::unique_ptr<SqlStatement> CreateCursor(SqlConnection& connection) = 0;
    // Whether posted changes may be written back (when the rows come from one table).
    virtual bool WantsLiveResult() const = 0;
    bool HasLiveTable() const { return FLive != nullptr; }

    void InternalInitFieldDefs() override;
    void LoadRows(QList<TRow>& rows) override;
    void InternalClose() override;
    void InsertRow(TRow& row) override;
    void UpdateRow(const TRow& oldRow, TRow& newRow) override;
    void DeleteRow(const TRow& row) override;

private:
    friend class TDatabase;
    void ReadResult(SqlStatement& statement, QList<TRow>& rows);
    void MakeLiveTable(SqlStatement& statement, SqlConnection& connection);
    void Attach();
    void Detach();

    QString FDatabaseName;
    TDatabase* FDatabase = nullptr;
    std::unique_ptr<TLiveTable> FLive;
};
