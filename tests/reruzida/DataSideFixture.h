#pragma once

#include "reruzida/CommSession.h"
#include "reruzida/CommThread.h"
#include "reruzida/DataCreate.h"
#include "reruzida/DataModule1.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/UnitJobs.h"

#include "base/DateTime.h"
#include "odbcdriver/OdbcInstaller.h"
#include "storage/Connection.h"
#include "storage/Statement.h"
#include "tests/common/TempFolder.h"
#include "tests/reruzida/WaitFor.h"
#include "tools/newdata/NewData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace reruzida {

// One queued command as the jobs hand it to the driver.
struct TSentCommand {
    int Unit;
    QByteArray Command;
    QString Code;
    QByteArray Tail;
};

// The data side started on a data folder made by newdata, with units 1 to 3 present and the
// commands of the unit jobs recorded instead of queued for a port.
class DataSideTest : public ::testing::Test {
protected:
    TempFolder Temp;
    TCommSession Comm;
    QList<TSentCommand> Sent;
    bool QueueFull = false;
    // The jobs' commands go to the driver's send queue instead of Sent, for a test on a line.
    bool ToLine = false;

    // The unit jobs the test drives: the session's, as the monitor window and the servers
    // reach them (UseJobs points elsewhere).
    TUnitJobs& Jobs() { return *FJobs; }
    // The driver the jobs the test drives work on.
    TCommDriver& JobsDriver() { return *FJobsDriver; }

    static void SetUpTestSuite() {
        static TempFolder iniFolder;
        static const bool installed = (InstallOdbcDriver(iniFolder.Path()), true);
        (void)installed;
    }

    void SetUp() override {
        CreateDataFolder(Temp.Path());
        ConfigDataSource(ParadoxDriverName, {"DSN=EntParaODBC", "DefaultDir=" + Temp.Path()});
        QFile program(Temp.File("Reruzida"));
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.close();
        SetErrorLogFolder(Temp.Path());
        StartDataSide(Comm);
        MakeJobs();
    }

    // The session's jobs, driven through the session's driver.
    virtual void MakeJobs() { UseJobs(*Comm.UnitJobs, Comm.Driver); }

    // The test drives `jobs`, made on Recorder(driver), with units 1 to 3 of `driver` present.
    void UseJobs(TUnitJobs& jobs, TCommDriver& driver) {
        FJobs = &jobs;
        FJobsDriver = &driver;
        for (int unit = 1; unit <= 3; ++unit)
            driver.UnitPresent[unit] = true;
    }

    // Where the jobs' commands go: Sent (refused while QueueFull), or once ToLine is set the
    // send queue of `driver`.
    TSendCommand Recorder(TCommDriver& driver) {
        return [this, &driver](int unit, const QByteArray& command, const QString& code,
                               const QByteArray& tail) {
            if (ToLine)
                return DrvSendCommand(driver, unit, command, code, tail);
            if (QueueFull)
                return false;
            Sent.append({unit, command, code, tail});
            return true;
        };
    }

    void TearDown() override {
        Clock::SetNow({});
        Clock::SetTicks({});
    }

    // The data side of `session` made and started on the test's data folder, as a start of
    // the program makes it: what a start-up raises goes to the error log.
    void StartDataSide(TCommSession& session) {
        session.StartDataSide(NewDataModule(session.Place, Temp.File("Reruzida")),
                              Recorder(session.Driver));
    }

    // A data module on the program file `programFile` that finds `place`, on ports the system
    // picks, that leaves the ODBC driver as the suite installed it.
    static std::unique_ptr<TDM1> NewDataModule(TDataPlace& place, const QString& programFile) {
        auto module = std::make_unique<TDM1>(place);
        module->ProgramFile = programFile;
        module->InstallDriver = false;
        std::fill(std::begin(module->Ports), std::end(module->Ports), 0);
        return module;
    }

    // Statements and queries straight on the data files.
    void Access(const QString& sql) {
        SqlConnection::OpenDatabase(Temp.File(DatabaseFileName))->Execute(sql);
    }
    void Tables(const QString& sql) { SqlConnection::OpenFolder(Temp.Path())->Execute(sql); }
    static QStringList Rows(SqlConnection& connection, const QString& sql) {
        QStringList rows;
        auto statement = connection.Prepare(sql);
        while (statement->Step()) {
            QStringList values;
            for (int i = 0; i < statement->ColumnCount(); ++i)
                values << statement->Value(i).toString();
            rows << values.join('|');
        }
        return rows;
    }
    QStringList AccessRows(const QString& sql) {
        return Rows(*SqlConnection::OpenDatabase(Temp.File(DatabaseFileName)), sql);
    }
    QStringList TableRows(const QString& sql) {
        return Rows(*SqlConnection::OpenFolder(Temp.Path()), sql);
    }

    QStringList SentText() const {
        QStringList text;
        for (const TSentCommand& c : Sent)
            text << QString::number(c.Unit) + " " + QString::fromLatin1(c.Command) + " " + c.Code;
        return text;
    }

    // A received record as the protocol thread hands it over.
    static TRecvDataClass Record(int unit, const QByteArray& command,
                                 const QByteArray& parameters) {
        TRecvDataClass record;
        record.UnitId = uint8_t(unit);
        record.Command = command;
        TCommPacket packet;
        packet.Source = uint8_t(unit);
        packet.Command = command;
        packet.Parameters = parameters;
        record.Frame = BuildFrame(packet);
        return record;
    }
    static QByteArray Code(const QString& code) { return CodeField(code); }
    // The 24-byte log record.
    static QByteArray Log(const QByteArray& stamp, const QString& code, const QByteArray& op,
                          const QByteArray& result) {
        return stamp + Code(code).leftJustified(CodeFieldSize, '\0') + op + result;
    }

private:
    TUnitJobs* FJobs = nullptr;
    TCommDriver* FJobsDriver = nullptr;
};

// The unit jobs built beside the session's: on its data modules, but with a driver of their
// own, so a job that used another driver than the one it was handed would find no unit
// present and no recorder.
class UnitJobsTest : public DataSideTest {
protected:
    TCommDriver Driver;
    std::unique_ptr<TUnitJobs> OwnJobs;

    void MakeJobs() override {
        OwnJobs = std::make_unique<TUnitJobs>(*Comm.DM1, *Comm.DMCreate, Driver, Recorder(Driver));
        UseJobs(*OwnJobs, Driver);
    }
};

} // namespace reruzida
