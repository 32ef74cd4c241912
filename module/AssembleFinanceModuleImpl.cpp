#include "module/AssembleFinanceModuleImpl.h"

#include "module/host/Database.h"
#include "module/host/Kernel.h"

const char AssembleFinanceModuleImpl::kModuleName[] = "mod_AssembleFinance";
const wchar_t AssembleFinanceModuleImpl::kModuleDescription[] = L"集合理财产品净值模块";

namespace {

constexpr int kPreMessagePriority = 200;

XStringW confText(Conf::IConfManager* conf, const wchar_t* path, bool* found) {
    *found = false;
    XComPtr<Conf::IConfKey> key = conf->getKey(path);
    if (!key)
        return XStringW();
    *found = true;
    XComPtr<Conf::IConfValue> value = key->getValue();
    return value ? value->getString() : XStringW();
}

} // namespace

AssembleFinanceModuleImpl::~AssembleFinanceModuleImpl() {
    if (XComPtr<IEvent> themeEvent = getEvent("event_theme_changed"))
        themeEvent->unsubscribe(&AssembleFinanceModuleImpl::onThemeChanged, this);
    if (XComPtr<IEvent> command = getEvent("Event_AssembleFinanceCmd"))
        command->unsubscribe(&AssembleFinanceModuleImpl::onCommand, this);
}

bool AssembleFinanceModuleImpl::getModuleInfo(ModuleInfo& info) {
    info.name = kModuleName;
    info.description = kModuleDescription;
    info.moduleNumber = kModuleNumber;
    info.moduleVersion = kModuleVersion;
    return true;
}

int32_t AssembleFinanceModuleImpl::notify(int32_t, int32_t) {
    return 0;
}

int32_t AssembleFinanceModuleImpl::initialize(IApp* app, XStringW& error) {
    AssembleFinanceGrid& grid = page.productGrid();
    grid.SetApp(app);

    XComPtr<ITheme> theme;
    if (app) {
        if (XComPtr<IThemeMgr> themes = app->getThemeManager())
            theme = themes->getCurrentTheme();
    }
    if (XComPtr<IEvent> themeEvent = getEvent("event_theme_changed"))
        themeEvent->subscribe(&AssembleFinanceModuleImpl::onThemeChanged, this);

    mainFrame = app ? XComPtr<IMainFrameModule>(app->getModule("mod_MainFrame")) : nullptr;
    if (!mainFrame)
        return 1;
    app->addPreMessageHandler(kPreMessagePriority, static_cast<IPreMessageHandler*>(this));

    XComPtr<ITabCtrl> tabCtrl = mainFrame->getTabCtrl("vex_tab_fundvalue");
    if (!tabCtrl) {
        error = L"无法获取vex_tab_fundvalue控件。";
        return 1;
    }

    page.attachHost(app);
    tabCtrl->addPage(&page);
    page.applyTheme(theme.get());

    if (XComPtr<IDbModule> db = XComPtr<IDbModule>(app->getModule("mod_Database"))) {
        XComPtr<IDatabase> database = db->getDatabase();
        page.setDatabase(database.get());
    }

    XComPtr<IEvent> command = createEvent("Event_AssembleFinanceCmd");
    if (command)
        command->subscribe(&AssembleFinanceModuleImpl::onCommand, this);

    ToolButtonInfo button;
    button.kind = 0;
    button.caption = L"集合理财产品净值";
    button.commandEvent = command;
    mainFrame->addToolButton("button_fund_value", "button_fund_value_closed", button);

    if (XComPtr<Conf::IConfManager> system = app->getSystemConfManager()) {
        bool found = false;
        XStringW rule = confText(system.get(), L"Client2/System/Top_Default", &found);
        if (found)
            grid.SetDefaultTopRule(rule);
        rule = confText(system.get(), L"Client2/System/Top_Always", &found);
        if (found)
            grid.SetAlwaysTopRule(rule);
    }
    return 0;
}

void AssembleFinanceModuleImpl::uninitialize() {
    // Subscriptions and the key handler stay: the object outlives them, and late calls find a
    // page without a database (loads do nothing) and no main frame.
    mainFrame.reset();
    page.detach();
}

XComPtr<Data::IDataTable> AssembleFinanceModuleImpl::getDataTable() {
    Data::IDataTable* table = page.productGrid().GetProductTable();
    if (table && table->isEmpty())
        page.loadProductTable(true);
    return XComPtr<Data::IDataTable>(table);
}

void AssembleFinanceModuleImpl::activatePage() {
    if (mainFrame)
        mainFrame->activatePage(&page);
}

bool AssembleFinanceModuleImpl::selectByCode(const wchar_t* code) {
    Data::IDataView* view = page.productGrid().GetDisplayView();
    if (!view || !code)
        return false;
    const int rows = view->rowCount();
    const int codeColumn = view->getColumnIndex(L"code");
    if (codeColumn < 0)
        return false;
    for (int i = 0; i < rows; ++i) {
        if (view->getRow(i).getItem(codeColumn).getText().compare(code) == 0) {
            activatePage();
            page.productGrid().SetCurrSel(i);
            return true;
        }
    }
    return false;
}

void AssembleFinanceModuleImpl::refresh() {
    if (!page.isVisible())
        return;
    page.loadProductTable(true);
    page.productGrid().Refresh(false, true);
    page.productGrid().Invalidate(true);
}

bool AssembleFinanceModuleImpl::preTranslateMessage(const MSG& msg) {
    // Called from the host's message loop: nothing may escape into it.
    try {
        if ((msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) || !page.isVisible())
            return false;
        AssembleFinanceGrid& grid = page.productGrid();
        const int vk = static_cast<int>(msg.wParam);
        if (grid.IsArchiveKey(vk)) {
            grid.OpenArchive();
            return true;
        }
        if (grid.IsAddWatchKey(vk)) {
            grid.AddToWatchList();
            return true;
        }
        if (grid.IsRemoveWatchKey(vk)) {
            grid.RemoveFromWatchList();
            return true;
        }
        if (grid.IsRefreshKey(vk)) {
            refresh();
            return true;
        }
    } catch (...) {
    }
    return false;
}

// Event handlers, called from the host's library: nothing may escape into it.
void AssembleFinanceModuleImpl::onThemeChanged(void* argument, void* context) {
    try {
        auto* module = static_cast<AssembleFinanceModuleImpl*>(context);
        module->page.applyTheme(static_cast<ITheme*>(argument));
        module->page.markThemeChanged();
    } catch (...) {
    }
}

void AssembleFinanceModuleImpl::onCommand(void*, void* context) {
    try {
        static_cast<AssembleFinanceModuleImpl*>(context)->activatePage();
    } catch (...) {
    }
}
