#pragma once

#include <QIcon>

// The communication program's icon: a lit unit lamp.
QIcon ProgramIcon();
