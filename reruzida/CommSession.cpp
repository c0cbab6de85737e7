#include "CommSession.h"

#include "DataCreate.h"
#include "DataModule1.h"

namespace reruzida {

namespace {

TCommSession* Current = nullptr;

} // namespace

TCommSession::TCommSession() : FOuter(Current) {
    Current = this;
}

TCommSession::~TCommSession() {
    Current = FOuter;
}

TCommSession& CommSession() {
    Q_ASSERT(Current);
    return *Current;
}

} // namespace reruzida
