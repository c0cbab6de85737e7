#pragma once

#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/login/LogIn.h"

#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "storage/Connection.h"
#include "storage/Statement.h"
#include "tests/common/TempFolder.h"
#include "tools/newdata/NewData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace entrance {

// A text file's whole content; empty when it cannot be read.
inline QString ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The program folder. unixODBC's installer keeps the first folder of its files for the whole
// process, so every test of the program uses the same one.
inline const TempFolder& ProgramFolder() {
    static const TempFolder folder;
    return folder;
}

// A program folder that is also a new data folder made by newdata, with DM1 created on it;
// each login attempt's messages and outcome are recorded.
class LogInFixture : public ::testing::Test {
protected:
    const TempFolder& Temp = ProgramFolder();
    std::unique_ptr<TDM1> Module;
    QStringList Messages;
    std::optional<std::pair<bool, TLogInFocus>> Outcome;

    void SetUp() override {
        FOdbcIni = qgetenv("ODBCINI");
        FOdbcSysIni = qgetenv("ODBCSYSINI");
        QDir folder(Temp.Path());
        for (const QString& name : folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QFileInfo(folder.filePath(name)).isDir()
                ? QDir(folder.filePath(name)).removeRecursively()
                : folder.remove(name);
        CreateDataFolder(Temp.Path());
        Module = std::make_unique<TDM1>();
        Module->ProgramFile = ProgramFile();
        EntranceSession().DM1 = Module.get();
        Module->DataModuleCreate();
        WriteAppRegistry("UserPassWD", "");
        WriteAppRegistry("LastLoginPC", "");
        EntranceSession().NetworkMode = false;
        EntranceSession().RemotePCName.clear();
        EntranceSession().CurrentOperator = TOperatorRec();
    }
    void TearDown() override {
        Session().Close();
        EntranceSession().DM1 = nullptr;
        Module.reset();
        qputenv("ODBCINI", FOdbcIni);
        qputenv("ODBCSYSINI", FOdbcSysIni);
    }

    QString ProgramFile() const { return Temp.File("Zezoduzu"); }

    std::unique_ptr<TLogIn> NewLogIn() {
        auto login = std::make_unique<TLogIn>(ProgramFile());
        login->OnMessage = [this](const QString& text) { Messages << text; };
        login->OnFinished = [this](bool loggedIn, TLogInFocus focus) {
            Outcome = std::make_pair(loggedIn, focus);
        };
        return login;
    }
    // One attempt, waited for; true when the operator is logged in.
    bool Attempt(TLogIn& login, const QString& pc, const QString& name, const QString& password,
                 const QString& confirmation = QString()) {
        Messages.clear();
        Outcome.reset();
        login.Login(pc, name, password, confirmation);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Outcome.has_value(); }, 10000));
        EXPECT_FALSE(login.Pending());
        return Outcome && Outcome->first;
    }
    // Runs SQL on a data folder's database file, or reads the first column of its rows.
    static void Run(const QString& folder, const QString& sql) {
        SqlConnection::OpenDatabase(folder + "/VODURAVIRIVE.MDB")->Execute(sql);
    }
    static QStringList Column(const QString& folder, const QString& sql) {
        const auto connection = SqlConnection::OpenDatabase(folder + "/VODURAVIRIVE.MDB");
        const auto statement = connection->Prepare(sql);
        QStringList values;
        while (statement->Step())
            values << statement->Value(0).toString();
        return values;
    }

private:
    QByteArray FOdbcIni, FOdbcSysIni;
};

} // namespace entrance
