#pragma once

#include "db/RowDataSet.h"

#include <QStringList>

// A dataset over a table of rows in a vector: the rows the dataset reads at open, and where
// its posted changes land. Columns: ID (integer, required), NAME (string 20), PRICE (float), IMAGE
// (blob).
class TVectorDataSet : public TRowDataSet {
public:
    using TRowDataSet::TRowDataSet;
    ~TVectorDataSet() override {
        Destroying();
        Close();
    }

    QList<TRow> Table;
    // Every write-through, as "insert 7", "update 3", "delete 3".
    QStringList Writes;
    // A write-through that fails with this text when set.
    QString FailWith;
    bool ReadOnlyData = false;

    // Rows 1..count named "Row1".. with price = id * 1.5.
    void Fill(int count);

protected:
    void InternalInitFieldDefs() override;
    void LoadRows(QList<TRow>& rows) override;
    void InsertRow(TRow& row) override;
    void UpdateRow(const TRow& oldRow, TRow& newRow) override;
    void DeleteRow(const TRow& row) override;
    bool GetCanModify() override { return !ReadOnlyData; }

private:
    void CheckFail();
};
