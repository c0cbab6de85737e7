#pragma once

#include "base/Component.h"

#include <QString>

class TTable;

namespace reruzida {

// The second data module: the table through which monthly log tables are created.
class TDMCreate : public TComponent {
public:
    TDMCreate();
    // Every query and table of the module on `dataFolder`.
    void DataModuleCreate(const QString& dataFolder);

    TTable* tblNyuTaiLog;
};

} // namespace reruzida
