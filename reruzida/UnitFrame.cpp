#include "UnitFrame.h"

#include "base/Text.h"

QByteArray TRecvDataClass::Parameters() const {
    if (Frame.size() < ParameterOffset + 2)
        return {};
    return Frame.mid(ParameterOffset, Frame.size() - ParameterOffset - 2);
}

uint8_t FrameBcc(const QByteArray& bytes, int last) {
    uint8_t bcc = 0;
    for (int i = 1; i <= last; ++i)
        bcc ^= uint8_t(bytes[i]);
    return bcc;
}

QByteArray BuildFrame(TCommPacket& packet) {
    packet.Length = uint16_t(packet.Command.size() + packet.Parameters.size());
    QByteArray frame;
    frame.reserve(packet.Length + FrameOverhead);
    frame.append(char(packet.Stx));
    frame.append(char(packet.Source));
    frame.append(char(packet.Destination));
    frame.append(char(packet.Length >> 8));
    frame.append(char(packet.Length & 0xFF));
    frame.append(packet.Command);
    frame.append(packet.Parameters);
    frame.append(char(packet.Etx));
    packet.Bcc = FrameBcc(frame, frame.size() - 1);
    frame.append(char(packet.Bcc));
    return frame;
}

QByteArray AckFrame(int unit) {
    TCommPacket ack;
    ack.Destination = uint8_t(unit);
    ack.Command = QByteArray(1, ACK);
    return BuildFrame(ack);
}

bool CheckFrame(const QByteArray& buffer, int length) {
    if (length < FrameOverhead || buffer.size() < length)
        return false;
    return buffer[length - 2] == ETX && FrameBcc(buffer, length - 2) == uint8_t(buffer[length - 1]);
}

int ExpectedFrameLength(const QByteArray& buffer) {
    return uint8_t(buffer[3]) * 256 + uint8_t(buffer[4]) + FrameOverhead;
}

QByteArray CodeField(const QString& code) {
    QByteArray field = ToCP932(code);
    if (!field.isEmpty() && field.size() < CodeFieldSize)
        field.append(QByteArray(CodeFieldSize - field.size(), '\0'));
    return field;
}

QString CodeFromField(const QByteArray& field) {
    return TrimFull(FromCP932(field.left(CodeFieldSize)));
}
