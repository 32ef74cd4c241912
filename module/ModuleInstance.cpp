// The library's one export. The module object is created on the first call and destroyed when
// the library is unloaded.
#include "module/AssembleFinanceModuleImpl.h"

extern "C" __declspec(dllexport) IAssembleFinanceModule* ModuleInstance() {
    static AssembleFinanceModuleImpl instance;
    return &instance;
}
