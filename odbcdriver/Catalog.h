#pragma once

#include "Handles.h"

// The catalog calls' results over the storage layer's tables and columns.
namespace Catalog {
std::unique_ptr<OdbcResult> Tables(SqlConnection& db, const QString& table, const QString& types);
std::unique_ptr<OdbcResult> Columns(SqlConnection& db, const QString& table, const QString& column);
std::unique_ptr<OdbcResult> Statistics(SqlConnection& db, const QString& table);
std::unique_ptr<OdbcResult> PrimaryKeys(SqlConnection& db, const QString& table);
std::unique_ptr<OdbcResult> TypeInfo(SQLSMALLINT type);
std::unique_ptr<OdbcResult> Procedures();
std::unique_ptr<OdbcResult> ProcedureColumns();
} // namespace Catalog
