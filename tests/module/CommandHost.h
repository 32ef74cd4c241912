// The module in the client's real main frame with the client's real host modules (menu tool,
// watched list, funds pool, chart), over the page tests' small database; the watched list is
// wrapped to count the calls the grid makes. Also: a stand-in browser that records the
// addresses the shell is asked to open.
#pragma once

#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "host/client/HostModules.h"
#include "host/client/MainFrame.h"
#include "module/AssembleFinanceModuleImpl.h"
#include "tests/page/PageTestHost.h"

namespace commandtest {

class CountingConcern final : public Client::RefCounted<IConcernFundModule> {
public:
    explicit CountingConcern(Conf::IConfManager* store) : inner_(new Client::ConcernFundModule(store)) {}
    bool getModuleInfo(ModuleInfo& info) override { return inner_->getModuleInfo(info); }
    int32_t notify(int32_t code, int32_t value) override { return inner_->notify(code, value); }
    int32_t initialize(IApp* app, XStringW& error) override { return inner_->initialize(app, error); }
    void uninitialize() override { inner_->uninitialize(); }
    bool isWatched(const XStringW& code) override { return inner_->isWatched(code); }
    void addWatched(const XStringW& code) override {
        ++adds;
        inner_->addWatched(code);
    }
    void removeWatched(const XStringW& code) override {
        ++removes;
        inner_->removeWatched(code);
    }
    bool has(const wchar_t* code) const { return inner_->list().contains(code); }
    int adds = 0;
    int removes = 0;

private:
    XComPtr<Client::ConcernFundModule> inner_;
};

class CommandHost {
public:
    // extraSql is run on the page tests' database (more products).
    explicit CommandHost(const char* extraSql = "", int width = 1100);
    // Over another database file (a generated sample).
    CommandHost(const std::wstring& databaseFile, int width);
    ~CommandHost();

    void start();
    AssembleFinancePage& page() { return module->getPage(); }
    AssembleFinanceGrid& grid() { return page().productGrid(); }
    HWND gridWindow() { return grid().GetHwnd(); }
    // Selects the displayed row of that code; false when none shows it.
    bool select(const wchar_t* code);
    // A right click on the selected row, as the user makes it; the menu is answered by answers.
    void rightClickSelected();
    // Sets a system configuration value (empty path removes nothing).
    void setSystem(const wchar_t* path, const wchar_t* value);

    XComPtr<pagetest::CountingDatabase> database;
    XComPtr<Client::ClientApp> app;
    XComPtr<Client::MainFrame> frame;
    XComPtr<Client::MenuToolModule> menuTool;
    XComPtr<CountingConcern> watched;
    XComPtr<Client::FundsPoolModule> fundsPool;
    XComPtr<Client::ChartModule> chart;
    std::unique_ptr<AssembleFinanceModuleImpl> module = std::make_unique<AssembleFinanceModuleImpl>();
};

// While it lives, the shell's "open" of http and https addresses runs url_recorder.exe, which
// writes the address to a log; the previous commands come back afterwards.
class BrowserRecorder {
public:
    BrowserRecorder();
    ~BrowserRecorder();
    // Waits (up to a few seconds) until the log holds count addresses, then returns all it holds.
    std::vector<std::wstring> addresses(size_t count);

private:
    std::wstring log_;
    std::vector<std::pair<std::wstring, std::wstring>> saved_; // protocol, previous command or empty
};

// A unique scratch path for a test file.
std::wstring scratch(const wchar_t* name);
std::string readBytes(const std::wstring& path);

} // namespace commandtest
