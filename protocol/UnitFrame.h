#pragma once

// The byte layouts of the serial line to the units, written once.
//
// Frame (a command from the PC, a reply from a unit); numbers big-endian:
//
//   offset   size      meaning
//   0        1         STX 0x02
//   1        1         source address: 0 the PC, 1-32 a unit
//   2        1         destination address
//   3        2         LEN: bytes of command and parameters (3 + parameter length)
//   5        3         command, three upper-case ASCII letters (an ACK has the one byte 0x06)
//   8        LEN - 3   parameters
//   5 + LEN  1         ETX 0x03
//   6 + LEN  1         BCC: XOR of the bytes from offset 1 up to and including ETX
//
// A frame is LEN + 7 bytes long. The PC receives at most ReceiveBufferSize bytes of one.
//
// Log record: the parameters of an LRA that carries an event, 24 ASCII bytes:
//
//   offset   size      meaning
//   0        2         year within the century ("20" goes before it)
//   2        2         month
//   4        2         day
//   6        2         hour
//   8        2         minute
//   10       2         second
//   12       8         person code field
//   20       2         operation, two decimal digits
//   22       2         result, two decimal digits
//
// Image parameters: RRA (image read) and RWR (image write):
//
//   offset   size      meaning
//   0        8         person code field
//   8        4         RRA: status, all zero when the unit does not hold the person;
//                      RWR: always ImagePrefix
//   12       900       the authentication image
//
// The person code field is the code's Shift-JIS bytes padded with NULs to 8.

#include "base/SysUtils.h"
#include "protocol/CommRequests.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>

// Control bytes of the unit frames.
constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char ACK = 0x06;

// Offsets and sizes in a frame.
constexpr int SourceOffset = 1;
constexpr int DestinationOffset = 2;
constexpr int LengthOffset = 3;
constexpr int CommandOffset = 5;
constexpr int CommandSize = 3;
constexpr int ParameterOffset = 8;
// Bytes of a frame around its command and parameters: STX, addresses, LEN, ETX, BCC.
constexpr int FrameOverhead = 7;
// The PC's receive buffer: a frame longer than this never completes.
constexpr int ReceiveBufferSize = 1025;

// The PC's own address; units have 1 to MaxUnitId.
constexpr int PcAddress = 0;

// The commands the PC sends, and the replies that answer them (the command's last letter A):
//
//   command              reply                what
//   ScanCommand          ScanReply            VRR: is a unit there (the scan)
//   LogReadCommand       LogReadReply         LRR: the unit's next log record (the poll)
//   RunCommand           RunReply             USR: the unit runs ("1") or stops ("0")
//   ImageReadCommand     ImageReadReply       RRR: read a person's image
//   ImageWriteCommand    ImageWriteReply      RWR: write a person's image
//   RemovalCommand       RemovalReply         RDR: remove a person
//   ClockSetCommand      ClockSetReply        CSR: set the unit's clock
//   TamperResetCommand   TamperResetReply     TSR: release the tamper alarm
//
// OtherRecordReply (CRA) carries a record as LogReadReply does; UnaskedReplies answer commands
// the PC never sends.
inline constexpr char ScanCommand[] = "VRR";
inline constexpr char ScanReply[] = "VRA";
inline constexpr char LogReadCommand[] = "LRR";
inline constexpr char LogReadReply[] = "LRA";
inline constexpr char RunCommand[] = "USR";
inline constexpr char RunReply[] = "USA";
inline constexpr char ImageReadCommand[] = "RRR";
inline constexpr char ImageReadReply[] = "RRA";
inline constexpr char ImageWriteCommand[] = "RWR";
inline constexpr char ImageWriteReply[] = "RWA";
inline constexpr char RemovalCommand[] = "RDR";
inline constexpr char RemovalReply[] = "RDA";
inline constexpr char ClockSetCommand[] = "CSR";
inline constexpr char ClockSetReply[] = "CSA";
inline constexpr char TamperResetCommand[] = "TSR";
inline constexpr char TamperResetReply[] = "TSA";
inline constexpr char OtherRecordReply[] = "CRA";
inline const QList<QByteArray> UnaskedReplies = {"RSA", "UCA", "IDA", "SRA", "SWA"};

constexpr bool IsUnitId(int id) {
    return id >= 1 && id <= MaxUnitId;
}

// The person code field.
constexpr int CodeFieldSize = 8;

// Offsets and sizes in the log record.
constexpr int LogYearOffset = 0;
constexpr int LogMonthOffset = 2;
constexpr int LogDayOffset = 4;
constexpr int LogHourOffset = 6;
constexpr int LogMinuteOffset = 8;
constexpr int LogSecondOffset = 10;
constexpr int LogCodeOffset = 12;
constexpr int LogOperationOffset = 20;
constexpr int LogResultOffset = 22;
constexpr int LogDigitsSize = 2;
constexpr int LogRecordSize = 24;

// Offsets and sizes in the image parameters.
constexpr int ImageStatusOffset = 8;
constexpr int ImageStatusSize = 4;
constexpr int ImageOffset = 12;
constexpr int ImageSize = 900;
constexpr int ImageParametersSize = ImageOffset + ImageSize;
// The four bytes RWR carries between the code and the image.
inline const QByteArray ImagePrefix("\x00\x00\x03\x54", ImageStatusSize);

// The longest reply the PC understands: RRA with the image.
constexpr int LongestReply = FrameOverhead + CommandSize + ImageParametersSize;

// One frame as it is built for sending.
struct TCommPacket {
    uint8_t Stx = STX;
    uint8_t Source = PcAddress;
    uint8_t Destination = 0;
    uint16_t Length = 0;
    QByteArray Command;
    QByteArray Parameters;
    uint8_t Etx = ETX;
    uint8_t Bcc = 0;
};

// A command waiting in the send queue.
struct TAppData {
    int UnitId = 0;
    QByteArray Command;
    QByteArray Parameters;

    bool operator==(const TAppData&) const = default;
};

// A reply that carries data, handed from the protocol thread to the monitor window.
struct TRecvDataClass {
    // The bytes of a frame that a record keeps, one fewer than the receive buffer takes. The
    // two need not meet: every reply that carries data (LongestReply at most) is kept whole,
    // so the cut only shortens a longer frame's parameters past anything the PC reads.
    static constexpr int MaxFrame = 1024;
    static_assert(LongestReply <= MaxFrame && MaxFrame <= ReceiveBufferSize);

    uint8_t UnitId = 0;
    QByteArray Command;
    // The received bytes from STX on, at most MaxFrame.
    QByteArray Frame;
    // Its number in the received-records file (0: not kept there), and whether it was read
    // back from that file at a start as one the program may have stored just before it ended.
    quint32 JournalNumber = 0;
    bool MayBeStored = false;

    // The reply's parameters: the frame from ParameterOffset up to ETX.
    QByteArray Parameters() const;
    // The record in full, for the error log: unit, command and parameters (NULs as blanks).
    QString Text() const;
};

// A record that can never be stored: its fields are not what a unit sends.
class ERecordRejected : public Exception {
public:
    using Exception::Exception;
};

// The operations of a log record the PC acts on: a person enrolled a finger at the unit or was
// removed there (each only with the result 1), the entries and exits that the reports and live
// views count, and the unit's tamper switch opened or closed.
constexpr int OpEnrolled = 1;
constexpr int OpRemovedAtUnit = 2;
constexpr int OpFirstEntry = 11;
constexpr int OpEntry = 12;
constexpr int OpLastExit = 21;
constexpr int OpExit = 22;
constexpr int OpTamper = 32;

// The log record of an LRA, its fields checked.
struct TLogRecord {
    int Year = 2000; // "20" and the two digits
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    QString Code;
    int Operation = 0;
    int Result = 0;

    // Raises ERecordRejected when the parameters are shorter than a record, a field is not
    // two decimal digits, or the date or time does not exist. The date and time are read
    // only for an operation that writes a log row: no other uses them (they keep 2000-01-01
    // 00:00:00).
    static TLogRecord Parse(const QByteArray& parameters);
    // Entries, exits and the other events of the month's log table: 10-13 and 20-23.
    bool WritesLogRow() const;
    // The 24 bytes a unit sends for the record.
    QByteArray Bytes() const;
};

// Fills in LEN and BCC of the packet and returns the frame's bytes.
QByteArray BuildFrame(TCommPacket& packet);
// A unit's reply to the PC, as the unit builds it.
QByteArray ReplyFrame(int unit, const QByteArray& command, const QByteArray& parameters = {});
// The ACK frame that answers a reply from `unit`.
QByteArray AckFrame(int unit);
// XOR of the bytes from offset 1 up to and including `last`.
uint8_t FrameBcc(const QByteArray& bytes, int last);
// Whether the first `length` bytes of `buffer` (from STX) end in ETX and a right BCC.
bool CheckFrame(const QByteArray& buffer, int length);
// LEN + 7 read from a buffer holding at least the first five bytes of a frame.
int ExpectedFrameLength(const QByteArray& buffer);
// The command letters of a complete frame (for an ACK, its body byte and what follows).
QByteArray FrameCommand(const QByteArray& frame);

// A person code as the frames carry it: its bytes padded with NULs to 8; an empty code
// contributes nothing.
QByteArray CodeField(const QString& code);
// The code in an 8-byte field, trimmed of blanks and control characters.
QString CodeFromField(const QByteArray& field);

// What one feed of received bytes came to.
enum class TFrameOutcome {
    // A frame has begun and is not complete yet: keep its bytes, feed more.
    Incomplete,
    // No frame has begun and the bytes did not begin with STX: all of them were thrown
    // away; wait for more.
    Dropped,
    // A frame is complete and its ETX and BCC are right: Frame() holds it. Act on it.
    Frame,
    // A frame is complete but its ETX or BCC is wrong: it was discarded whole; the exchange
    // ends with it.
    BadCheck,
    // A frame is complete and right, but from another source than expected: it answers
    // nothing; wait for the expected one.
    OtherSource,
};

// Assembles frames from the bytes read off the line. Each feed is what one read returned:
// a frame must begin with the first byte of a read, and what follows a complete frame in
// the same read is thrown away with it. Bytes beyond ReceiveBufferSize are dropped, so a
// longer frame stays incomplete until the owner, which keeps the time, calls Clear().
class TFrameReader {
public:
    // Takes the next frames only from `source`; -1 (the start) takes any source.
    void ExpectSource(int source) { FSource = source; }
    TFrameOutcome Feed(QByteArrayView bytes);
    // Forgets the frame begun: the line fell silent or the exchange ended.
    void Clear();
    // Whether a frame has begun.
    bool Started() const { return !FBuffer.isEmpty(); }
    // The frame of the last Frame, BadCheck or OtherSource outcome: its LEN + 7 bytes.
    const QByteArray& Frame() const { return FFrame; }

private:
    QByteArray FBuffer;
    // LEN + 7 once five bytes are in; 0 before.
    int FExpected = 0;
    int FSource = -1;
    QByteArray FFrame;
};
