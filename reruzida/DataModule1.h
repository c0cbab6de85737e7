#pragma once

#include "base/Component.h"
#include "protocol/CommRequests.h"

#include <QObject>
#include <QString>
#include <memory>

class QTcpSocket;
class TQuery;
class TTable;
class TDBQueryODBC;
class TCloneODBC;

namespace reruzida {

class TRequestServer;

// The data folder: the session's DataPath's folder, without the closing "/".
QString DataFolder();

// Why nothing can be written in the data folder (read-only, no right to write); empty when
// it can be.
QString DataFolderFault();

// Packs a table that is open exclusively; raises "排他モードで開けませんでした。" otherwise.
void PackParadoxTable(TTable& table);

// The communication program's first data module: the datasets on the data folder, the four
// TCP servers and the data side's start-up.
class TDM1 : public QObject, public TComponent {
public:
    explicit TDM1(QObject* parent = nullptr);
    ~TDM1() override;
    Q_DISABLE_COPY(TDM1)

    // The program file whose folder holds the data; tests point it into a data folder.
    QString ProgramFile;
    // Ports of ServerStart, ServerGazoset, ServerGazoDelete, ServerTanpa; 0 picks a free one.
    quint16 Ports[4] = {TcpPort(PORT_START), TcpPort(PORT_GAZOSET), TcpPort(PORT_GAZODELETE),
                        TcpPort(PORT_TANPA)};
    // Registers the ODBC driver in the program folder first; off when the process has done it.
    bool InstallDriver = true;

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
};

// Closes the database session as a stop does: drops its connections, closes it and deletes
// "PDOXUSRS.NET" from the program folder.
void CloseDataSession();
// Opens the database session again (the restart request).
void OpenDataSession();

} // namespace reruzida
