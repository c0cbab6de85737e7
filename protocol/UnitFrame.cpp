#include "UnitFrame.h"

#include "base/DateTime.h"
#include "base/Text.h"

namespace {

// The two digits at `offset` of the log record as a number within [low, high].
int LogDigits(const QByteArray& log, int offset, int low, int high) {
    const QByteArray field = log.mid(offset, LogDigitsSize);
    const bool digits = field.size() == LogDigitsSize && std::isdigit(uchar(field[0])) &&
                        std::isdigit(uchar(field[1]));
    const int value = field.toInt();
    if (!digits || value < low || value > high)
        throw ERecordRejected("ログレコードの値が不正です: " + QString::fromLatin1(field.toHex()));
    return value;
}

QByteArray Digits2(int value) {
    return QByteArray::number(value % 100).rightJustified(LogDigitsSize, '0');
}

} // namespace

QByteArray TRecvDataClass::Parameters() const {
    if (Frame.size() < ParameterOffset + 2)
        return {};
    return Frame.mid(ParameterOffset, Frame.size() - ParameterOffset - 2);
}

QString TRecvDataClass::Text() const {
    QByteArray parameters = Parameters();
    parameters.replace('\0', ' ');
    return QString::number(UnitId) + " " + QString::fromLatin1(Command) + " " +
           FromCP932(parameters);
}

TLogRecord TLogRecord::Parse(const QByteArray& parameters) {
    const QByteArray log = parameters.left(LogRecordSize);
    if (log.size() < LogRecordSize)
        throw ERecordRejected("ログレコードが24バイトありません");
    TLogRecord record;
    record.Operation = LogDigits(log, LogOperationOffset, 0, 99);
    record.Result = LogDigits(log, LogResultOffset, 0, 99);
    record.Code = CodeFromField(log.mid(LogCodeOffset, CodeFieldSize));
    if (!record.WritesLogRow())
        return record;
    record.Year = 2000 + LogDigits(log, LogYearOffset, 0, 99);
    record.Month = LogDigits(log, LogMonthOffset, 1, 12);
    record.Day = LogDigits(log, LogDayOffset, 1, 31);
    // A day the month does not have can never be stored.
    TDateTime date = 0;
    if (!TryEncodeDate(record.Year, record.Month, record.Day, date))
        throw ERecordRejected("ログレコードの日付が不正です: " + QString::fromLatin1(log.left(6)));
    record.Hour = LogDigits(log, LogHourOffset, 0, 23);
    record.Minute = LogDigits(log, LogMinuteOffset, 0, 59);
    record.Second = LogDigits(log, LogSecondOffset, 0, 59);
    return record;
}

bool TLogRecord::WritesLogRow() const {
    return (Operation >= 10 && Operation <= 13) || (Operation >= 20 && Operation <= 23);
}

QByteArray TLogRecord::Bytes() const {
    return Digits2(Year) + Digits2(Month) + Digits2(Day) + Digits2(Hour) + Digits2(Minute) +
           Digits2(Second) + CodeField(Code).leftJustified(CodeFieldSize, '\0', true) +
           Digits2(Operation) + Digits2(Result);
}

uint8_t FrameBcc(const QByteArray& bytes, int last) {
    uint8_t bcc = 0;
    for (int i = SourceOffset; i <= last; ++i)
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

QByteArray ReplyFrame(int unit, const QByteArray& command, const QByteArray& parameters) {
    TCommPacket reply;
    reply.Source = uint8_t(unit);
    reply.Destination = PcAddress;
    reply.Command = command;
    reply.Parameters = parameters;
    return BuildFrame(reply);
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
    return uint8_t(buffer[LengthOffset]) * 256 + uint8_t(buffer[LengthOffset + 1]) + FrameOverhead;
}

QByteArray FrameCommand(const QByteArray& frame) {
    return frame.mid(CommandOffset, CommandSize);
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

TFrameOutcome TFrameReader::Feed(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return Started() ? TFrameOutcome::Incomplete : TFrameOutcome::Dropped;
    if (!Started() && bytes.front() != STX)
        return TFrameOutcome::Dropped;
    FBuffer.append(bytes.first(qMin(bytes.size(), ReceiveBufferSize - FBuffer.size())));
    if (FBuffer.size() > LengthOffset + 2 && FExpected == 0)
        FExpected = ExpectedFrameLength(FBuffer);
    if (FExpected == 0 || FBuffer.size() < FExpected)
        return TFrameOutcome::Incomplete;
    // What follows the frame in the same read goes with it.
    FFrame = FBuffer.left(FExpected);
    Clear();
    if (!CheckFrame(FFrame, int(FFrame.size())))
        return TFrameOutcome::BadCheck;
    if (FSource >= 0 && uint8_t(FFrame[SourceOffset]) != FSource)
        return TFrameOutcome::OtherSource;
    return TFrameOutcome::Frame;
}

void TFrameReader::Clear() {
    FBuffer.clear();
    FExpected = 0;
}
