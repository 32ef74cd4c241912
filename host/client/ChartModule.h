// "mod_Chart": a product's net value chart in the client's chart window; archives are left to
// the caller. An open chart follows the data feed ("event_update_lastvalue").
#pragma once

#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include "ChartWindow.h"
#include "Database.h"
#include "HostModule.h"

namespace Client {

class ChartModule final : public HostModule<IChartModule> {
public:
    ChartModule();
    ~ChartModule() override;

    // Where the chart reads from; each may stay unset (no values, default colours, no page
    // dates, a window without owner).
    void setDatabase(IDatabase* db) { db_ = db; }
    void setThemeManager(IThemeMgr* themes) { themes_ = themes; }
    // The date in the page's picker as "YYYY-MM-DD", or "" when there is none.
    void setPickedDateSource(std::function<std::wstring()> source) { pickedDate_ = std::move(source); }
    void setOwner(HWND owner) { owner_ = owner; }

    void showChart(const wchar_t* code, int kind, Data::IDataContainer* products, int flags) override;
    bool showArchive(const wchar_t*) override { return false; }
    // The chart window, or null before the first chart and after the user closed it.
    HWND lastWindow() const { return window_ ? window_->hwnd() : nullptr; }
    const ChartWindow* window() const { return window_.get(); }

private:
    static void onValuesChanged(void* argument, void* context);
    ChartData load(const std::wstring& code) const;

    XComPtr<IDatabase> db_;
    XComPtr<IThemeMgr> themes_;
    std::function<std::wstring()> pickedDate_;
    HWND owner_ = nullptr;
    std::unique_ptr<ChartWindow> window_;
};

} // namespace Client
