// The module object: one per process, handed to the host by ModuleInstance. It wires the page
// into the host's main frame, tab control, database, events and configuration.
#pragma once

#include "module/IAssembleFinanceModule.h"
#include "page/AssembleFinancePage.h"

class AssembleFinanceModuleImpl final : public IAssembleFinanceModule, public IPreMessageHandler {
public:
    static const char kModuleName[];
    static const wchar_t kModuleDescription[];
    static constexpr int32_t kModuleNumber = 5150;
    static constexpr int32_t kModuleVersion = 0x01000001;

    AssembleFinanceModuleImpl() = default;
    // Runs when the library is unloaded: the host's events must not call into it afterwards.
    ~AssembleFinanceModuleImpl();
    AssembleFinanceModuleImpl(const AssembleFinanceModuleImpl&) = delete;
    AssembleFinanceModuleImpl& operator=(const AssembleFinanceModuleImpl&) = delete;

    // The object lives as long as the library: no reference counting on either base.
    int addRef() override { return 1; }
    int release() override { return 1; }

    bool getModuleInfo(ModuleInfo& info) override;
    int32_t notify(int32_t code, int32_t value) override;
    int32_t initialize(IApp* app, XStringW& error) override;
    void uninitialize() override;
    XComPtr<Data::IDataTable> getDataTable() override;
    bool selectByCode(const wchar_t* code) override;
    void refresh() override;

    bool preTranslateMessage(const MSG& msg) override;

    AssembleFinancePage& getPage() { return page; }

private:
    static void onThemeChanged(void* argument, void* context);
    static void onCommand(void* argument, void* context);
    void activatePage();

    AssembleFinancePage page;
    XComPtr<IMainFrameModule> mainFrame;
};
