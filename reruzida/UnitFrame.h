#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Control bytes of the unit frames.
constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char ACK = 0x06;

// Bytes of a frame around its command and parameters: STX, addresses, LEN, ETX, BCC.
constexpr int FrameOverhead = 7;
// The PC's own address; units have 1 to 32.
constexpr int PcAddress = 0;
constexpr int MaxUnitId = 32;

constexpr bool IsUnitId(int id) {
    return id >= 1 && id <= MaxUnitId;
}

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
};

// A reply that carries data, handed from the protocol thread to the monitor window.
struct TRecvDataClass {
    static constexpr int MaxFrame = 1024;
    static constexpr int ParameterOffset = 8;

    uint8_t UnitId = 0;
    QByteArray Command;
    // The received bytes from STX on, at most MaxFrame.
    QByteArray Frame;

    // The reply's parameters: the frame from offset 8 up to ETX.
    QByteArray Parameters() const;
};

// Fills in LEN and BCC of the packet and returns the frame's bytes.
QByteArray BuildFrame(TCommPacket& packet);
// The ACK frame that answers a reply from `unit`.
QByteArray AckFrame(int unit);
// XOR of the bytes from offset 1 up to and including `last`.
uint8_t FrameBcc(const QByteArray& bytes, int last);
// Whether the first `length` bytes of `buffer` (from STX) end in ETX and a right BCC.
bool CheckFrame(const QByteArray& buffer, int length);
// LEN + 7 read from a buffer holding at least the first five bytes of a frame.
int ExpectedFrameLength(const QByteArray& buffer);

// A person code as the frames carry it: its bytes padded with NULs to 8; an empty code
// contributes nothing.
QByteArray CodeField(const QString& code);
constexpr int CodeFieldSize = 8;
// The code in an 8-byte field, trimmed of blanks and control characters.
QString CodeFromField(const QByteArray& field);
