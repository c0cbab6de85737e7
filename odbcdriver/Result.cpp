#include "Result.h"

#include "storage/Statement.h"

#include <algorithm>
#include <mutex>

namespace {

// Blocks of results that are gone, kept for the results to come: memory fresh from the system
// costs a page fault a page, which a long result would pay again at every execution. At most
// KeptBlocks (16 MB) are kept.
class BlockPool {
public:
    static constexpr size_t KeptBlocks = 1024;

    std::unique_ptr<char[]> Take(qsizetype size) {
        std::lock_guard lock(FLock);
        if (FFree.empty())
            return std::make_unique_for_overwrite<char[]>(size_t(size));
        std::unique_ptr<char[]> block = std::move(FFree.back());
        FFree.pop_back();
        return block;
    }
    void Give(std::vector<std::unique_ptr<char[]>>& blocks) {
        std::lock_guard lock(FLock);
        for (auto& b : blocks)
            if (FFree.size() < KeptBlocks)
                FFree.push_back(std::move(b));
        blocks.clear();
    }

private:
    std::mutex FLock;
    std::vector<std::unique_ptr<char[]>> FFree;
};

BlockPool& Pool() {
    static BlockPool pool;
    return pool;
}

} // namespace

QVariant StoredValue::ToVariant() const {
    switch (Type) {
    case Kind::Integer:
        return qlonglong(Integer);
    case Kind::Real:
        return Real;
    case Kind::Text:
        return QString::fromUtf8(Bytes);
    case Kind::Blob:
        return Bytes.toByteArray();
    case Kind::Null:
        break;
    }
    return QVariant();
}

OdbcResult::~OdbcResult() {
    Pool().Give(FCells);
    Pool().Give(FBytes);
}

StoredValue OdbcResult::Value(int64_t row, int column) const {
    const int64_t index = (row - 1) * FWidth + column;
    const Cell& c =
        reinterpret_cast<const Cell*>(FCells[size_t(index / BlockCells)].get())[index % BlockCells];
    StoredValue v;
    v.Type = c.Type;
    switch (c.Type) {
    case StoredValue::Kind::Integer:
        v.Integer = c.Integer;
        break;
    case StoredValue::Kind::Real:
        v.Real = c.Real;
        break;
    case StoredValue::Kind::Text:
    case StoredValue::Kind::Blob:
        v.Bytes = QByteArrayView(c.Data, c.Size);
        break;
    case StoredValue::Kind::Null:
        break;
    }
    return v;
}

void OdbcResult::AddCellBlock() {
    FCells.push_back(Pool().Take(BlockSize));
}

void OdbcResult::AddBytes(StoredValue::Kind kind, QByteArrayView bytes) {
    Cell& c = NewCell(kind);
    c.Size = quint32(bytes.size());
    if (bytes.size() > BlockSize) {
        FLong.push_back(std::make_unique_for_overwrite<char[]>(size_t(bytes.size())));
        c.Data = std::copy(bytes.begin(), bytes.end(), FLong.back().get()) - bytes.size();
        return;
    }
    if (bytes.size() > FFreeSize) {
        FBytes.push_back(Pool().Take(BlockSize));
        FFree = FBytes.back().get();
        FFreeSize = BlockSize;
    }
    c.Data = FFree;
    FFree = std::copy(bytes.begin(), bytes.end(), FFree);
    FFreeSize -= bytes.size();
}

void OdbcResult::AddRow(const SqlStatement& statement) {
    for (int i = 0; i < FWidth; ++i) {
        const StepValue v = statement.ValueAt(i);
        switch (v.Kind) {
        case ColumnKind::Integer:
            NewCell(StoredValue::Kind::Integer).Integer = v.Integer;
            break;
        case ColumnKind::Float:
            NewCell(StoredValue::Kind::Real).Real = v.Real;
            break;
        case ColumnKind::String:
            AddBytes(StoredValue::Kind::Text, v.Bytes);
            break;
        case ColumnKind::Blob:
            AddBytes(StoredValue::Kind::Blob, v.Bytes);
            break;
        default:
            NewCell(StoredValue::Kind::Null);
            break;
        }
    }
}

void OdbcResult::AddRow(const QList<QVariant>& values) {
    Q_ASSERT(values.size() == FWidth);
    for (const QVariant& v : values) {
        switch (v.isNull() ? QMetaType::UnknownType : v.typeId()) {
        case QMetaType::LongLong:
            NewCell(StoredValue::Kind::Integer).Integer = v.toLongLong();
            break;
        case QMetaType::Double:
            NewCell(StoredValue::Kind::Real).Real = v.toDouble();
            break;
        case QMetaType::QString:
            AddBytes(StoredValue::Kind::Text, v.toString().toUtf8());
            break;
        case QMetaType::QByteArray:
            AddBytes(StoredValue::Kind::Blob, v.toByteArray());
            break;
        default:
            NewCell(StoredValue::Kind::Null);
            break;
        }
    }
}
