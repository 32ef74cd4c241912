#include "ChartModule.h"

#include "Kernel.h"

namespace Client {

ChartModule::ChartModule() : HostModule("mod_Chart", L"图表") {
    if (XComPtr<IEvent> e = createEvent("event_update_lastvalue"))
        e->subscribe(&ChartModule::onValuesChanged, this);
}

ChartModule::~ChartModule() {
    if (XComPtr<IEvent> e = getEvent("event_update_lastvalue"))
        e->unsubscribe(&ChartModule::onValuesChanged, this);
}

void ChartModule::onValuesChanged(void* argument, void* context) {
    auto* arg = static_cast<const UpdateEventArg*>(argument);
    auto* self = static_cast<ChartModule*>(context);
    if (arg && arg->state == 1 && self->window_ && self->window_->hwnd())
        self->window_->update(self->load(self->window_->data().code));
}

ChartData ChartModule::load(const std::wstring& code) const {
    return loadChartData(db_.get(), code, pickedDate_ ? pickedDate_() : std::wstring());
}

void ChartModule::showChart(const wchar_t* code, int, Data::IDataContainer*, int) {
    // The module hands its product table too, but the chart needs the whole history, which only
    // the database has.
    if (!code || !*code)
        return;
    ChartData data = load(code);
    if (!window_)
        window_ = std::make_unique<ChartWindow>(themes_.get());
    if (owner_ && !IsWindow(owner_))
        owner_ = nullptr;
    window_->show(owner_, std::move(data));
}

} // namespace Client
