#pragma once

#include <QIcon>

namespace entrance {

// The management program's icon: a blue door with the white character "入".
QIcon EntranceIcon();

// What makes the program look Japanese beyond its own texts: Qt's own dialogs and buttons
// ("キャンセル", "ファイル名") in Japanese, and the program's icon on every window. True when
// Qt's Japanese translations were found.
bool SetProgramLook();

} // namespace entrance
