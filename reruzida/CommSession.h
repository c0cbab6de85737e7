#pragma once

#include "base/CurrentObject.h"
#include "reruzida/CommDriver.h"
#include "reruzida/UnitJobQueues.h"

#include <QString>
#include <memory>

namespace reruzida {

class TDM1;
class TDMCreate;
class TUnitJobs;

// One run of the communication program: where its data is, its two data modules, the driver
// between the window and the protocol thread, and the unit jobs with what they keep meanwhile.
// main() makes one and a test a fresh one; the newest that lives is the current one
// (CommSession()).
class TCommSession : public TCurrentObject<TCommSession> {
public:
    TCommSession();
    ~TCommSession();

    // Makes the data modules, `dm1` and then a TDMCreate, starts each as it is made (what a
    // start raises goes to the error log, and the program goes on without it), and makes the
    // unit jobs on them.
    void StartDataSide(std::unique_ptr<TDM1> dm1);

    // The full path of this program file, in the data folder.
    QString DataPath;
    // The same as other PCs reach it: "//PC/Zezoduzu/Reruzida" when the folder is shared,
    // else DataPath; sent on PORT_START.
    QString NetworkDataPath;
    std::unique_ptr<TDM1> DM1;
    std::unique_ptr<TDMCreate> DMCreate;
    TCommDriver Driver;
    TUnitJobQueues JobQueues;
    // On the data modules, the driver and the queues above; none before StartDataSide (a
    // monitor window on its own).
    std::unique_ptr<TUnitJobs> UnitJobs;
};

// The current session. The driver interface and the data modules' start-up and servers are
// plain functions and components that the window and the servers call; this one access point
// gives them the program's state instead of a global each. There must be a session.
inline TCommSession& CommSession() {
    return TCommSession::Current();
}

} // namespace reruzida
