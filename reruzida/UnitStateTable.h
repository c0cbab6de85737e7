#pragma once

#include "reruzida/CommThread.h"

#include <QString>
#include <memory>

class SqlConnection;

namespace reruzida {

// The protocol thread's two statements on entranceState, on a connection of its own to
// the data folder, so they never meet the window thread's datasets. The connection opens
// on first use, on the thread that runs the statements.
class TUnitStateTable : public TUnitStateWriter {
public:
    explicit TUnitStateTable(const QString& dataFolder);
    ~TUnitStateTable() override;

    void StopAllUnits() override;
    void UnitFound(int unitId) override;

private:
    SqlConnection& Connection();

    const QString FDataFolder;
    std::unique_ptr<SqlConnection> FConnection;
};

} // namespace reruzida
