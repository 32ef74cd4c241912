#include "HostModules.h"

#include <algorithm>
#include "Kernel.h"

namespace Client {

namespace {

HotKey key(int vk, bool ctrl = false) {
    HotKey k;
    k.ctrl = ctrl ? 1 : 0;
    k.key = vk;
    return k;
}

} // namespace

MenuToolModule::MenuToolModule() : HostModule("mod_MenuTool", L"菜单工具") {
    keys_[AddWatch] = key(VK_INSERT);
    keys_[RemoveWatch] = key(VK_DELETE);
    keys_[Archive] = key(VK_F10);
    keys_[Refresh] = key(VK_F5);
}

CodeList::CodeList(Conf::IConfManager* store, const wchar_t* path) : store_(store), path_(path) {
    if (!store_)
        return;
    XComPtr<Conf::IConfKey> key = store_->getKey(path);
    if (!key)
        return;
    XComPtr<Conf::IConfValue> value = key->getValue();
    if (!value)
        return;
    XStringW text = value->getString();
    std::wstring all(text.c_str());
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(L'\n', start);
        if (end == std::wstring::npos)
            end = all.size();
        std::wstring code = all.substr(start, end - start);
        if (!code.empty() && !contains(code))
            codes_.push_back(code);
        start = end + 1;
    }
}

bool CodeList::contains(const std::wstring& code) const {
    return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
}

bool CodeList::add(const std::wstring& code) {
    // A line break would split one code into two on the next start.
    if (code.empty() || code.find(L'\n') != std::wstring::npos || contains(code))
        return false;
    codes_.push_back(code);
    save();
    return true;
}

bool CodeList::remove(const std::wstring& code) {
    auto it = std::find(codes_.begin(), codes_.end(), code);
    if (it == codes_.end())
        return false;
    codes_.erase(it);
    save();
    return true;
}

void CodeList::save() {
    if (!store_)
        return;
    std::wstring text;
    for (const std::wstring& c : codes_)
        text += c + L"\n";
    XComPtr<Conf::IConfKey> key = store_->openKey(path_.c_str());
    XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    if (!key)
        return;
    if (!value)
        value = key->getValue();
    if (!value)
        return;
    value->setString(text.c_str());
    key->setValue(value);
}

ConcernFundModule::ConcernFundModule(Conf::IConfManager* userStore)
    : HostModule("mod_ConcernFund", L"自选基金"), list_(userStore, kKey) {}

bool ConcernFundModule::isWatched(const XStringW& code) {
    return list_.contains(code.c_str());
}

void ConcernFundModule::addWatched(const XStringW& code) {
    if (list_.add(code.c_str()))
        if (XComPtr<IEvent> e = createEvent("event_ConcernChanged"))
            e->raise(nullptr);
}

void ConcernFundModule::removeWatched(const XStringW& code) {
    if (list_.remove(code.c_str()))
        if (XComPtr<IEvent> e = createEvent("event_ConcernChanged"))
            e->raise(nullptr);
}

FundsPoolModule::FundsPoolModule(Conf::IConfManager* userStore)
    : HostModule("mod_FundsPool", L"基金池"), list_(userStore, kKey) {}

void FundsPoolModule::addFund(XStringW code) {
    list_.add(code.c_str());
}

namespace {

const wchar_t kChartClass[] = L"Client2_ChartWnd";

// The window keeps its lines in a heap block pointed to by GWLP_USERDATA, freed at WM_NCDESTROY.
LRESULT CALLBACK chartProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* lines = reinterpret_cast<std::vector<std::wstring>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        int y = 10;
        if (lines)
            for (const std::wstring& l : *lines) {
                TextOutW(dc, 10, y, l.c_str(), static_cast<int>(l.size()));
                y += 18;
            }
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete lines;
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ChartModule::ChartModule() : HostModule("mod_Chart", L"图表") {}

ChartModule::~ChartModule() {
    if (last_ && IsWindow(last_))
        DestroyWindow(last_);
}

void ChartModule::showChart(const wchar_t* code, int, Data::IDataContainer* products, int) {
    static ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = chartProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kChartClass;
        return RegisterClassExW(&wc);
    }();
    if (!atom || !code)
        return;
    auto* lines = new std::vector<std::wstring>{std::wstring(L"代码: ") + code};
    // The product's own row, when the caller handed its table: every column as "name: value".
    if (products) {
        int codeColumn = products->getColumnIndex(L"code");
        for (int r = 0; codeColumn >= 0 && r < products->rowCount(); ++r) {
            Data::IDataRow& row = products->getRow(r);
            if (row.getItem(codeColumn).getText().compare(code) != 0)
                continue;
            for (int c = 0; c < products->columnCount(); ++c)
                if (Data::IColumnItem* col = products->getColumn(c))
                    lines->push_back(std::wstring(col->getName()) + L": " + row.getItem(c).getText().c_str());
            break;
        }
    }
    if (last_ && IsWindow(last_))
        DestroyWindow(last_);
    std::wstring title = std::wstring(L"走势图 - ") + code;
    last_ = CreateWindowExW(0, kChartClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                            CW_USEDEFAULT, 420, 360, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!last_) {
        delete lines;
        return;
    }
    SetWindowLongPtrW(last_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(lines));
    InvalidateRect(last_, nullptr, TRUE);
}

} // namespace Client
