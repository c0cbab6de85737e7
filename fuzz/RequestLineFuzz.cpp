// The requests other PCs send over TCP (removals, image reads, tamper releases), as the
// servers hand them on.
#include "reruzida/CommSession.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/Requests.h"

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
    // Each input meets a program that has just started, with units 1 to 3 found by the scan,
    // so valid lines go as far as the send queue.
    TCommSession session;
    for (int unit = 1; unit <= 3; ++unit)
        session.Driver.UnitPresent[unit] = true;
    const QByteArray payload(reinterpret_cast<const char*>(data), qsizetype(size));
    // A malformed line is refused with an exception, which the servers write to the error log;
    // what matters here is that nothing breaks.
    try {
        ForEachRemovalLine(payload, [](int, const QString&) {});
    } catch (const Exception&) {
    }
    try {
        ReadImageRequest(payload);
    } catch (const Exception&) {
    }
    return 0;
}
