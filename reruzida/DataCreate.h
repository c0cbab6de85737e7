#pragma once

#include "base/Component.h"

class TTable;

namespace reruzida {

// The second data module: the table through which monthly log tables are created.
class TDMCreate : public TComponent {
public:
    TDMCreate();
    // Every query and table of the module on the data folder.
    void DataModuleCreate();

    TTable* tblNyuTaiLog;
};

} // namespace reruzida
