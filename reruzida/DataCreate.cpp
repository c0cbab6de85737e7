#include "DataCreate.h"

#include "DataModule1.h"

#include "dbengine/Query.h"
#include "dbengine/Table.h"

namespace reruzida {

TDMCreate::TDMCreate() {
    tblNyuTaiLog = new TTable(this);
    tblNyuTaiLog->SetName("tblNyuTaiLog");
}

void TDMCreate::DataModuleCreate() {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* dataSet = dynamic_cast<TDBDataSet*>(Components(i)))
            dataSet->SetDatabaseName(DataFolder());
}

} // namespace reruzida
