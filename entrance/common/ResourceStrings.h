#pragma once

#include <QString>

namespace entrance {

// The management program's numbered texts: messages and file, table and value names that
// several screens share. An unknown number gives an empty text.
QString LoadStr(int id);

} // namespace entrance
