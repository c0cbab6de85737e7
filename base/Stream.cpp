#include "Stream.h"

#include <algorithm>
#include <cstring>

int64_t TStream::Size() {
    const int64_t position = Position();
    const int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    QByteArray chunk(int(std::min<int64_t>(count, 65536)), '\0');
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min<int64_t>(left, chunk.size());
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.constData(), n);
        left -= n;
    }
    return count;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, FBytes.size() - FPosition));
    if (n > 0)
        std::memcpy(buffer, FBytes.constData() + FPosition, size_t(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    if (FPosition + count > FBytes.size())
        FBytes.resize(qsizetype(FPosition + count));
    std::memcpy(FBytes.data() + FPosition, buffer, size_t(count));
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == soBeginning ? 0
                         : origin == soCurrent ? FPosition
                                               : FBytes.size();
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}
