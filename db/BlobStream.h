#pragma once

#include "base/Stream.h"
#include "db/DataSet.h"

#include <QByteArray>

// A stream over the value of a blob field of a dataset's active record. Writing modes need
// the dataset in edit or insert state; the written bytes become the field's value when the
// stream goes.
class TBlobStream : public TMemoryStream {
public:
    TBlobStream(TField* field, TBlobStreamMode mode);
    ~TBlobStream() override;

    int64_t Write(const void* buffer, int64_t count) override;

private:
    TField* FField;
    bool FModified = false;
};
