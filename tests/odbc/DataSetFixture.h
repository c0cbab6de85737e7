#pragma once

#include "odbc/ODBCDSet.h"
#include "odbcdriver/OdbcInstaller.h"
#include "tools/newdata/NewData.h"

#include "tests/common/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// The message of the exception a call raises; "no error" when it raises none.
inline QString MessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no error";
}

// Datasets through unixODBC's driver manager and the project's driver, on a data folder made
// by newdata with the programs' two data sources. unixODBC reads where its files are once per
// process, so the driver is registered in one folder for the whole program.
class DataSetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static TempFolder iniFolder;
        InstallOdbcDriver(iniFolder.Path());
    }

    TempFolder Temp;

    DataSetTest() {
        CreateDataFolder(Temp.Path());
        ConfigDataSource(AccessDriverName,
                         {"DSN=ZorarareVUZU", "DBQ=" + Temp.Path() + "/VODURAVIRIVE.MDB"});
        ConfigDataSource(ParadoxDriverName, {"DSN=EntParaODBC", "DefaultDir=" + Temp.Path()});
    }

    static std::unique_ptr<TDBQueryODBC> NewQuery(const QString& dsn = "ZorarareVUZU",
                                                  const QString& name = "sqlEntrance") {
        auto query = std::make_unique<TDBQueryODBC>();
        query->SetName(name);
        query->SetDSName(dsn);
        query->SetODBCVersion(ODBC35);
        return query;
    }

    static void SetLines(TDBQueryODBC& query, const QStringList& lines) {
        query.SQL().Clear();
        for (const QString& line : lines)
            query.SQL().Add(line);
    }

    // Runs statements on a connection of their own.
    static void Run(const QStringList& statements, const QString& dsn = "ZorarareVUZU") {
        auto query = NewQuery(dsn, "sqlRun");
        for (const QString& sql : statements) {
            SetLines(*query, {sql});
            query->ExecSQL();
        }
    }

    // The values of one column over the whole result, in order.
    static QStringList Column(const QString& sql, const QString& field,
                              const QString& dsn = "ZorarareVUZU") {
        auto query = NewQuery(dsn, "sqlRead");
        query->SetReadOnly(true);
        SetLines(*query, {sql});
        query->Open();
        QStringList values;
        for (; !query->Eof(); query->Next())
            values << query->FieldByName(field)->AsString();
        return values;
    }

    // The unit numbers of the registrations in order, opened after `setUp` set the dataset.
    static std::unique_ptr<TDBQueryODBC>
    OpenUnits(const std::function<void(TDBQueryODBC&)>& setUp = {}) {
        auto query = NewQuery();
        SetLines(*query, {"SELECT 認証機ID FROM M_使用認証機 ORDER BY 認証機ID"});
        if (setUp)
            setUp(*query);
        query->Open();
        return query;
    }

    // Persons P01.. with units 1..units each, none registered.
    static void AddUnits(const QString& code, int units) {
        QStringList statements;
        for (int unit = 1; unit <= units; ++unit)
            statements << QString("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, "
                                  "登録不可) VALUES ('%1', %2, False, False, False)")
                              .arg(code)
                              .arg(unit);
        Run(statements);
    }
};
