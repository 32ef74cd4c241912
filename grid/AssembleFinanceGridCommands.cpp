// The product grid's commands: the context menu, the watched list, the archive, the funds pool,
// the chart and the menu tool's hot keys. Every command but export goes through another host
// module and does nothing when the host has none.
#include <windows.h>
#include <shellapi.h>
#include "AssembleFinanceGrid.h"
#include "wgui/GdiHandles.h"

const wchar_t AssembleFinanceGrid::kArchiveSiteKey[] = L"Client2/System/ArchiveSite";

namespace {

const wchar_t kArchivePath[] = L"/html/";

bool startsWithNoCase(const XStringW& text, const wchar_t* prefix) {
    int n = lstrlenW(prefix);
    return text.length() >= n && CompareStringOrdinal(text.c_str(), n, prefix, n, TRUE) == CSTR_EQUAL;
}

// Percent-encodes the code's UTF-8 bytes except the unreserved characters, so that no code can
// climb out of its path segment or carry a query, a fragment or a second address.
XStringW percentEncoded(const XStringW& code) {
    XStringA utf8 = code.toUtf8();
    static const char hex[] = "0123456789ABCDEF";
    XStringW out;
    for (int i = 0; i < utf8.length(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8.c_str()[i]);
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += wchar_t(c);
        } else {
            out += L'%';
            out += wchar_t(hex[c >> 4]);
            out += wchar_t(hex[c & 15]);
        }
    }
    return out;
}

} // namespace

namespace {

bool isAsciiAlnum(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

bool isHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}

// Host[:port][/path] after the scheme, nothing more: no user name or password before the host,
// no query, no fragment, no blank, quote or backslash. Non-ASCII letters may name the host or
// the path (the browser encodes them).
bool isSiteRest(const wchar_t* text, int length) {
    int i = 0;
    while (i < length && (isAsciiAlnum(text[i]) || text[i] == L'-' || text[i] == L'.' || text[i] >= 0x80))
        ++i;
    if (i == 0)
        return false; // no host
    if (i < length && text[i] == L':') {
        const int digits = ++i;
        while (i < length && text[i] >= L'0' && text[i] <= L'9')
            ++i;
        if (i == digits || i - digits > 5)
            return false;
    }
    if (i < length && text[i] != L'/')
        return false;
    for (; i < length; ++i) {
        const wchar_t c = text[i];
        if (c == L'%' && i + 2 < length && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2]))
            i += 2;
        else if (!isAsciiAlnum(c) && c != L'/' && c != L'-' && c != L'.' && c != L'_' && c != L'~' &&
                 c < 0x80)
            return false;
    }
    return true;
}

} // namespace

XStringW AssembleFinanceGrid::ArchiveAddress(const XStringW& site, const XStringW& code) {
    if (code.isEmpty() || code == L"--")
        return XStringW();
    // Only a web address goes to the shell: anything else could name a local file or program.
    int schemeEnd = startsWithNoCase(site, L"https://") ? 8 : startsWithNoCase(site, L"http://") ? 7 : 0;
    if (schemeEnd == 0)
        return XStringW();
    int end = site.length();
    while (end > schemeEnd && site.c_str()[end - 1] == L'/')
        --end;
    // A site is where the product pages live: with a query or a fragment the product's path
    // would land inside them, and a user name before the host could hide the real host.
    if (!isSiteRest(site.c_str() + schemeEnd, end - schemeEnd))
        return XStringW();
    return site.left(end) + kArchivePath + percentEncoded(code) + L"/";
}

bool AssembleFinanceGrid::CurrentCode(XStringW& code) {
    int row = GetCurrSel();
    if (row < 0 || row >= GetRowsCount())
        return false;
    code = RowCode(row);
    return true;
}

void AssembleFinanceGrid::OnContextMenu(int x, int y) {
    try {
        XStringW code;
        if (!CurrentCode(code))
            return;
        POINT point = {x, y};
        ClientToScreen(point);
        // Built for each request: whether the host has a funds pool may change between two.
        WGUI::UniqueMenu menu(CreatePopupMenu());
        if (!menu)
            return;
        if (app_ && XComPtr<IFundsPoolModule>(app_->getModule("mod_FundsPool")))
            AppendMenuW(menu.get(), MF_STRING, CmdAddToFundsPool, L"添加到基金池");
        AppendMenuW(menu.get(), MF_STRING, CmdExport, L"数据导出");
        AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.get(), MF_STRING, CmdOpenArchive, L"转到基金档案 F10");
        // The choice comes back to this window as WM_COMMAND.
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, GetHwnd(), nullptr);
    } catch (...) {
    }
}

LRESULT AssembleFinanceGrid::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        try {
            switch (LOWORD(wParam)) {
            case CmdAddToWatchList:
                AddToWatchList();
                break;
            case CmdExport:
                ExportData();
                break;
            case CmdOpenArchive:
                OpenArchive();
                break;
            case CmdRemoveFromWatchList:
                RemoveFromWatchList();
                break;
            case CmdAddToFundsPool:
                AddToFundsPool();
                break;
            default:
                break;
            }
        } catch (...) {
        }
    }
    // The host grid sees every message, commands included (its header menu's among them).
    return GeneralDataGrid::WndProc(hwnd, msg, wParam, lParam);
}

void AssembleFinanceGrid::AddToWatchList() {
    XStringW code;
    if (!CurrentCode(code))
        return;
    IConcernFundModule* watched = WatchedList();
    if (watched && !watched->isWatched(code))
        watched->addWatched(code);
}

void AssembleFinanceGrid::RemoveFromWatchList() {
    XStringW code;
    if (!CurrentCode(code))
        return;
    IConcernFundModule* watched = WatchedList();
    if (watched && watched->isWatched(code))
        watched->removeWatched(code);
}

XStringW AssembleFinanceGrid::ArchiveSite() {
    XComPtr<Conf::IConfManager> conf = app_ ? app_->getSystemConfManager() : nullptr;
    XComPtr<Conf::IConfKey> key = conf ? conf->getKey(kArchiveSiteKey) : nullptr;
    XComPtr<Conf::IConfValue> value = key ? key->getValue() : nullptr;
    return value ? value->getString().trim() : XStringW();
}

void AssembleFinanceGrid::OpenArchive() {
    XStringW code;
    if (!CurrentCode(code) || code.isEmpty() || code == L"--")
        return;
    if (chartModule_ && chartModule_->showArchive(code.c_str()))
        return;
    XStringW address = ArchiveAddress(ArchiveSite(), code);
    if (!address.isEmpty())
        ShellExecuteW(GetHwnd(), L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void AssembleFinanceGrid::AddToFundsPool() {
    if (!app_)
        return;
    XComPtr<IFundsPoolModule> pool(app_->getModule("mod_FundsPool"));
    XStringW code;
    if (pool && CurrentCode(code))
        pool->addFund(code);
}

void AssembleFinanceGrid::OnEnterItem() {
    try {
        XStringW code;
        if (!chartModule_ || !CurrentCode(code))
            return;
        chartModule_->showChart(code.c_str(), 0, displayView_.get(), 0);
    } catch (...) {
    }
}

void AssembleFinanceGrid::ReleaseHost() {
    menuTool_.reset();
    concernModule_.reset();
    chartModule_.reset();
    app_.reset();
}

bool AssembleFinanceGrid::TestHotKey(int vk, HotKeyIndex which, void (IMenuToolModule::*read)(HotKey&)) {
    if (!app_)
        return false;
    if (!menuTool_)
        menuTool_ = XComPtr<IMenuToolModule>(app_->getModule("mod_MenuTool"));
    if (!menuTool_)
        return false;
    // Read again every time: a binding changed in the menu tool counts from the next key.
    (menuTool_.get()->*read)(hotKeys_[which]);
    return hotKeys_[which].Matches(vk);
}

bool AssembleFinanceGrid::IsArchiveKey(int vk) {
    return TestHotKey(vk, ArchiveHotKey, &IMenuToolModule::getArchiveHotKey);
}

bool AssembleFinanceGrid::IsAddWatchKey(int vk) {
    return TestHotKey(vk, AddWatchHotKey, &IMenuToolModule::getAddWatchHotKey);
}

bool AssembleFinanceGrid::IsRemoveWatchKey(int vk) {
    return TestHotKey(vk, RemoveWatchHotKey, &IMenuToolModule::getRemoveWatchHotKey);
}

bool AssembleFinanceGrid::IsRefreshKey(int vk) {
    return TestHotKey(vk, RefreshHotKey, &IMenuToolModule::getRefreshHotKey);
}
