#include "ODBCAPI.h"

#include <dlfcn.h>

namespace {

TODBCCLI* DefaultCLI = nullptr;

// Frees the default binding at program end when no query freed it before.
struct TDefaultCLIKeeper {
    ~TDefaultCLIKeeper() { delete DefaultCLI; }
} DefaultCLIKeeper;

} // namespace

void RaiseODBCAPIError(const QString& text) {
    throw EODBCAPIError(text);
}

TODBCCLI::TODBCCLI(const QString& LibraryName) {
    // Kept loaded once loaded: a query connecting anew would otherwise load and relocate the
    // driver manager again each time.
    FModule = dlopen(LibraryName.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!FModule)
        RaiseODBCAPIError("Library " + LibraryName + " not found.");
    if (!DefaultCLI)
        DefaultCLI = this;
}

TODBCCLI::~TODBCCLI() {
    if (DefaultCLI == this)
        DefaultCLI = nullptr;
    if (FModule)
        dlclose(FModule);
}

TODBCCLI* TODBCCLI::Default() {
    return DefaultCLI;
}

void* TODBCCLI::ResolveProc(TProc slot, const char* name) {
    if (!FProcs[slot])
        FProcs[slot] = dlsym(FModule, name);
    if (!FProcs[slot])
        RaiseODBCAPIError(QString("ProcAddress not found. (%1)").arg(name));
    return FProcs[slot];
}
