#include "UnitStateTable.h"

#include "storage/Connection.h"

#include <QStringList>

namespace reruzida {

TUnitStateTable::TUnitStateTable(const QString& dataFolder) : FDataFolder(dataFolder) {}

TUnitStateTable::~TUnitStateTable() = default;

SqlConnection& TUnitStateTable::Connection() {
    if (!FConnection)
        FConnection = SqlConnection::OpenFolder(FDataFolder);
    return *FConnection;
}

void TUnitStateTable::StopAllUnits() {
    Connection().Execute("UPDATE entranceState SET 作動状況=False");
}

void TUnitStateTable::UnitFound(int unitId) {
    const QString id = QString::number(unitId);
    auto found = Connection().Prepare(
        QStringList{"SELECT 認証機ID FROM entranceState", "WHERE 認証機ID=" + id}.join('\n'));
    const bool exists = found->Step();
    found.reset();
    if (!exists)
        Connection().Execute(QStringList{
            "INSERT INTO entranceState", "(認証機ID, 認証機名, 認証機種別, 作動状況)", "Values",
            "(" + id + "," + "'" + "認証機" + id + "'" + "," + "Null" + "," + "True" + ")"}
                                 .join('\n'));
    else
        Connection().Execute(
            QStringList{"UPDATE entranceState SET 作動状況=True", "WHERE 認証機ID=" + id}.join(
                '\n'));
}

} // namespace reruzida
