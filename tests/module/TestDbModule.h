// "mod_Database" for tests that put the module in a client frame over a database of their own.
#pragma once

#include "host/client/RefCounted.h"
#include "module/host/Database.h"

namespace moduletest {

class TestDbModule final : public Client::RefCounted<IDbModule> {
public:
    explicit TestDbModule(IDatabase* db) : db_(db) {}
    bool getModuleInfo(ModuleInfo&) override { return true; }
    int32_t notify(int32_t, int32_t) override { return 0; }
    int32_t initialize(IApp*, XStringW&) override { return 0; }
    void uninitialize() override {}
    XComPtr<IDatabase> getDatabase() override { return db_; }

private:
    XComPtr<IDatabase> db_;
};

} // namespace moduletest
