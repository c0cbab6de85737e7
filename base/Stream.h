#pragma once

#include "SysUtils.h"

#include <QByteArray>
#include <cstdint>

// A stream that could not move the bytes asked of it.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// A sequence of bytes read and written at a position: memory, a file, a blob field.
class TStream {
public:
    TStream() = default;
    virtual ~TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Each moves the position by what it did and answers the byte count.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Answers the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    virtual int64_t Size();

    // Raise EReadError / EWriteError when fewer bytes than asked move.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // The bytes from the position to the end; all of `source` when count is 0.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over bytes in memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray bytes) : FBytes(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FBytes.size(); }

    const QByteArray& Bytes() const { return FBytes; }

private:
    QByteArray FBytes;
    int64_t FPosition = 0;
};
