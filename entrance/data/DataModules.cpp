#include "DataModules.h"

#include "DataModule1.h"
#include "DataModule3.h"
#include "entrance/common/EntranceSession.h"

namespace entrance {

TDataModules::TDataModules(const QString& programFile) {
    EntranceSession().DM1 = new TDM1;
    EntranceSession().DM1->ProgramFile = programFile;
    EntranceSession().DM1->DataModuleCreate();
    EntranceSession().DM3 = new TDM3;
}

TDataModules::~TDataModules() {
    delete EntranceSession().DM3;
    EntranceSession().DM3 = nullptr;
    delete EntranceSession().DM1;
    EntranceSession().DM1 = nullptr;
}

} // namespace entrance
