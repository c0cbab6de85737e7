#include "CommSession.h"

#include "DataCreate.h"
#include "DataModule1.h"
#include "ErrorLog.h"
#include "UnitJobs.h"

namespace reruzida {

// Here, where the data modules are whole.
TCommSession::TCommSession() = default;
TCommSession::~TCommSession() = default;

void TCommSession::StartDataSide(std::unique_ptr<TDM1> dm1) {
    DM1 = std::move(dm1);
    RunLogged([this] { DM1->DataModuleCreate(); });
    DMCreate = std::make_unique<TDMCreate>();
    RunLogged([this] { DMCreate->DataModuleCreate(); });
    UnitJobs = std::make_unique<TUnitJobs>(*DM1, *DMCreate, Driver, JobQueues);
}

} // namespace reruzida
