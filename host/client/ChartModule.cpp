#include "ChartModule.h"

namespace Client {

ChartModule::ChartModule() : HostModule("mod_Chart", L"图表") {}

ChartModule::~ChartModule() = default;

void ChartModule::showChart(const wchar_t* code, int, Data::IDataContainer*, int) {
    // The module hands its product table too, but the chart needs the whole history, which only
    // the database has.
    if (!code || !*code)
        return;
    std::wstring picked;
    if (pickedDate_)
        picked = pickedDate_();
    ChartData data = loadChartData(db_.get(), code, picked);
    if (!window_)
        window_ = std::make_unique<ChartWindow>(themes_.get());
    if (owner_ && !IsWindow(owner_))
        owner_ = nullptr;
    window_->show(owner_, std::move(data));
}

} // namespace Client
