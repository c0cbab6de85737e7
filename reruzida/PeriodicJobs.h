#pragma once

#include <QHash>
#include <QString>

namespace reruzida {

class TAwaitedAnswers;
class TDM1;
class TJobLine;
class TRecordStore;

// The jobs the protocol thread's ticks ask for, on the data and the present units: the units'
// operating hours, the registrations still to send, the expired persons' removals; and the
// release of a unit's tamper alarm, which another program asks for.
class TPeriodicJobs {
public:
    TPeriodicJobs(TDM1& dm1, TJobLine& line, TAwaitedAnswers& answers, TRecordStore& records);
    TPeriodicJobs(const TPeriodicJobs&) = delete;
    TPeriodicJobs& operator=(const TPeriodicJobs&) = delete;

    // The periodic jobs (they raise on failure).
    void ApplyOperatingHours();
    void SendPendingRegistrations();
    void DeleteExpiredUsers();

    // WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE: runs the job (errors go to the
    // error log), after retrying waiting records; the expiry tick first sends the removals
    // still waiting for their units (TAwaitedAnswers::SendPendingRemovals).
    void ProcessTick(int msg);

    // TSR and both tamper flags cleared, when the unit's case was opened and closed.
    void ReleaseTamper(int unit);

private:
    TDM1& FDM1;
    TJobLine& FLine;
    TAwaitedAnswers& FAnswers;
    TRecordStore& FRecords;
    // The person whose image was sent last, so the next tick starts after them.
    QString FLastRegistrationCode;
    // Persons whose stored image is not 900 bytes, with a hash of that image: the error log
    // has a line about it, and gets another only when the image changes.
    QHash<QString, size_t> FBadImagesLogged;
};

} // namespace reruzida
