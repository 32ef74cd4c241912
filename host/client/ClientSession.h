// One run of the client: the services, the main frame, the host modules, the plug-in module, the
// simulated data feed, the menu commands and the one-shot actions of the command line.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "ClientApp.h"
#include "ClientOptions.h"
#include "Database.h"
#include "HostModules.h"
#include "ImportCommand.h"
#include "MainFrame.h"
#include "ModuleLoader.h"

namespace Client {

class ClientSession {
public:
    enum Command {
        CmdExit = 100,
        CmdValueUpdate = 200,
        CmdBuyRedeemUpdate = 201,
        CmdImport = 202,
        CmdSwitchTheme = 300,
        CmdFundsPool = 400,
        CmdConcernList = 401,
        CmdHotKeyFirst = 410, // one item per binding, in MenuToolModule::Which order
    };
    enum Timer : UINT_PTR {
        TimerDataFeed = 1,
        TimerExit = 4,
    };

    explicit ClientSession(ClientOptions options);
    ~ClientSession();

    // Builds everything and shows the window; false when the frame itself could not be made.
    bool start();
    // Runs the message loop until the window closes; then uninitialises the modules.
    int run();
    void shutdown();

    ClientApp* app() const { return app_.get(); }
    MainFrame* frame() const { return frame_.get(); }
    const LoadedModule& module() const { return module_; }
    // What the run did, line by line, for the console and the status line.
    const std::vector<std::wstring>& summary() const { return summary_; }

    // The menu commands, callable directly.
    void raiseValueUpdate();
    void raiseBuyRedeemUpdate();
    void switchTheme();
    bool applyEndDate(const std::wstring& isoDate);
    // 数据 → 导入数据…: the file dialog, the import with its progress window, the result message;
    // the page and the client's windows reload when the import changed the database.
    void importThroughMenu();
    // The import of these files, as the menu runs it after its dialog (with the result message)
    // and --import before the page loads (quiet: the summary only).
    ImportReport importFiles(const std::vector<ImportRequest>& files, bool quiet);
    // --export: the grid's export command on the shown page, as a user runs it.
    bool exportGrid();
    // The date in the shown page's picker as "YYYY-MM-DD", or "" without one.
    std::wstring pickedDate() const;

    // The client's own modules, for the menu and the tests.
    MenuToolModule* menuTool() const { return menuTool_.get(); }
    ConcernFundModule* concernFund() const { return concern_.get(); }
    FundsPoolModule* fundsPool() const { return pool_.get(); }
    ChartModule* chart() const { return chart_.get(); }

    // The --keyword and --filter steps, through the page's filter bar; false when one failed.
    bool applyFilters();
    // --chart: the product's chart as the page would open it, in the range of --chart-range,
    // and its figures into --chart-stats.
    bool openChart();

private:
    void onCommand(int id);
    void onTimer(UINT_PTR id);
    bool runNextStep();
    // Lets what was drawn reach the screen before a screenshot reads it back.
    void settleOnScreen();
    static constexpr DWORD kSettleMs = 300;
    void takeSnapshot();
    void note(const std::wstring& line);
    std::wstring programDir() const;

    ClientOptions options_;
    XComPtr<ClientApp> app_;
    XComPtr<MainFrame> frame_;
    XComPtr<IDbModule> database_;
    LoadedModule module_;
    XComPtr<MenuToolModule> menuTool_;
    XComPtr<ConcernFundModule> concern_;
    XComPtr<FundsPoolModule> pool_;
    XComPtr<ChartModule> chart_;
    std::vector<std::wstring> summary_;
    bool shutDown_ = false;
    bool endDatePending_ = false;
    bool snapshotPending_ = false;
    bool filtersPending_ = false;
    bool chartPending_ = false;
    bool filtering_ = false; // inside the bar's menus and dialog, which run modal loops
};

// The summary as UTF-8 on the process's standard output (when it has one).
void writeConsole(const std::wstring& text);

} // namespace Client
