#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <sql.h>
#include <vector>

class SqlStatement;

// A value of a result as the conversions read it: Null, a whole or a real number, UTF-8 text
// or binary bytes. Bytes stay valid as long as the result that gave them.
struct StoredValue {
    enum class Kind : quint8 { Null, Integer, Real, Text, Blob };
    Kind Type = Kind::Null;
    qint64 Integer = 0;
    double Real = 0;
    QByteArrayView Bytes;

    static StoredValue Whole(qint64 n) { return StoredValue{Kind::Integer, n, 0, {}}; }
    bool IsNull() const { return Type == Kind::Null; }
    // The same value as a QVariant (qlonglong, double, QString or QByteArray).
    QVariant ToVariant() const;
};

// A described result column.
struct OdbcColumn {
    QString Name;
    QString Table;
    QString BaseName;
    SQLSMALLINT SqlType = SQL_VARCHAR;
    SQLULEN Size = 255;  // characters or digits
    SQLLEN Octets = 255; // bytes the value can take
    SQLSMALLINT Scale = 0;
    bool Nullable = true;
    bool AutoIncrement = false;
    bool Updatable = true;
};

// The rows of a result, read all at once. Each value is one small cell; texts and bytes are
// kept as they came and converted only when a client fetches them. Cells and bytes live in
// blocks that never move, so a growing result copies nothing.
class OdbcResult {
public:
    explicit OdbcResult(int width) : FWidth(width) {}
    ~OdbcResult();
    OdbcResult(const OdbcResult&) = delete;
    OdbcResult& operator=(const OdbcResult&) = delete;

    QList<OdbcColumn> Columns;

    int64_t RowCount() const { return FWidth == 0 ? 0 : FCount / FWidth; }
    // The value of a column (from 0) of a row (from 1).
    StoredValue Value(int64_t row, int column) const;

    // Appends the statement's current row.
    void AddRow(const SqlStatement& statement);
    // Appends a row of values (Null, qlonglong, double, QString, QByteArray), one a column.
    void AddRow(const QList<QVariant>& values);

private:
    struct Cell {
        union {
            qint64 Integer;
            double Real;
            const char* Data; // text or bytes, in a block of FBytes
        };
        quint32 Size;
        StoredValue::Kind Type;
    };
    static constexpr qsizetype BlockSize = 16384;
    static constexpr int64_t BlockCells = BlockSize / qsizetype(sizeof(Cell));
    // The next cell, of that kind; its value is the caller's to write.
    Cell& NewCell(StoredValue::Kind kind) {
        if (FCount % BlockCells == 0)
            AddCellBlock();
        Cell& c = reinterpret_cast<Cell*>(FCells.back().get())[FCount++ % BlockCells];
        c.Type = kind;
        return c;
    }
    void AddCellBlock();
    void AddBytes(StoredValue::Kind kind, QByteArrayView bytes);

    int FWidth;
    int64_t FCount = 0;
    std::vector<std::unique_ptr<char[]>> FCells; // blocks of BlockCells cells
    std::vector<std::unique_ptr<char[]>> FBytes; // blocks of BlockSize bytes
    std::vector<std::unique_ptr<char[]>> FLong;  // blocks of a value longer than BlockSize
    char* FFree = nullptr;                       // the unused end of the last block of bytes
    qsizetype FFreeSize = 0;
};
