#pragma once

#include "protocol/CommRequests.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace entrance {

// The person-by-unit matrix's rules that need no window: column c stands for the unit whose
// ID is c.

// One column for each unit a line can carry.
inline constexpr int MatrixColumns = MaxUnitId;

// The legend item of a unit: its ID right-aligned in two characters, ":" and its name.
QString MatrixLegendText(int unitID, const QString& name);
// The caption of each column: its number when a unit has that ID, else empty. Unit IDs may
// have gaps, so a column after a missing unit still keeps its caption.
QStringList MatrixCaptions(const QList<int>& unitIDs);
// A person's row: "◆" in each captioned column whose unit the person may use, else empty.
QStringList MatrixRowCells(const QStringList& captions, const QList<int>& personUnits);

} // namespace entrance
