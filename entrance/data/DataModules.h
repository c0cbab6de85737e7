#pragma once

#include <QString>

namespace entrance {

// Creates DM1 (running its creation handler) and then DM3 for the program's run, and frees
// them in reverse order, taking them out of the session.
class TDataModules {
public:
    explicit TDataModules(const QString& programFile);
    ~TDataModules();
    TDataModules(const TDataModules&) = delete;
    TDataModules& operator=(const TDataModules&) = delete;
};

} // namespace entrance
