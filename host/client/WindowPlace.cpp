#include "WindowPlace.h"

#include <algorithm>
#include <cstdio>
#include "Kernel.h"

namespace Client {

namespace {

XComPtr<Conf::IConfManager>& storeSlot() {
    static XComPtr<Conf::IConfManager> store;
    return store;
}

constexpr int kSlotStep = 32;
// A remembered window smaller than this was not left so by a user; the default takes over.
constexpr int kMinWidth = 120, kMinHeight = 80;

} // namespace

RECT placeBeside(const RECT& frame, const RECT& workArea, SIZE size, int slot) {
    const int areaW = workArea.right - workArea.left, areaH = workArea.bottom - workArea.top;
    const int w = std::min<int>(size.cx, areaW), h = std::min<int>(size.cy, areaH);
    auto top = [&](int wanted) { return std::clamp<int>(wanted, workArea.top, workArea.bottom - h); };
    const int shifted = frame.top + slot * kSlotStep;
    if (frame.right + w <= workArea.right)
        return RECT{frame.right, top(shifted), frame.right + w, top(shifted) + h};
    if (frame.left - w >= workArea.left)
        return RECT{frame.left - w, top(shifted), frame.left, top(shifted) + h};
    // No room beside it: the bottom right corner, far from the page's top left controls.
    const int y = workArea.bottom - h - slot * kSlotStep;
    const int t = top(y);
    return RECT{workArea.right - w, t, workArea.right, t + h};
}

std::wstring placeText(const RECT& rect) {
    wchar_t text[64];
    swprintf(text, 64, L"%ld,%ld,%ld,%ld", static_cast<long>(rect.left), static_cast<long>(rect.top),
             static_cast<long>(rect.right - rect.left), static_cast<long>(rect.bottom - rect.top));
    return text;
}

bool parsePlace(const std::wstring& text, RECT& rect) {
    long x, y, w, h;
    wchar_t tail = 0;
    if (swscanf(text.c_str(), L"%ld,%ld,%ld,%ld%lc", &x, &y, &w, &h, &tail) != 4 || w < 1 || h < 1 ||
        w > 100000 || h > 100000 || x < -100000 || x > 100000 || y < -100000 || y > 100000)
        return false;
    rect = RECT{x, y, x + w, y + h};
    return true;
}

void WindowPlaces::setStore(Conf::IConfManager* userStore) {
    storeSlot() = userStore;
}

Conf::IConfManager* WindowPlaces::store() {
    return storeSlot().get();
}

std::wstring WindowPlaces::keyPath(const wchar_t* name) {
    return std::wstring(L"/Client2/UserConfig/Windows/") + name;
}

RECT WindowPlaces::initialRect(const wchar_t* name, HWND owner, SIZE defaultSize, int slot) {
    if (Conf::IConfManager* s = store()) {
        XComPtr<Conf::IConfKey> key = s->getKey(keyPath(name).c_str());
        XComPtr<Conf::IConfValue> value = key ? key->getValue() : nullptr;
        RECT r;
        // A place on a monitor since unplugged would open the window out of sight.
        if (value && parsePlace(value->getString().c_str(), r) && r.right - r.left >= kMinWidth &&
            r.bottom - r.top >= kMinHeight && MonitorFromRect(&r, MONITOR_DEFAULTTONULL))
            return r;
    }
    RECT frame{};
    const bool hasFrame = owner && IsWindow(owner) && !IsIconic(owner) && GetWindowRect(owner, &frame);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = hasFrame ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    RECT area{0, 0, defaultSize.cx, defaultSize.cy};
    if (GetMonitorInfoW(monitor, &info))
        area = info.rcWork;
    if (hasFrame)
        return placeBeside(frame, area, defaultSize, slot);
    const int w = std::min<int>(defaultSize.cx, area.right - area.left),
              h = std::min<int>(defaultSize.cy, area.bottom - area.top);
    const int x = area.left + (area.right - area.left - w) / 2,
              y = area.top + (area.bottom - area.top - h) / 2;
    return RECT{x, y, x + w, y + h};
}

void WindowPlaces::remember(const wchar_t* name, HWND window) {
    Conf::IConfManager* s = store();
    RECT r;
    if (!s || !window || IsIconic(window) || IsZoomed(window) || !GetWindowRect(window, &r))
        return;
    const std::wstring text = placeText(r);
    XComPtr<Conf::IConfKey> key = s->openKey(keyPath(name).c_str());
    if (!key)
        return;
    XComPtr<Conf::IConfValue> old = key->getValue();
    if (old && text == old->getString().c_str())
        return; // unchanged: the store is not written again
    XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    if (!value)
        return;
    value->setString(text.c_str());
    key->setValue(value.get());
}

} // namespace Client
