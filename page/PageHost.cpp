// How the page follows the host: attachment, the database, host events, the page's update
// message, the refresh indicator and themes.
#include "resources/ResourceText.h"
#include "module/host/Kernel.h"
#include "page/AssembleFinancePage.h"

namespace {

constexpr int32_t kLastValueKind = 11;

void subscribe(const char* name, EventHandler handler, void* context) {
    if (XComPtr<IEvent> event = getEvent(name))
        event->subscribe(handler, context);
}

// The grid's colour table, in the order the theme is read.
const char* const kGridColorKeys[AssembleFinanceGrid::ThemeColorCount] = {
    "list_bg_evenLine",    "list_bg_oddLine", "list_sel_bg",  "list_sel_text",   "list_name",
    "list_prev_data",      "list_type",       "list_style",   "list_cur_data",   "list_melon",
    "list_status",         "list_type2",      "list_company", "list_value_zero", "list_value_positive",
    "list_value_negative", "list_highlight",
};

const char* const kGridFontKeys[AssembleFinanceGrid::ThemeFontCount] = {
    "fntn_font_name", "fntn_font_bold", "fntn_font_regular", "fntn_font_digital", "fntn_font_digital_bold",
};

} // namespace

void AssembleFinancePage::attachHost(IApp* host) {
    app = host;
    grid.SetApp(host);
    // The grid looks the watched list ("mod_ConcernFund") up itself, and again while the host
    // has none, so a module that registers late is still found.
    subscribe("event_ConcernChanged", &AssembleFinancePage::onConcernChanged, this);
    subscribe("event_update_buyredeemstate", &AssembleFinancePage::onBuyRedeemStateUpdate, this);
}

void AssembleFinancePage::unsubscribeEvents() {
    const struct {
        const char* name;
        EventHandler handler;
    } subscriptions[] = {
        {"event_ConcernChanged", &AssembleFinancePage::onConcernChanged},
        {"event_update_buyredeemstate", &AssembleFinancePage::onBuyRedeemStateUpdate},
        {"event_update_lastvalue", &AssembleFinancePage::onLastValueUpdate},
    };
    for (const auto& s : subscriptions)
        if (XComPtr<IEvent> event = getEvent(s.name))
            event->unsubscribe(s.handler, this);
}

void AssembleFinancePage::setDatabase(IDatabase* db) {
    database = db;
    subscribe("event_update_lastvalue", &AssembleFinancePage::onLastValueUpdate, this);
    showRefreshIndicator();
}

void AssembleFinancePage::detach() {
    tabCtrl.reset();
    if (Data::IDataTable* table = grid.GetProductTable())
        table->clear(0);
    database.reset();
    // Here rather than when the library unloads: releasing host objects then would call into the
    // host under the loader lock.
    grid.ReleaseHost();
    app.reset();
}

// The host raises its events from its own library: nothing may leave the handlers into it (a
// 32-bit host could not even unwind through the module's frames).

void AssembleFinancePage::onConcernChanged(void*, void* context) {
    try {
        auto* page = static_cast<AssembleFinancePage*>(context);
        page->grid.Refresh(false, true);
        page->grid.Invalidate(true);
    } catch (...) {
    }
}

void AssembleFinancePage::onBuyRedeemStateUpdate(void* argument, void* context) {
    try {
        auto* page = static_cast<AssembleFinancePage*>(context);
        const auto* update = static_cast<const UpdateEventArg*>(argument);
        if (update && update->state == 1 && update->flag && page->isWindow())
            page->sendMessage(kUpdateMessage, 0, 0);
    } catch (...) {
    }
}

void AssembleFinancePage::onLastValueUpdate(void* argument, void* context) {
    try {
        auto* page = static_cast<AssembleFinancePage*>(context);
        const auto* update = static_cast<const UpdateEventArg*>(argument);
        if (!update || update->state != 1 || !page->isWindow())
            return;
        if (update->flag && update->kind == kLastValueKind)
            page->sendMessage(kUpdateMessage, 0, 0);
        if (page->refreshIndicator) {
            page->refreshIndicator->show(SW_HIDE);
            page->refreshIndicator->stopAnimating();
        }
        SetTimer(page->hwnd, kRefreshTimer, kRefreshDelayMs, nullptr);
    } catch (...) {
    }
}

void AssembleFinancePage::onUpdateMessage() {
    const XStringW picked = pickerDate();
    if (!picked.isEmpty())
        endDate = picked;
    grid.SetDateTitles(grid.BeginTitle(), endDate);
    if (isVisible()) {
        loadProductTable(true);
    } else if (Data::IDataTable* table = grid.GetProductTable()) {
        // The next showing of the page loads it again.
        table->clear(0);
    }
}

void AssembleFinancePage::showRefreshIndicator() {
    if (!refreshIndicator || themeChanged) {
        themeChanged = false;
        refreshIndicator.reset();
        XComPtr<IThemeMgr> manager = app ? app->getThemeManager() : nullptr;
        XComPtr<ITheme> theme = manager ? manager->getCurrentTheme() : nullptr;
        if (!theme)
            return;
        const unsigned char* bytes = nullptr;
        int size = 0;
        if (!theme->getData("refresh", &bytes, &size, 0) || !bytes || size <= 0)
            return;
        refreshIndicator = std::make_unique<GifWnd>(bytes, static_cast<size_t>(size), backgroundColour);
    }
    if (!refreshIndicator->isWindow() && isWindow())
        refreshIndicator->create(WS_CHILD | WS_VISIBLE, 0, L"", RECT{}, hwnd, 0, ThisModule());
    if (refreshIndicator->isWindow()) {
        refreshIndicator->setWindowPos(nullptr, 590, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        refreshIndicator->show(SW_SHOW);
        // It spins until the next value update, which may be a long wait: say what it waits for,
        // so that it is not taken for a load that never ends.
        if (refreshTip.createFor(hwnd))
            refreshTip.setWindowTip(refreshIndicator->hwnd, kRefreshTooltip);
    }
}

void AssembleFinancePage::applyTheme(ITheme* theme) {
    if (theme) {
        grid.SetTheme(theme);

        theme->getColor("wnd_general_bg", backgroundColour);
        COLORREF background = 0x000000, headerBackground = 0x000000, border = 0xFFFFFF, lines = 0xFFFFFF,
                 headerText = 0xFFFFFF;
        theme->getColor("list_bg", background);
        theme->getColor("list_column_bg", headerBackground);
        theme->getColor("list_border", border);
        theme->getColor("list_border_inside", lines);
        theme->getColor("list_title", headerText);
        // A scroll-bar key the theme lacks is skipped: the grid's theme step set the system colour.
        COLORREF scroll[5] = {};
        const char* const scrollKeys[5] = {"list_scroll_arrow", "list_scroll_button", "list_scroll_face",
                                           "list_scroll_darkborder", "list_scroll_lightborder"};
        bool hasScroll[5] = {};
        for (int i = 0; i < 5; ++i)
            hasScroll[i] = theme->getColor(scrollKeys[i], scroll[i]);
        for (int i = 0; i < AssembleFinanceGrid::ThemeColorCount; ++i) {
            const auto which = static_cast<AssembleFinanceGrid::ThemeColor>(i);
            COLORREF colour = grid.GetThemeColor(which);
            if (theme->getColor(kGridColorKeys[i], colour))
                grid.SetThemeColor(which, colour);
        }

        grid.SetBkColor(background);
        grid.SetBdColor(border);
        grid.SetGridColor(lines);
        grid.SetHeaderColor(headerText);
        grid.SetHeaderBkColor(headerBackground);
        if (hasScroll[0])
            grid.SetScrollArrowColor(scroll[0]);
        if (hasScroll[1])
            grid.SetScrollButtonColor(scroll[1]);
        if (hasScroll[2])
            grid.SetScrollFaceColor(scroll[2]);
        if (hasScroll[3])
            grid.SetScrollDarkColor(scroll[3]);
        if (hasScroll[4])
            grid.SetScrollLightColor(scroll[4]);

        grid.SetTheme(theme);

        for (int i = 0; i < AssembleFinanceGrid::ThemeFontCount; ++i) {
            const auto which = static_cast<AssembleFinanceGrid::ThemeFont>(i);
            FontInfo font = grid.GetThemeFont(which);
            if (theme->getFont(kGridFontKeys[i], font))
                grid.SetThemeFont(which, font);
        }

        grid.AssembleHeader();
        if (Data::IDataView* sortView = grid.GetSortView())
            sortView->refresh(true);

        theme->getFont("default", textFont);
        promptFont.reset();
        createFonts();
        grid.SetScrollLock(true);
        if (filterBar)
            filterBar->applyTheme(theme);
    }

    grid.LoadFontZoom();
    grid.SetZoom(grid.FontZoom());
    grid.Refresh(false, true);
    grid.Invalidate(true);
    if (isWindow()) {
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
    }
}
