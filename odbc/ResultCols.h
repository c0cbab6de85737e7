#pragma once

#include <QString>
#include <sql.h>
#include <sqlext.h>
#include <vector>

// One column of a result as the driver describes it, with its place in the row buffer.
struct TResultCol {
    QString Name;
    // The name the dataset gave the column where it had to differ; empty otherwise.
    QString FieldName;
    int Size = 0;
    int Offset = 0;
    int Precision = 0;
    int Scale = 0;
    SQLSMALLINT SQLType = 0;
    bool AutoIncrement = false;
    bool Money = false;
    bool Nullable = true;
    bool Numeric = false;
    bool Unsigned = false;
    bool Updatable = true;

    QString DisplayName() const { return FieldName.isEmpty() ? Name : FieldName; }
};

// The columns of a result, numbered from 1.
class TResultCols {
public:
    explicit TResultCols(bool wcharMapsChar) : FWCharMapsChar(wcharMapsChar) {}

    int Count() const { return int(FItems.size()); }
    // Read for every field value, so the check is inline and only its error is not.
    TResultCol& Items(int number) { return FItems[CheckedIndex(number)]; }
    const TResultCol& Items(int number) const { return FItems[CheckedIndex(number)]; }
    // The number of the column whose display name is `name`.
    int IndexOf(const QString& name) const;
    TResultCol& ByName(const QString& name) { return Items(IndexOf(name)); }
    // The value characters the column holds, without its terminator room.
    int DataLength(int number) const;
    TResultCol& Add();

private:
    size_t CheckedIndex(int number) const {
        if (number < 1 || number > Count())
            RaiseInvalidNumber(number);
        return size_t(number - 1);
    }
    [[noreturn]] static void RaiseInvalidNumber(int number);

    bool FWCharMapsChar;
    std::vector<TResultCol> FItems;
};

// A type whose value gets one byte of room for its terminating zero.
bool IsZeroTerminatedType(SQLSMALLINT type);
