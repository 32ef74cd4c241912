// The host module "mod_Database": hands out the client's one database.
#pragma once

#include <atomic>
#include "Database.h"

class DbModule final : public IDbModule {
public:
    explicit DbModule(XComPtr<IDatabase> database);

    int addRef() override;
    int release() override;
    bool getModuleInfo(ModuleInfo& info) override;
    int32_t notify(int32_t code, int32_t value) override;
    int32_t initialize(IApp* app, XStringW& error) override;
    void uninitialize() override;
    XComPtr<IDatabase> getDatabase() override;

private:
    ~DbModule() = default;

    std::atomic<int> refs_{1};
    XComPtr<IDatabase> database_;
};
