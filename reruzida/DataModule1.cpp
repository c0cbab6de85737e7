#include "DataModule1.h"

#include "ErrorLog.h"
#include "RequestServer.h"

#include "base/SysUtils.h"
#include "base/Text.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "dbengine/Table.h"
#include "odbc/ConnectionODBC.h"
#include "odbc/ODBCDSet.h"
#include "odbcdriver/OdbcInstaller.h"
#include "shared/UnitShare.h"
#include "storage/Connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace reruzida {

QString TDataPlace::Folder() const {
    return QFileInfo(DataPath.isEmpty() ? QCoreApplication::applicationFilePath() : DataPath)
        .absolutePath();
}

QString TDataPlace::Fault() const {
    const QString folder = Folder();
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0)
        return {};
    return "データフォルダー " + folder +
           " に書き込めません: " + QString::fromLocal8Bit(std::strerror(errno));
}

void PackParadoxTable(TTable& table) {
    if (!table.Active() || !table.Exclusive)
        DatabaseError("排他モードで開けませんでした。");
    table.Pack();
}

namespace {

// How long the pack of the unit table waits for another program's hold on it.
constexpr int PackLockWaitMs = 250;

TQuery* NewQuery(TComponent* owner, const QString& name) {
    auto* query = new TQuery(owner);
    query->SetName(name);
    query->RequestLive = true;
    return query;
}

TDBQueryODBC* NewODBCQuery(TComponent* owner, const QString& name) {
    auto* query = new TDBQueryODBC(owner);
    query->SetName(name);
    query->SetDSName("ZorarareVUZU");
    query->SetODBCVersion(ODBC35);
    return query;
}

// A server on its port. A port in use only costs that server (the error log says so): the
// rest of the start-up still sets up the data side, or no event would be stored.
void Activate(TRequestServer& server, quint16 port, const TAllowedClients& allowed) {
    server.Allowed = allowed;
    if (!server.listen(QHostAddress::Any, port))
        ErrorLog().WriteErrorLog("TCP port " + QString::number(port) + ": " + server.errorString(),
                                 Now());
}

} // namespace

TDM1::TDM1(TDataPlace& place, QObject* parent)
    : QObject(parent), TComponent(nullptr), FPlace(place) {
    ProgramFile = QCoreApplication::applicationFilePath();
    sqlLog = NewQuery(this, "sqlLog");
    sqlState = NewQuery(this, "sqlState");
    tblState = new TTable(this);
    tblState->SetName("tblState");
    tblState->SetTableName("entranceState.DB");
    CloneODBC1 = new TCloneODBC(this);
    CloneODBC1->SetName("CloneODBC1");
    CloneODBC1->SetDSName("ZorarareVUZU");
    CloneODBC1->SetODBCVersion(ODBC35);
    CloneODBC1->SetDriverConnect(false);
    sqlGazo = NewODBCQuery(this, "sqlGazo");
    sqlEntrance = NewODBCQuery(this, "sqlEntrance");
    sqlEntrance->SetClone(CloneODBC1);
    Table1 = new TTable(this);
    Table1->SetName("Table1");
    // PORT_START answers on connecting; what a client sends it is read and dropped.
    ServerStart = new TRequestServer([](QTcpSocket*, const QByteArray&) {}, this);
    ServerStart->OnConnect = [this](QTcpSocket* client) { ServerStartClientConnect(client); };
    ServerGazoset = new TRequestServer(
        [this](QTcpSocket* c, const QByteArray& r) { ServerGazosetClientRead(c, r); }, this);
    // The image answer comes when the unit has answered; the asker waits 30 seconds for it.
    ServerGazoset->KeepAfterRequestMs = 35000;
    ServerGazoDelete = new TRequestServer(
        [this](QTcpSocket* c, const QByteArray& r) { ServerGazoDeleteClientRead(c, r); }, this);
    ServerTanpa = new TRequestServer(
        [this](QTcpSocket* c, const QByteArray& r) { ServerTanpaClientRead(c, r); }, this);
}

TDM1::~TDM1() {
    DestroyComponents();
}

void TDM1::DataModuleCreate() {
    StartServers();
    const QFileInfo program(ProgramFile);
    // Other PCs reach the folder through its share ("//PC/Zezoduzu/", no file path here) and
    // map it to their mount of it; this program works on its own folder.
    FPlace.NetworkDataPath =
        GetSharedDataPath(program.absolutePath(), DataShareName) + program.fileName();
    FPlace.DataPath = program.absoluteFilePath();
    if (const QString fault = FPlace.Fault(); !fault.isEmpty())
        ErrorLog().WriteErrorLog(fault, Now());
    SetUpSession(FPlace.Folder() + "/");
    // A unit table another program holds is packed at the next start; the rest of the data
    // side is set up all the same, or no record could be stored in this run.
    try {
        PackEntranceState();
    } catch (const Exception& e) {
        ErrorLog().WriteErrorLog(
            "entranceState を圧縮できませんでした (次回の起動時に圧縮します): " + e.Message(),
            Now());
    }
    Session().SQLHourGlass = false;
    CreateDataSource();
    for (TDBDataSet* dataSet : std::initializer_list<TDBDataSet*>{sqlLog, sqlState, tblState}) {
        dataSet->Close();
        dataSet->SetDatabaseName(FPlace.Folder());
    }
    UpgradeSchema();
}

void TDM1::StartServers() {
    const TAllowedClients allowed = TAllowedClients::FromSetting();
    Activate(*ServerStart, Ports[0], allowed);
    Activate(*ServerGazoset, Ports[1], allowed);
    Activate(*ServerGazoDelete, Ports[2], allowed);
    Activate(*ServerTanpa, Ports[3], allowed);
}

void TDM1::SetUpSession(const QString& netFileDir) {
    Session().Close();
    const QString secur = FPlace.Folder() + "/SECUR/";
    DeleteFilesInFolder(secur);
    QDir().mkpath(secur);
    Session().NetFileDir = netFileDir;
    Session().PrivateDir = secur;
    try {
        Session().Open();
    } catch (const Exception&) {
        // Later statements open it on demand or fail with their own error.
    }
    EnsureLocalShare();
}

// Another program that has the table open makes the pack fail at once, as an exclusive open
// fails, instead of holding up the start.
void TDM1::PackEntranceState() {
    Table1->Close();
    Table1->SetDatabaseName(FPlace.Folder() + "/");
    Table1->SetTableName("entranceState");
    Table1->Exclusive = true;
    Table1->Open();
    try {
        const SqlBusyTimeoutScope briefly(Table1->Connection(), PackLockWaitMs);
        PackParadoxTable(*Table1);
    } catch (...) {
        Table1->Close();
        throw;
    }
    Table1->Close();
}

void TDM1::CreateDataSource() {
    if (InstallDriver)
        InstallOdbcDriver(FPlace.Folder());
    ConfigDataSource(AccessDriverName,
                     {"DSN=ZorarareVUZU", "DBQ=" + FPlace.Folder() + "/VoduraviRive.MDB"});
}

void TDM1::UpgradeSchema() {
    const auto run = [](TDataSet* dataSet, TStrings& sql, const QString& text,
                        const std::function<void()>& exec) {
        try {
            dataSet->Close();
            sql.Clear();
            sql.Add(text);
            exec();
        } catch (const Exception&) {
            // The column is there already.
        }
    };
    for (const char* text : {"ALTER TABLE M_使用認証機 ADD COLUMN 登録 BIT",
                             "ALTER TABLE M_使用認証機 ADD COLUMN 削除 BIT",
                             "ALTER TABLE M_使用認証機 ADD COLUMN 登録不可 BIT",
                             "ALTER TABLE M_個人情報 ADD COLUMN 有効開始日 DATETIME",
                             "ALTER TABLE M_個人情報 ADD COLUMN ユーザーレベル SHORT"})
        run(sqlEntrance, sqlEntrance->SQL(), text, [this] { sqlEntrance->ExecSQL(); });
    run(sqlState, sqlState->SQL(),
        "ALTER TABLE \"entranceState.DB\" ADD COLUMN タンパー開 SMALLINT, ADD COLUMN タンパー閉 "
        "SMALLINT",
        [this] { sqlState->ExecSQL(); });
}

void TDM1::ServerStartClientConnect(QTcpSocket* client) {
    client->write(ToCP932(FPlace.NetworkDataPath));
}

void TDM1::ServerGazosetClientRead(QTcpSocket* client, const QByteArray& request) {
    RunRequestLogged(TRequestServer::ClientName(client),
                     [&] { Actions.ReadImage(request, client); });
}

// "DELETE" tells the asking PC that its removals are kept; a malformed request, or one that
// could not be kept, gets none.
void TDM1::ServerGazoDeleteClientRead(QTcpSocket* client, const QByteArray& request) {
    if (RunRequestLogged(TRequestServer::ClientName(client), [&] { Actions.DeleteUsers(request); }))
        client->write("DELETE");
}

void TDM1::ServerTanpaClientRead(QTcpSocket* client, const QByteArray& request) {
    RunRequestLogged(TRequestServer::ClientName(client), [&] { Actions.ResetTamper(request); });
}

void CloseDataSession(const QString& dataFolder) {
    Session().DropConnections();
    Session().Close();
    QFile::remove(dataFolder + "/PDOXUSRS.NET");
}

void OpenDataSession() {
    Session().Open();
}

} // namespace reruzida
