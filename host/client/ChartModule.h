// "mod_Chart": a product's net value chart in the client's chart window; archives are left to
// the caller. Products are added to the open chart to compare them; an open chart follows the
// data feed ("event_update_lastvalue").
#pragma once

#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "App.h"
#include "ChartWindow.h"
#include "Database.h"
#include "HostModule.h"

namespace Client {

class ChartModule final : public HostModule<IChartModule> {
public:
    // The system configuration key of the yearly risk-free rate the Sharpe ratio uses.
    static constexpr const wchar_t* kRiskFreeRateKey = L"Client2/System/RiskFreeRate";

    ChartModule();
    ~ChartModule() override;

    // Where the chart reads from; each may stay unset (no values, default colours, no page
    // dates, a window without owner).
    void setDatabase(IDatabase* db) { db_ = db; }
    void setThemeManager(IThemeMgr* themes) { themes_ = themes; }
    // The date in the page's picker as "YYYY-MM-DD", or "" when there is none.
    void setPickedDateSource(std::function<std::wstring()> source) { pickedDate_ = std::move(source); }
    void setOwner(HWND owner) { owner_ = owner; }
    // Reads the risk-free rate; a missing key keeps the default, a value that is not a yearly
    // rate (a finite number between -1 and 1) keeps it too and gives a line for the summary.
    std::vector<std::wstring> loadRiskFreeRate(Conf::IConfManager* systemStore);
    double riskFreeRate() const { return chart().view().riskFreeRate(); }

    void showChart(const wchar_t* code, int kind, Data::IDataContainer* products, int flags) override;
    bool showArchive(const wchar_t*) override { return false; }
    // Adds a product to the open chart, compared with its product in percent mode; with no chart
    // open, opens one on it in percent mode. False for an empty code, or when the chart already
    // shows as many products as it can compare.
    bool addToCompare(const std::wstring& code);
    // The range the chart shows, for the open chart and the next.
    void setRange(FigureRange range);
    // The figures of the open chart's product, as the stats file holds them ("" without one).
    std::wstring statsTable() const;

    // The chart window, or null before the first chart and after the user closed it.
    HWND lastWindow() const { return window_ ? window_->hwnd() : nullptr; }
    const ChartWindow* window() const { return window_.get(); }
    ChartWindow* window() { return window_.get(); }

private:
    static void onValuesChanged(void* argument, void* context);
    ChartData load(const std::wstring& code) const;
    ChartWindow& chart() const;

    XComPtr<IDatabase> db_;
    XComPtr<IThemeMgr> themes_;
    std::function<std::wstring()> pickedDate_;
    HWND owner_ = nullptr;
    // Made on first use and kept: the chosen range, mode and rate outlive a closed window.
    mutable std::unique_ptr<ChartWindow> window_;
};

} // namespace Client
