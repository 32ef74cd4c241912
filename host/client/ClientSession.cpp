#include "ClientSession.h"

#include <commctrl.h>
#include <cwchar>
#include "ClientDatabase.h"
#include "ClientServices.h"
#include "DatePickerDriver.h"
#include "FilterBarDriver.h"
#include "GridExportDriver.h"
#include "Kernel.h"
#include "HostServices.h"
#include "HotKeyText.h"
#include "OutputFile.h"
#include "ProductTableDump.h"
#include "Screenshot.h"
#include "ShippedConfiguration.h"
#include "WindowPlace.h"

namespace Client {

void writeConsole(const std::wstring& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE)
        return;
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &s[0], n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(out, s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

ClientSession::ClientSession(ClientOptions options) : options_(std::move(options)) {}

ClientSession::~ClientSession() {
    shutdown();
}

std::wstring ClientSession::programDir() const {
    return programDirectory();
}

void ClientSession::note(const std::wstring& line) {
    summary_.push_back(line);
    if (frame_)
        frame_->setStatus(line);
}

bool ClientSession::start() {
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);

    std::wstring dir = programDir();
    if (options_.profileDir.empty())
        options_.profileDir = dir + L"\\profile";
    if (options_.databasePath.empty())
        options_.databasePath = dir + L"\\sample.db";
    if (options_.modulePath.empty())
        options_.modulePath = L"mod_AssembleFinance.dll";
    CreateDirectoryW(options_.profileDir.c_str(), nullptr);
    std::wstring shipped;
    installShippedConfiguration(options_.profileDir, dir, shipped);
    if (!shipped.empty())
        note(shipped);

    app_ = XComPtr<ClientApp>(new ClientApp());
    HostServices services = createHostServices(options_.profileDir, dir);
    app_->setConfManagers(services.systemConf, services.userConf);
    app_->setThemeManager(services.themeMgr);
    WindowPlaces::setStore(services.userConf.get());
    for (const std::wstring& m : services.notes)
        note(m);
    // The host's events exist before any module starts, so modules that look them up (rather
    // than create them) can subscribe while they initialise.
    for (const char* name : {"event_theme_changed", "event_update_lastvalue", "event_update_buyredeemstate",
                             "event_ConcernChanged"})
        createEvent(name);

    Conf::IConfManager* user = services.userConf.get();
    menuTool_ = XComPtr<MenuToolModule>(new MenuToolModule());
    for (const std::wstring& m : menuTool_->loadBindings(services.systemConf.get()))
        note(m);
    concern_ = XComPtr<ConcernFundModule>(new ConcernFundModule(user));
    pool_ = XComPtr<FundsPoolModule>(new FundsPoolModule(user));
    chart_ = XComPtr<ChartModule>(new ChartModule());
    for (const std::wstring& m : chart_->loadRiskFreeRate(services.systemConf.get()))
        note(m);

    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu(), data = CreatePopupMenu(), view = CreatePopupMenu(),
          tools = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, CmdExit, L"退出(&X)");
    AppendMenuW(data, MF_STRING, CmdValueUpdate, L"净值更新(&U)");
    AppendMenuW(data, MF_STRING, CmdBuyRedeemUpdate, L"申购赎回状态更新(&B)");
    AppendMenuW(data, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(data, MF_STRING, CmdImport, L"导入数据…");
    AppendMenuW(view, MF_STRING, CmdSwitchTheme, L"切换主题(&T)");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"文件(&F)");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(data), L"数据(&D)");
    AppendMenuW(tools, MF_STRING, CmdFundsPool, L"基金池(&P)");
    AppendMenuW(tools, MF_STRING, CmdConcernList, L"自选基金(&W)");
    AppendMenuW(tools, MF_SEPARATOR, 0, nullptr);
    // The bindings act on the product page; the menu shows them, greyed, as a reminder.
    for (int i = 0; i < MenuToolModule::kBindingCount; ++i) {
        auto which = static_cast<MenuToolModule::Which>(i);
        std::wstring item =
            std::wstring(MenuToolModule::bindingTitle(which)) + L"\t" + hotKeyText(menuTool_->hotKey(which));
        AppendMenuW(tools, MF_STRING | MF_GRAYED, CmdHotKeyFirst + i, item.c_str());
    }
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"视图(&V)");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), L"工具(&T)");

    frame_ = XComPtr<MainFrame>(new MainFrame());
    if (!frame_->create(L"基金客户端", menu)) {
        DestroyMenu(menu);
        note(L"cannot create the main window");
        return false;
    }
    frame_->setWarning(services.warning);
    frame_->setCommandHandler([this](int id) { onCommand(id); });
    frame_->setTimerHandler([this](UINT_PTR id) { onTimer(id); });

    app_->setKeyRoot(frame_->hwnd());
    app_->addModule("mod_MainFrame", frame_.get());
    app_->addModule("mod_MenuTool", menuTool_.get());
    app_->addModule("mod_ConcernFund", concern_.get());
    app_->addModule("mod_FundsPool", pool_.get());
    app_->addModule("mod_Chart", chart_.get());
    chart_->setThemeManager(services.themeMgr.get());
    chart_->setOwner(frame_->hwnd());
    chart_->setPickedDateSource([this] { return pickedDate(); });
    // The lists open a product's chart as the page does, and add products to its comparison.
    auto openChart = [this](const std::wstring& code) { chart_->showChart(code.c_str(), 0, nullptr, 0); };
    auto compare = [this](const std::wstring& code) { chart_->addToCompare(code); };
    concern_->window().setChartActions(openChart, compare);
    pool_->window().setChartActions(openChart, compare);

    // Shown before the database: making the sample, or adding the history index to a large
    // database made before it, takes a while once, and the window says what it waits for.
    ShowWindow(frame_->hwnd(), SW_SHOWNORMAL);
    UpdateWindow(frame_->hwnd());
    std::wstring dbMessage;
    // Someone bringing their own data wants it alone: a missing database is then made by the
    // import, not filled with sample products first.
    if (GetFileAttributesW(options_.databasePath.c_str()) == INVALID_FILE_ATTRIBUTES &&
        options_.imports.empty()) {
        frame_->setStatus(L"正在生成示例数据库…");
        UpdateWindow(frame_->statusBar());
        generateSampleDatabase(options_.databasePath, dir, dbMessage);
        note(dbMessage);
    }
    if (!options_.imports.empty())
        importFiles(importRequests(options_.imports), true);
    frame_->setStatus(L"正在打开数据库（旧数据库首次建立净值索引可能需要几分钟）…");
    UpdateWindow(frame_->statusBar());
    database_ = openDatabaseModule(options_.databasePath, dbMessage);
    if (database_) {
        app_->addModule("mod_Database", XComPtr<IModule>(database_));
        // No export or dump through "File.File" may take the open database's place.
        holdFile(options_.databasePath.c_str());
    }
    note(dbMessage);
    XComPtr<IDatabase> db = database_ ? database_->getDatabase() : nullptr;
    chart_->setDatabase(db.get());
    concern_->setDatabase(db.get());
    pool_->setDatabase(db.get());

    module_ = loadModule(options_.modulePath, app_.get());
    // Other modules find a loaded module by its name, as they find the host's own.
    if (module_.ok() && !module_.name.empty())
        app_->addModule(module_.name.c_str(), module_.module);
    if (module_.ok())
        note(L"module " + std::wstring(module_.name.begin(), module_.name.end()) + L" loaded");
    else
        note(L"module not loaded: " + module_.message);
    if (TabControl* tab = frame_->tabControl()) {
        tab->start();
        std::wstring pages = L"pages: " + std::to_wstring(tab->pageCount());
        for (int i = 0; i < tab->pageCount(); ++i)
            pages += (i ? L", " : L" ") + std::wstring(tab->page(i)->getTitle().c_str());
        summary_.push_back(pages);
    }

    SetTimer(frame_->hwnd(), TimerDataFeed, options_.dataFeedDelayMs, nullptr);
    // The command line's steps run in this order, each once the client has nothing left to do
    // from the one before: the page has loaded and painted what it was told.
    endDatePending_ = !options_.endDate.empty();
    filtersPending_ = !options_.filterSteps.empty();
    // The chart after the end date and the filters: it reads the page's date.
    chartPending_ = !options_.chartCode.empty();
    // A run that asks for the chart's figures ends once they are written, as one for a file does.
    snapshotPending_ = !options_.screenshotPath.empty() || !options_.dumpPath.empty() ||
                       !options_.exportPath.empty() || !options_.chartStatsPath.empty();
    app_->setIdleHandler([this] { return runNextStep(); });
    if (options_.exitAfterSeconds > 0)
        SetTimer(frame_->hwnd(), TimerExit, static_cast<UINT>(options_.exitAfterSeconds * 1000), nullptr);
    return true;
}

int ClientSession::run() {
    int code = app_->run();
    shutdown();
    return code;
}

void ClientSession::shutdown() {
    if (shutDown_ || !app_)
        return;
    shutDown_ = true;
    // Modules first: they may still hold pages inside the frame's tab control.
    if (module_.module) {
        try {
            module_.module->uninitialize();
        } catch (...) {
        }
    }
    if (frame_)
        frame_->uninitialize();
    if (database_) {
        database_->uninitialize();
        releaseFile(options_.databasePath.c_str());
    }
    app_->clear();
    WindowPlaces::setStore(nullptr);
    chart_ = nullptr;
    pool_ = nullptr;
    concern_ = nullptr;
    menuTool_ = nullptr;
    database_ = nullptr;
    frame_ = nullptr;
}

void ClientSession::raiseValueUpdate() {
    // Kind 11: new net values; state 1 with the flag set: the feed finished and data changed.
    UpdateEventArg arg;
    arg.kind = 11;
    arg.state = 1;
    arg.flag = 1;
    if (XComPtr<IEvent> e = createEvent("event_update_lastvalue"))
        e->raise(&arg);
}

void ClientSession::raiseBuyRedeemUpdate() {
    UpdateEventArg arg;
    arg.kind = 0;
    arg.state = 1;
    arg.flag = 1;
    if (XComPtr<IEvent> e = createEvent("event_update_buyredeemstate"))
        e->raise(&arg);
}

void ClientSession::switchTheme() {
    XComPtr<IThemeMgr> mgr = app_ ? app_->getThemeManager() : nullptr;
    if (!mgr || mgr->themeCount() < 2)
        return;
    XComPtr<ITheme> current = mgr->getCurrentTheme();
    int index = 0;
    for (int i = 0; i < mgr->themeCount(); ++i)
        if (current && mgr->getTheme(i).get() == current.get())
            index = i;
    XComPtr<ITheme> next = mgr->getTheme((index + 1) % mgr->themeCount());
    if (!next || !mgr->setCurrentTheme(next->getName().c_str()))
        return;
    // The theme manager raises "event_theme_changed" with the new theme itself.
    note(L"theme: " + std::wstring(next->getName().c_str()));
}

std::wstring ClientSession::pickedDate() const {
    TabControl* tab = frame_ ? frame_->tabControl() : nullptr;
    HWND picker = findDatePicker(tab ? tab->pageWindow(tab->selectedIndex()) : nullptr);
    SYSTEMTIME st{};
    if (!picker || SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        return L"";
    wchar_t text[16];
    swprintf(text, 16, L"%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    return text;
}

bool ClientSession::applyEndDate(const std::wstring& isoDate) {
    int y, m, d;
    if (!parseIsoDate(isoDate, y, m, d))
        return false;
    TabControl* tab = frame_ ? frame_->tabControl() : nullptr;
    // The page on show owns the picker the user would use.
    HWND root = tab ? tab->pageWindow(tab->selectedIndex()) : nullptr;
    switch (setPickerDate(findDatePicker(root), y, m, d)) {
    case PickerResult::Set:
        note(L"end date set to " + isoDate);
        return true;
    case PickerResult::NoPicker:
        note(L"no date picker on the page; end date not set");
        return false;
    case PickerResult::Refused:
        break;
    }
    note(L"end date not set: the date picker does not take " + isoDate);
    return false;
}

bool ClientSession::applyFilters() {
    filtersPending_ = false;
    TabControl* tab = frame_ ? frame_->tabControl() : nullptr;
    HWND root = tab ? tab->pageWindow(tab->selectedIndex()) : nullptr;
    HWND bar = findFilterBar(root);
    if (!bar) {
        note(L"no filter bar on the page; filters not applied");
        return false;
    }
    bool all = true;
    filtering_ = true;
    for (const ClientOptions::FilterStep& step : options_.filterSteps) {
        Choice outcome = Choice::NoMenu;
        const bool ok = step.keyword ? enterKeywords(bar, step.text, &outcome)
                                     : chooseFilterValue(bar, step.column, step.text, &outcome);
        all = all && ok;
        const std::wstring what =
            step.keyword ? L"keywords \"" + step.text + L"\"" : L"filter " + step.column + L" = " + step.text;
        // The bar greys what would need a new condition once every condition id is taken.
        const wchar_t* why = outcome == Choice::Greyed ? L" not applied (no more conditions)"
                                                       : L" not applied (no such menu item)";
        note(ok ? what + L" applied" : what + why);
    }
    filtering_ = false;
    return all;
}

void ClientSession::settleOnScreen() {
    // The picture is read back from the screen, which shows what windows drew a moment later
    // (Wine hands its drawing to the X server when the thread waits; the refresh indicator draws
    // from its own thread). Paints are handled meanwhile; nothing else runs (a posted close or a
    // timer waits its turn).
    const DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_PAINT);
    } while (GetTickCount() - start < kSettleMs);
}

bool ClientSession::runNextStep() {
    if (endDatePending_) {
        endDatePending_ = false;
        applyEndDate(options_.endDate);
    } else if (filtersPending_) {
        applyFilters();
    } else if (chartPending_) {
        openChart();
    } else if (snapshotPending_) {
        takeSnapshot();
    }
    return endDatePending_ || filtersPending_ || chartPending_ || snapshotPending_;
}

void ClientSession::takeSnapshot() {
    // The filters come first, so the picture and the table show them; the chart after them.
    if (filtersPending_)
        applyFilters();
    if (chartPending_)
        openChart();
    snapshotPending_ = false;
    // The database is the user's data: no output replaces it, however its path is spelt.
    if (!options_.screenshotPath.empty() && isSameFile(options_.screenshotPath, options_.databasePath)) {
        note(L"screenshot not written: " + options_.screenshotPath + L" is the open database");
    } else if (!options_.screenshotPath.empty()) {
        RedrawWindow(frame_->hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        settleOnScreen();
        std::wstring error;
        if (saveWindowPng(frame_->hwnd(), options_.screenshotPath, error))
            note(L"screenshot written: " + options_.screenshotPath);
        else
            note(L"screenshot failed: " + error);
    }
    if (!options_.dumpPath.empty() && isSameFile(options_.dumpPath, options_.databasePath)) {
        note(L"table not written: " + options_.dumpPath + L" is the open database");
    } else if (!options_.dumpPath.empty()) {
        int rows = 0;
        std::wstring message;
        if (module_.module && dumpModuleTable(module_.module, options_.dumpPath, rows, message))
            note(L"table written: " + options_.dumpPath + L" (" + std::to_wstring(rows) + L" rows)");
        else
            note(L"table not written: " + (module_.module ? message : std::wstring(L"no module")));
    }
    if (!options_.exportPath.empty())
        exportGrid();
    // A one-shot run ends once it has what it came for, unless told how long to stay.
    if (options_.exitAfterSeconds <= 0)
        PostMessageW(frame_->hwnd(), WM_CLOSE, 0, 0);
}

void ClientSession::importThroughMenu() {
    std::vector<ImportRequest> files;
    for (const std::wstring& path : chooseImportFiles(frame_->hwnd()))
        files.push_back({path, std::string()});
    if (!files.empty())
        importFiles(files, false);
}

ImportReport ClientSession::importFiles(const std::vector<ImportRequest>& files, bool quiet) {
    const ImportReport report =
        importWithProgress(frame_ ? frame_->hwnd() : nullptr, options_.databasePath, files);
    for (const std::wstring& line : report.summaryLines())
        note(line);
    // The host's report of new values: the page reloads as on a feed update, and the lists and
    // an open chart follow it.
    if (report.rowsChanged > 0)
        raiseValueUpdate();
    if (!quiet && frame_)
        showImportResult(frame_->hwnd(), report);
    return report;
}

bool ClientSession::openChart() {
    chartPending_ = false;
    FigureRange range = FigureRange::All;
    if (!options_.chartRange.empty() && parseRangeKey(options_.chartRange, range))
        chart_->setRange(range);
    chart_->showChart(options_.chartCode.c_str(), 0, nullptr, 0);
    const ChartWindow* w = chart_->window();
    if (!w || !w->hwnd() || !w->view().hasProduct()) {
        note(L"chart not opened: " + options_.chartCode);
        return false;
    }
    const ChartProduct& p = w->view().main();
    const std::wstring date = pickedDate();
    note(L"chart: " + p.data.code + (p.data.known ? L" " + p.data.name : L" (unknown product)") +
         L", range " + rangeKey(w->view().range()) + L", end date " + (date.empty() ? L"none" : date) +
         L", " +
         (p.figures.available ? isoDate(p.figures.startDay) + L" to " + isoDate(p.figures.endDay)
                              : std::wstring(L"range not available")));
    if (options_.chartStatsPath.empty())
        return true;
    if (isSameFile(options_.chartStatsPath, options_.databasePath)) {
        note(L"chart stats not written: " + options_.chartStatsPath + L" is the open database");
        return false;
    }
    std::wstring error;
    if (!writeFileReplacing(options_.chartStatsPath, utf8(chart_->statsTable()), error)) {
        note(L"chart stats not written: " + options_.chartStatsPath + L" (" + error + L")");
        return false;
    }
    note(L"chart stats written: " + options_.chartStatsPath + L" (" + std::to_wstring(kFigureRangeCount) +
         L" ranges)");
    return true;
}

bool ClientSession::exportGrid() {
    TabControl* tab = frame_ ? frame_->tabControl() : nullptr;
    HWND root = tab ? tab->pageWindow(tab->selectedIndex()) : nullptr;
    const int filter =
        options_.exportFilter ? options_.exportFilter : defaultExportFilter(options_.exportPath);
    std::wstring message;
    bool ok = exportThroughGrid(root, options_.exportPath, filter, message);
    // A name the dialog refused was never a file of any type.
    const std::wstring filterNote = message == kInvalidPath ? L"" : L", filter " + std::to_wstring(filter);
    note((ok ? L"export written: " : L"export not written: ") + options_.exportPath + L" (" + message +
         filterNote + L")");
    return ok;
}

void ClientSession::onCommand(int id) {
    switch (id) {
    case CmdExit:
        PostMessageW(frame_->hwnd(), WM_CLOSE, 0, 0);
        break;
    case CmdValueUpdate: {
        std::wstring day, error;
        if (appendValuationDay(options_.databasePath, day, error))
            note(L"data feed: values of " + day + L" added");
        else
            note(L"data feed: no new day (" + error + L")");
        raiseValueUpdate();
        break;
    }
    case CmdBuyRedeemUpdate:
        raiseBuyRedeemUpdate();
        break;
    case CmdImport:
        importThroughMenu();
        break;
    case CmdSwitchTheme:
        switchTheme();
        break;
    case CmdFundsPool:
        pool_->showWindow(frame_->hwnd());
        break;
    case CmdConcernList:
        concern_->showWindow(frame_->hwnd());
        break;
    }
}

void ClientSession::onTimer(UINT_PTR id) {
    KillTimer(frame_->hwnd(), id);
    // Timers also fire inside the filter bar's menus and dialog: what would act on the page
    // waits until the filters are in.
    if (filtering_ && id != TimerDataFeed) {
        SetTimer(frame_->hwnd(), id, 200, nullptr);
        return;
    }
    switch (id) {
    case TimerDataFeed:
        note(L"data feed: new values");
        raiseValueUpdate();
        break;
    case TimerExit:
        // A short --exit-after still leaves with what the command line asked for.
        while (runNextStep()) {
        }
        PostMessageW(frame_->hwnd(), WM_CLOSE, 0, 0);
        break;
    }
}

} // namespace Client
