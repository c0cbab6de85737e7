#include "UnitJobs.h"

namespace reruzida {

TUnitJobs::TUnitJobs(TDM1& dm1, TDMCreate& dmCreate, TCommDriver& driver, TSendCommand send)
    : Line(driver, std::move(send)), Answers(dm1, Line), Records(dm1, dmCreate, Line, Answers),
      Periodic(dm1, Line, Answers, Records) {}

void TUnitJobs::Finish() {
    Records.HandleRemainingRecords();
    Answers.ForgetRemovalsSent();
}

} // namespace reruzida
