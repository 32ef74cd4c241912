#include "ChartModule.h"

#include <cmath>
#include <cwchar>
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

ChartWindow& ChartModule::chart() const {
    if (!window_)
        window_ = std::make_unique<ChartWindow>(themes_.get());
    return *window_;
}

void ChartModule::onValuesChanged(void* argument, void* context) {
    auto* arg = static_cast<const UpdateEventArg*>(argument);
    auto* self = static_cast<ChartModule*>(context);
    if (!arg || arg->state != 1 || !self->window_ || !self->window_->hwnd())
        return;
    std::vector<ChartData> data;
    for (const ChartProduct& p : self->window_->view().products())
        data.push_back(self->load(p.data.code));
    self->window_->update(std::move(data));
}

ChartData ChartModule::load(const std::wstring& code) const {
    return loadChartData(db_.get(), code, pickedDate_ ? pickedDate_() : std::wstring());
}

std::vector<std::wstring> ChartModule::loadRiskFreeRate(Conf::IConfManager* systemStore) {
    std::vector<std::wstring> notes;
    XComPtr<Conf::IConfKey> key = systemStore ? systemStore->getKey(kRiskFreeRateKey) : nullptr;
    XComPtr<Conf::IConfValue> value = key ? key->getValue() : nullptr;
    if (!value)
        return notes;
    const std::wstring text = value->getString().c_str();
    wchar_t* end = nullptr;
    const double rate = std::wcstod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(rate) || rate <= -1 || rate >= 1) {
        wchar_t kept[32];
        swprintf(kept, 32, L"%g", chart().view().riskFreeRate());
        notes.push_back(std::wstring(L"risk-free rate ") + kRiskFreeRateKey + L" = \"" + text +
                        L"\" cannot be read (a yearly rate such as 0.015); " + kept + L" in use");
        return notes;
    }
    chart().setRiskFreeRate(rate);
    return notes;
}

void ChartModule::showChart(const wchar_t* code, int, Data::IDataContainer*, int) {
    // The module hands its product table too, but the chart needs the whole history, which only
    // the database has.
    if (!code || !*code)
        return;
    if (owner_ && !IsWindow(owner_))
        owner_ = nullptr;
    chart().show(owner_, load(code));
}

bool ChartModule::addToCompare(const std::wstring& code) {
    if (code.empty())
        return false;
    ChartWindow& w = chart();
    if (!w.hwnd() || !w.view().hasProduct()) {
        w.choosePercent(true);
        showChart(code.c_str(), 0, nullptr, 0);
        return w.hwnd() != nullptr;
    }
    if (!w.addProduct(load(code))) {
        MessageBeep(MB_ICONWARNING); // the chart compares as many as it can show
        return false;
    }
    SetWindowPos(w.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(w.hwnd());
    return true;
}

void ChartModule::setRange(FigureRange range) {
    chart().setRange(range);
    if (window_->hwnd())
        UpdateWindow(window_->hwnd());
}

std::wstring ChartModule::statsTable() const {
    if (!window_ || !window_->view().hasProduct())
        return L"";
    const ChartProduct& p = window_->view().main();
    return figuresTable(p.series, p.data.endLimit, window_->view().riskFreeRate());
}

} // namespace Client
