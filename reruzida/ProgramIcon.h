#pragma once

#include <QIcon>

namespace reruzida {

// The communication program's icon: a lit unit lamp.
QIcon ProgramIcon();

} // namespace reruzida
