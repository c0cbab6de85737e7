#pragma once

#include "db/FieldDefs.h"
#include "storage/Column.h"

#include <QVariant>

class SqlStatement;

// The field type of a column, and back; a column without a declared type takes the type of
// the value it holds.
TFieldType FieldTypeOfColumn(const ColumnInfo& column, const QVariant& sample);
ColumnKind ColumnKindOfField(TFieldType type);
// A value read from SQLite in the field type's own form (see TField).
QVariant ToFieldValue(TFieldType type, const QVariant& value);
// The statement's current value in a column, as ToFieldValue(type, statement.Value(index))
// gives it, read straight from the row where the value's kind needs no conversion between.
QVariant FieldValue(TFieldType type, const SqlStatement& statement, int index);
