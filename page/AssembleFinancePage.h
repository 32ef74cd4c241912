// The tab page the module adds to the host: a 30-pixel strip (title, date prompt, end-date
// picker, refresh indicator, filter bar) above the product grid. The page owns the data path that fills the
// product table and follows the host's events and themes.
#pragma once

#include <windows.h>
#include <memory>
#include "filter/FilterWnd.h"
#include "grid/AssembleFinanceGrid.h"
#include "module/host/App.h"
#include "module/host/Database.h"
#include "wgui/DateTimePicker.h"
#include "wgui/GdiHandles.h"
#include "wgui/GifWnd.h"
#include "wgui/ToolTipCtrl.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

class AssembleFinancePage final : public ITabPage, public WGUI::WindowBase {
public:
    static constexpr UINT kUpdateMessage = WM_USER + 16; // 1040
    static constexpr UINT_PTR kRefreshTimer = 100;
    static constexpr UINT kRefreshDelayMs = 60000;
    static constexpr int kPickerId = 1001;
    static constexpr int kStripHeight = 30;
    static constexpr int kFilterBarLeft = 560;
    static const wchar_t kClassName[];
    // The refresh indicator's tooltip.
    static const wchar_t kRefreshTooltip[];

    AssembleFinancePage();
    ~AssembleFinancePage() override;
    AssembleFinancePage(const AssembleFinancePage&) = delete;
    AssembleFinancePage& operator=(const AssembleFinancePage&) = delete;

    // ITabPage. The page lives as long as the module object: no reference counting.
    int addRef() override { return 1; }
    int release() override { return 1; }
    HWND create(HWND parent, ITabCtrl* tabCtrl) override;
    bool isCreated() override { return isWindow(); }
    XComPtr<ITabCtrl> tabControl() override { return tabCtrl; }
    void show() override;
    void hide() override;
    void redraw() override;
    void move(int x, int y, int width, int height) override;
    XStringW getTitle() override;
    void changeFilters(Data::IDataFilter* displayRemove, Data::IDataFilter* displayAdd,
                       Data::IDataFilter* mainRemove, Data::IDataFilter* mainAdd) override;
    void refreshData() override;

    // Host wiring, in the order the module's initialisation calls them.
    void attachHost(IApp* host);
    void applyTheme(ITheme* theme);
    void setDatabase(IDatabase* db);
    // The host changed its theme: the refresh indicator is rebuilt on its next showing.
    void markThemeChanged() { themeChanged = true; }
    // The module is uninitialised: the page lets go of the host's objects.
    void detach();

    // Settles the dates, fills the product table, computes growth and re-applies the header.
    // quiet = false shows the wait dialog while it runs.
    void loadProductTable(bool quiet);

    bool isVisible() const { return hwnd && IsWindowVisible(hwnd); }
    AssembleFinanceGrid& productGrid() { return grid; }
    const XStringW& getBeginDate() const { return beginDate; }
    const XStringW& getEndDate() const { return endDate; }
    COLORREF getBackgroundColour() const { return backgroundColour; }
    GifWnd* getRefreshIndicator() const { return refreshIndicator.get(); }
    HWND getRefreshTooltip() const { return refreshTip.hwnd; }
    FilterWnd* getFilterBar() const { return filterBar.get(); }
    HWND getDatePicker() const { return endDatePicker.hwnd; }
    // Loads run so far (each call of loadProductTable that reached the database).
    int loadCount() const { return loads; }

    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Declares the columns the page's filter bar searches and offers values of.
    static void addFilterColumns(FilterWnd& bar);
    // A valuation date as the database gives it is used only when it reads YYYY-MM-DD.
    static bool isIsoDate(const XStringW& text);
    // The value rounded to ten significant digits (a growth value without binary noise).
    static double growthValue(double end, double begin, double dividend);

private:
    void onCreate();
    void createFilterBar();
    void onSize(int width, int height);
    void onPaint();
    void onShowWindow(bool shown);
    bool onNotify(const NMHDR& header);
    void onUpdateMessage();
    void showRefreshIndicator();
    void unsubscribeEvents();
    void createFonts();
    XStringW pickerDate() const;
    // What a date statement gave: a date, no row that holds one, or an error from the database.
    enum class DateQuery { Found, NoDate, Failed };
    // The first column of the first row of the date statement for endDate, when it is a date.
    DateQuery queryDate(const wchar_t* statement, XStringW& date);
    void computeGrowth(Data::IDataTable* table);

    static void onConcernChanged(void* argument, void* context);
    static void onBuyRedeemStateUpdate(void* argument, void* context);
    static void onLastValueUpdate(void* argument, void* context);

    WGUI::WindowProc windowProc;
    // Made at WM_CREATE, destroyed at WM_DESTROY.
    std::unique_ptr<FilterWnd> filterBar;
    bool themeChanged = false;
    std::unique_ptr<GifWnd> refreshIndicator;
    WGUI::ToolTipCtrl refreshTip;
    COLORREF backgroundColour = 0;
    AssembleFinanceGrid grid;
    FontInfo textFont;
    WGUI::UniqueFont titleFont;
    WGUI::UniqueFont promptFont;
    XComPtr<IApp> app;
    XComPtr<IDatabase> database;
    SYSTEMTIME initialDate{};
    WGUI::DateTimePicker endDatePicker;
    XStringW beginDate;
    XStringW endDate;
    // The dates the product table's rows belong to: a load whose statements fail goes back to
    // them, so the header never names dates the rows do not hold.
    XStringW rowsBeginDate;
    XStringW rowsEndDate;
    XComPtr<ITabCtrl> tabCtrl;
    int loads = 0;
};
