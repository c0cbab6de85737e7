#pragma once

#include "reruzida/AwaitedAnswers.h"
#include "reruzida/CommDriver.h"
#include "reruzida/JobLine.h"
#include "reruzida/PeriodicJobs.h"
#include "reruzida/RecordStore.h"

namespace reruzida {

class TDMCreate;

// The unit jobs of the window thread, a class each: the record store, the periodic jobs and the
// answers awaited, on the datasets of the two data modules and the line (the driver's present
// units, and `send` for their commands). The session owns them, so a new session starts with
// nothing waiting, and hands them to the monitor window and the request handlers.
struct TUnitJobs {
    TUnitJobs(TDM1& dm1, TDMCreate& dmCreate, TCommDriver& driver, TSendCommand send);
    TUnitJobs(const TUnitJobs&) = delete;
    TUnitJobs& operator=(const TUnitJobs&) = delete;

    // Before the program ends: the remaining records are handled
    // (TRecordStore::HandleRemainingRecords), and no removal counts as sent any more.
    void Finish();

    TJobLine Line;
    TAwaitedAnswers Answers;
    TRecordStore Records;
    TPeriodicJobs Periodic;
};

} // namespace reruzida
