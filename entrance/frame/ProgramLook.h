#pragma once

#include <QIcon>

namespace entrance {

// The management program's icon: a blue door with the white character "入".
QIcon EntranceIcon();

// The program's icon on every window, and Qt's own texts and the dates in Japanese
// (UseJapanese). True when Qt's Japanese translations were found.
bool SetProgramLook();

} // namespace entrance
