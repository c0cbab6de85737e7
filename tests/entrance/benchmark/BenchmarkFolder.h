#pragma once

#include "dbengine/Database.h"
#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/DataModule3.h"
#include "tools/newdata/NewData.h"

#include <QTemporaryDir>
#include <memory>

namespace entrance {

// A new data folder under $TMPDIR and a registry file of its own for a benchmark that runs
// screens or reports; once the benchmark has put its data in, OpenModules puts the data
// modules on it as after a login on a PC whose address digits are "127001".
class TBenchmarkFolder {
public:
    TBenchmarkFolder() {
        qputenv("ZEZODUZU_REGISTRY", FRegistry.filePath("registry.ini").toLocal8Bit());
        CreateDataFolder(Path());
    }
    ~TBenchmarkFolder() {
        EntranceSession().DM1 = nullptr;
        EntranceSession().DM3 = nullptr;
        FDM3.reset();
        FDM1.reset();
        Session().Close();
    }
    TBenchmarkFolder(const TBenchmarkFolder&) = delete;
    TBenchmarkFolder& operator=(const TBenchmarkFolder&) = delete;

    QString Path() const { return FFolder.path(); }

    void OpenModules() {
        FDM1 = std::make_unique<TDM1>();
        FDM3 = std::make_unique<TDM3>();
        FDM1->DB1->Params.Add("DATABASE NAME=" + Path() + "/" + DatabaseFileName);
        FDM1->DB2->Params.Add("PATH=" + Path());
        EntranceSession().DM1 = FDM1.get();
        EntranceSession().DM3 = FDM3.get();
        EntranceSession().DataPath = Path() + "/Zezoduzu";
        EntranceSession().LocalIPDigits = "127001";
    }

private:
    QTemporaryDir FRegistry;
    QTemporaryDir FFolder;
    std::unique_ptr<TDM1> FDM1;
    std::unique_ptr<TDM3> FDM3;
};

} // namespace entrance
