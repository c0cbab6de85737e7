#pragma once

#include "odbcdriver/OdbcInstaller.h"
#include "tools/newdata/NewData.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

// A data folder made by newdata and the programs' two data sources on it, made through the
// installer; one connection through the driver manager. unixODBC reads where its files are
// once per process, so the driver is registered in one folder for the whole program.
struct Odbc : ::testing::Test {
    static void SetUpTestSuite() {
        static TempFolder iniFolder;
        InstallOdbcDriver(iniFolder.Path());
    }
    TempFolder Temp;
    SQLHENV Env = nullptr;
    SQLHDBC Dbc = nullptr;
    SQLHSTMT St = nullptr;

    Odbc() {
        CreateDataFolder(Temp.Path());
        ConfigDataSource(AccessDriverName,
                         {"DSN=ZorarareVUZU", "DBQ=" + Temp.Path() + "/VoduraviRive.MDB"});
        ConfigDataSource(ParadoxDriverName, {"DSN=EntParaODBC", "DefaultDir=" + Temp.Path()});
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &Env);
        SQLSetEnvAttr(Env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, Env, &Dbc);
    }
    ~Odbc() override {
        if (St)
            SQLFreeHandle(SQL_HANDLE_STMT, St);
        SQLDisconnect(Dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, Dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, Env);
    }

    SQLRETURN DriverConnect(const QString& text) {
        SQLCHAR out[512];
        SQLSMALLINT length = 0;
        QByteArray in = text.toUtf8();
        return SQLDriverConnect(Dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, out,
                                sizeof out, &length, SQL_DRIVER_COMPLETE);
    }
    void Connect(const char* dsn = "ZorarareVUZU") {
        ASSERT_TRUE(SQL_SUCCEEDED(DriverConnect(QString("DSN=%1;PWD=").arg(dsn))))
            << Diag(SQL_HANDLE_DBC, Dbc);
        ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St)));
    }
    // "state: message" of every record, joined.
    static std::string Diag(SQLSMALLINT type, SQLHANDLE h) {
        std::string all;
        SQLCHAR state[6], message[512];
        SQLINTEGER native;
        SQLSMALLINT length;
        for (SQLSMALLINT i = 1; SQLGetDiagRec(type, h, i, state, &native, message, sizeof message,
                                              &length) == SQL_SUCCESS;
             ++i)
            all += (i > 1 ? " & " : "") + std::string(reinterpret_cast<char*>(state)) + ": " +
                   reinterpret_cast<char*>(message);
        return all;
    }
    SQLRETURN Exec(const QString& sql) {
        QByteArray text = sql.toUtf8();
        SQLFreeStmt(St, SQL_CLOSE);
        return SQLExecDirect(St, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    }
    void MustExec(const QString& sql) {
        ASSERT_TRUE(SQL_SUCCEEDED(Exec(sql))) << Diag(SQL_HANDLE_STMT, St) << sql.toStdString();
    }
    long Count(const QString& sql) {
        Exec(sql);
        SQLINTEGER n = -1;
        SQLLEN ind;
        SQLFetch(St);
        SQLGetData(St, 1, SQL_C_SLONG, &n, 0, &ind);
        SQLFreeStmt(St, SQL_CLOSE);
        return n;
    }
    // The table, and a fresh statement: the cursor attributes are set before any execution.
    void MakeTwentyFiveRows() {
        MustExec("CREATE TABLE t (n LONG)");
        for (int i = 1; i <= 25; ++i)
            MustExec(QString("INSERT INTO t (n) VALUES (%1)").arg(i));
        SQLFreeHandle(SQL_HANDLE_STMT, St);
        SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St);
    }
};
