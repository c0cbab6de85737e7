// The frame reader fed as the serial line feeds it. The input: one byte naming the source
// the reader waits for (beyond the last unit: any source), then reads, each a length byte
// and that many bytes; a length of 0 is the line falling silent.
#include "protocol/UnitFrame.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// What a complete frame must be, whatever its check says.
void CheckComplete(const QByteArray& frame) {
    Require(frame.size() >= FrameOverhead && frame.size() <= ReceiveBufferSize);
    Require(frame[0] == STX);
    Require(frame.size() == ExpectedFrameLength(frame));
}

// A reply the protocol thread takes goes on to the records: its fields are read as well.
void ReadFields(const QByteArray& frame) {
    TRecvDataClass record;
    record.Frame = frame.left(TRecvDataClass::MaxFrame);
    const QByteArray parameters = record.Parameters();
    CodeFromField(parameters);
    try {
        TLogRecord::Parse(parameters).Bytes();
    } catch (const ERecordRejected&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int source = data[0] <= MaxUnitId ? data[0] : -1;
    TFrameReader reader;
    reader.ExpectSource(source);
    for (size_t at = 1; at < size;) {
        const size_t length = data[at++];
        if (length == 0) {
            reader.Clear();
            continue;
        }
        const size_t taken = std::min(length, size - at);
        if (taken == 0)
            break;
        const bool started = reader.Started();
        const auto read = QByteArrayView(data + at, qsizetype(taken));
        at += taken;
        switch (reader.Feed(read)) {
        case TFrameOutcome::Incomplete:
            Require(reader.Started());
            break;
        case TFrameOutcome::Dropped:
            Require(!started && read.front() != STX && !reader.Started());
            break;
        case TFrameOutcome::Frame:
            CheckComplete(reader.Frame());
            Require(CheckFrame(reader.Frame(), int(reader.Frame().size())));
            Require(source < 0 || uint8_t(reader.Frame()[SourceOffset]) == source);
            ReadFields(reader.Frame());
            break;
        case TFrameOutcome::BadCheck:
            CheckComplete(reader.Frame());
            Require(!CheckFrame(reader.Frame(), int(reader.Frame().size())));
            break;
        case TFrameOutcome::OtherSource:
            CheckComplete(reader.Frame());
            Require(uint8_t(reader.Frame()[SourceOffset]) != source);
            break;
        }
    }
    return 0;
}
