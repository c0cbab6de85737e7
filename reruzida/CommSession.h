#pragma once

#include "base/CurrentObject.h"
#include "reruzida/CommDriver.h"
#include "reruzida/UnitJobQueues.h"

#include <QString>
#include <memory>

namespace reruzida {

class TDM1;
class TDMCreate;

// One run of the communication program: where its data is, its two data modules, the driver
// between the window and the protocol thread, and what the unit jobs keep meanwhile. main()
// makes one and a test a fresh one; the newest that lives is the current one (CommSession()).
class TCommSession : public TCurrentObject<TCommSession> {
public:
    TCommSession();
    ~TCommSession();

    // The full path of this program file, in the data folder.
    QString DataPath;
    // The same as other PCs reach it: "//PC/Zezoduzu/Reruzida" when the folder is shared,
    // else DataPath; sent on PORT_START.
    QString NetworkDataPath;
    // Made and started by the session's maker, the first one first.
    std::unique_ptr<TDM1> DM1;
    std::unique_ptr<TDMCreate> DMCreate;
    TCommDriver Driver;
    TUnitJobQueues Jobs;
};

// The current session. The driver interface, the request handlers and the unit jobs are plain
// functions called from window messages and servers; this one access point gives them the
// program's state instead of a global each. There must be a session.
inline TCommSession& CommSession() {
    return TCommSession::Current();
}

} // namespace reruzida
