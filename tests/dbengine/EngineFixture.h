#pragma once

#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "dbengine/Table.h"
#include "storage/Connection.h"
#include "tests/common/TempFolder.h"
#include "tools/newdata/NewData.h"

#include <gtest/gtest.h>

// A data folder made by newdata, with the two databases the programs name: "RORazu" on the
// database file and "ParaOzka" on the folder of table files.
struct EngineFixture : ::testing::Test {
    TempFolder Temp;
    TDatabase DB1;
    TDatabase DB2;

    EngineFixture() {
        CreateDataFolder(Temp.Path());
        DB1.DatabaseName = "RORazu";
        DB1.Params.Add("DATABASE NAME=" + Temp.File("VODURAVIRIVE.MDB"));
        DB2.DatabaseName = "ParaOzka";
        DB2.Params.Add("PATH=" + Temp.Path());
    }
    ~EngineFixture() override { Session().Close(); }

    // The first column of every row, read straight from a new connection.
    QStringList Column(const QString& sql, bool folder = false) {
        auto c = folder ? SqlConnection::OpenFolder(Temp.Path())
                        : SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
        auto st = c->Prepare(sql);
        QStringList values;
        while (st->Step())
            values << st->Value(0).toString();
        return values;
    }
    void Run(const QString& sql, bool folder = false) {
        auto c = folder ? SqlConnection::OpenFolder(Temp.Path())
                        : SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
        c->Execute(sql);
    }
    static void SetSQL(TQuery& q, const QStringList& lines) {
        q.Close();
        q.SQL().Assign(lines);
    }
};
