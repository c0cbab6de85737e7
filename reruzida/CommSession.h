#pragma once

#include "reruzida/CommDriver.h"
#include "reruzida/DataModule1.h"

#include <memory>

namespace reruzida {

class TDMCreate;
struct TUnitJobs;

// One run of the communication program: where its data is, its two data modules, the driver
// between the window and the protocol thread, and the unit jobs.
// main() makes one and hands its parts to the monitor window; a test makes a fresh one.
class TCommSession {
public:
    TCommSession();
    ~TCommSession();
    TCommSession(const TCommSession&) = delete;
    TCommSession& operator=(const TCommSession&) = delete;

    // Makes the second data module and the unit jobs on `dm1` (made on Place) and it, their
    // commands going to `send` (DriverQueue(Driver) in the program), hands the jobs to dm1's
    // servers, then starts each module (what a start raises goes to the error log, and the
    // program goes on without it).
    void StartDataSide(std::unique_ptr<TDM1> dm1, TSendCommand send);

    TDataPlace Place;
    std::unique_ptr<TDM1> DM1;
    std::unique_ptr<TDMCreate> DMCreate;
    TCommDriver Driver;
    // On the data modules and the driver above; none before StartDataSide (a monitor window
    // on its own).
    std::unique_ptr<TUnitJobs> UnitJobs;
};

} // namespace reruzida
