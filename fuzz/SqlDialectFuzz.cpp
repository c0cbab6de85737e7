// SQL text as clients of the ODBC driver and the programs hand it to the dialect.
#include "storage/Dialect.h"
#include "storage/SqlError.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto kindOf = [](const QString&, const QString& column) {
        return column.contains("日") ? ColumnKind::DateTime : ColumnKind::Unknown;
    };
    for (const SqlTextForm form : {SqlTextForm::Statements, SqlTextForm::OneStatement}) {
        try {
            QStringList parameters;
            for (DialectStatement& statement : SqlDialect::Translate(sql, parameters, form)) {
                SqlDialect::LiftValues(statement, int(parameters.size()) + 1);
                SqlDialect::WrapDateValues(statement, kindOf);
                SqlDialect::UseDateRanges(statement, kindOf);
                SqlDialect::SelectListKinds(statement, kindOf);
                statement.Text("t");
            }
        } catch (const ESqlError&) {
            // A syntax error the dialect reports; what matters here is that nothing breaks.
        }
    }
    return 0;
}
