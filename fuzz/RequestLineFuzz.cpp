// The requests other PCs send over TCP (removals, image reads, tamper releases), as the
// servers hand them on.
#include "reruzida/CommDriver.h"
#include "reruzida/DataCreate.h"
#include "reruzida/DataModule1.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/Requests.h"
#include "reruzida/UnitJobs.h"

#include <QTemporaryDir>
#include <cstdint>

using namespace reruzida;

namespace {

bool SetUp() {
    static QTemporaryDir logFolder;
    SetErrorLogFolder(logFolder.path());
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = SetUp();
    (void)ready;
    // Each input meets unit jobs that have just started, with units 1 to 3 found by the scan,
    // so valid lines go as far as the send queue. Reading a line touches no data module.
    static TDataPlace place;
    static TDM1 dm1(place);
    static TDMCreate dmCreate;
    TCommDriver driver;
    TUnitJobs jobs(dm1, dmCreate, driver, DriverQueue(driver));
    for (int unit = 1; unit <= 3; ++unit)
        driver.UnitPresent[unit] = true;
    const QByteArray payload(reinterpret_cast<const char*>(data), qsizetype(size));
    // A malformed line is refused with an exception, which the servers write to the error log;
    // what matters here is that nothing breaks.
    try {
        ForEachRemovalLine(payload, [](int, const QString&) {});
    } catch (const Exception&) {
    }
    try {
        ReadImageRequest(jobs, payload);
    } catch (const Exception&) {
    }
    return 0;
}
