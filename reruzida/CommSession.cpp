#include "CommSession.h"

#include "DataCreate.h"
#include "ErrorLog.h"
#include "Requests.h"
#include "UnitJobs.h"

namespace reruzida {

// Here, where the data modules are whole.
TCommSession::TCommSession() = default;
TCommSession::~TCommSession() = default;

void TCommSession::StartDataSide(std::unique_ptr<TDM1> dm1, TSendCommand send) {
    DM1 = std::move(dm1);
    DMCreate = std::make_unique<TDMCreate>();
    UnitJobs = std::make_unique<TUnitJobs>(*DM1, *DMCreate, Driver, std::move(send));
    TUnitJobs& jobs = *UnitJobs;
    DM1->Actions = {[&jobs](const QByteArray& request, QTcpSocket* client) {
                        ReadImageRequest(jobs, request, client);
                    },
                    [&jobs](const QByteArray& request) { DeleteUsersRequest(jobs, request); },
                    [&jobs](const QByteArray& request) { ResetTamperRequest(jobs, request); }};
    RunLogged([this] { DM1->DataModuleCreate(); });
    RunLogged([this] { DMCreate->DataModuleCreate(Place.Folder()); });
}

} // namespace reruzida
