#include "DbModule.h"

#include <utility>

DbModule::DbModule(XComPtr<IDatabase> database) : database_(std::move(database)) {}

int DbModule::addRef() {
    return ++refs_;
}

int DbModule::release() {
    const int left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

bool DbModule::getModuleInfo(ModuleInfo& info) {
    info.name = "mod_Database";
    info.description = L"本地数据库模块";
    info.moduleNumber = 0;
    info.moduleVersion = 0x01000000;
    return true;
}

int32_t DbModule::notify(int32_t, int32_t) {
    return 0;
}

// The database is opened when the module is made, so a missing file is reported by isOpen
// rather than by a failed start of the client.
int32_t DbModule::initialize(IApp*, XStringW&) {
    return 0;
}

void DbModule::uninitialize() {}

XComPtr<IDatabase> DbModule::getDatabase() {
    return database_;
}
