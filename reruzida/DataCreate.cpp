#include "DataCreate.h"

#include "dbengine/Query.h"
#include "dbengine/Table.h"

namespace reruzida {

TDMCreate::TDMCreate() {
    tblNyuTaiLog = new TTable(this);
    tblNyuTaiLog->SetName("tblNyuTaiLog");
}

void TDMCreate::DataModuleCreate(const QString& dataFolder) {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* dataSet = dynamic_cast<TDBDataSet*>(Components(i)))
            dataSet->SetDatabaseName(dataFolder);
}

} // namespace reruzida
