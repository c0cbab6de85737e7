#pragma once

#include "base/Component.h"

class TQuery;

namespace entrance {

// The management program's third data module: the queries of the person and unit lists.
class TDM3 : public TComponent {
public:
    TDM3();
    ~TDM3() override;

    TQuery* sqlUsers;         // on "RORazu"
    TQuery* sqlEntrance;      // on the database of DM1->DB2, set per use
    TQuery* sqlPrintEntGroup; // on "RORazu"
};

} // namespace entrance
