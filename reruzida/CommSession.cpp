#include "CommSession.h"

#include "DataCreate.h"
#include "DataModule1.h"

namespace reruzida {

// Here, where the data modules are whole.
TCommSession::TCommSession() = default;
TCommSession::~TCommSession() = default;

} // namespace reruzida
