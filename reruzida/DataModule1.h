#pragma once

#include "base/Component.h"
#include "protocol/CommRequests.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QTcpSocket;
class TQuery;
class TTable;
class TDBQueryODBC;
class TCloneODBC;

namespace reruzida {

class TRequestServer;

// Where the program's data is; the data module's start-up finds it.
struct TDataPlace {
    // The full path of this program file, in the data folder.
    QString DataPath;
    // The same as other PCs reach it: "//PC/Zezoduzu/Reruzida" when the folder is shared,
    // else DataPath; sent on PORT_START.
    QString NetworkDataPath;

    // The data folder: DataPath's folder, without the closing "/"; before the start-up got as
    // far as the data path, the program's folder.
    QString Folder() const;
    // Why nothing can be written in the data folder (read-only, no right to write); empty
    // when it can be.
    QString Fault() const;
};

// What the servers do with a request read whole (each raises on a malformed one); the
// session hands in the unit jobs'.
struct TRequestActions {
    std::function<void(const QByteArray& request, QTcpSocket* client)> ReadImage;
    std::function<void(const QByteArray& request)> DeleteUsers;
    std::function<void(const QByteArray& request)> ResetTamper;
};

// Packs a table that is open exclusively; raises "排他モードで開けませんでした。" otherwise.
void PackParadoxTable(TTable& table);

// The communication program's first data module: the datasets on the data folder, the four
// TCP servers and the data side's start-up, which fills in `place`.
class TDM1 : public QObject, public TComponent {
public:
    explicit TDM1(TDataPlace& place, QObject* parent = nullptr);
    ~TDM1() override;
    Q_DISABLE_COPY(TDM1)

    // The program file whose folder holds the data; tests point it into a data folder.
    QString ProgramFile;
    // Ports of ServerStart, ServerGazoset, ServerGazoDelete, ServerTanpa; 0 picks a free one.
    quint16 Ports[4] = {TcpPort(PORT_START), TcpPort(PORT_GAZOSET), TcpPort(PORT_GAZODELETE),
                        TcpPort(PORT_TANPA)};
    // Registers the ODBC driver in the program folder first; off when the process has done it.
    bool InstallDriver = true;
    TRequestActions Actions;

    // The start-up: servers, share, session, packing entranceState, the data source, the
    // datasets' folder and the schema upgrade. Raises where it stops.
    void DataModuleCreate();
    void UpgradeSchema();

    TQuery* sqlLog;
    TQuery* sqlState;
    TTable* tblState;
    TDBQueryODBC* sqlGazo;
    TDBQueryODBC* sqlEntrance;
    TCloneODBC* CloneODBC1;
    TTable* Table1;

    TRequestServer* ServerStart;
    TRequestServer* ServerGazoset;
    TRequestServer* ServerGazoDelete;
    TRequestServer* ServerTanpa;

private:
    void StartServers();
    void ServerStartClientConnect(QTcpSocket* client);
    void ServerGazosetClientRead(QTcpSocket* client, const QByteArray& request);
    void ServerGazoDeleteClientRead(QTcpSocket* client, const QByteArray& request);
    void ServerTanpaClientRead(QTcpSocket* client, const QByteArray& request);
    void SetUpSession(const QString& netFileDir);
    void PackEntranceState();
    void CreateDataSource();

    TDataPlace& FPlace;
};

// Closes the database session as a stop does: drops its connections, closes it and deletes
// "PDOXUSRS.NET" from the data folder.
void CloseDataSession(const QString& dataFolder);
// Opens the database session again (the restart request).
void OpenDataSession();

} // namespace reruzida
