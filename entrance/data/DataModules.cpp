#include "DataModules.h"

#include "DataModule1.h"
#include "DataModule3.h"

TDataModules::TDataModules(const QString& programFile) {
    DM1 = new TDM1;
    DM1->ProgramFile = programFile;
    DM1->DataModuleCreate();
    DM3 = new TDM3;
}

TDataModules::~TDataModules() {
    delete DM3;
    DM3 = nullptr;
    delete DM1;
    DM1 = nullptr;
}
