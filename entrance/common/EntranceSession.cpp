#include "EntranceSession.h"

namespace entrance {

namespace {

TEntranceSession* Current = nullptr;

} // namespace

TEntranceSession::TEntranceSession() : FOuter(Current) {
    Current = this;
}

TEntranceSession::~TEntranceSession() {
    Current = FOuter;
}

TEntranceSession& EntranceSession() {
    Q_ASSERT(Current);
    return *Current;
}

} // namespace entrance
