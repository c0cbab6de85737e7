#include "BlobStream.h"

namespace {
QByteArray BlobValue(TField* field, TBlobStreamMode mode) {
    if (mode == bmWrite)
        return {};
    QByteArray bytes;
    field->DataSet()->GetBlobFieldData(field->FieldNo(), bytes);
    return bytes;
}
} // namespace

TBlobStream::TBlobStream(TField* field, TBlobStreamMode mode)
    : TMemoryStream(BlobValue(field, mode)), FField(field) {
    if (mode == bmRead)
        return;
    const TDataSetState state = field->DataSet()->State();
    if (field->ReadOnly)
        DatabaseError(QString("Field '%1' cannot be modified").arg(field->DisplayLabel()),
                      field->DataSet());
    if (state != dsEdit && state != dsInsert && state != dsNewValue)
        DatabaseError("Dataset not in edit or insert mode", field->DataSet());
    // Writing replaces the value, even when nothing is written.
    FModified = mode == bmWrite;
}

TBlobStream::~TBlobStream() {
    if (!FModified)
        return;
    try {
        FField->SetData(Bytes());
        FField->Modified = true;
    } catch (...) {
        // A destructor cannot report; the field keeps its old value.
    }
}

int64_t TBlobStream::Write(const void* buffer, int64_t count) {
    FModified = true;
    return TMemoryStream::Write(buffer, count);
}
