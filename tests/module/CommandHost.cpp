#include "tests/module/CommandHost.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include "host/client/ClientServices.h"
#include "host/client/GridExportDriver.h"
#include "module/host/Kernel.h"
#include "tests/wgui/TestWindows.h"
#include "tests/module/TestDbModule.h"

namespace commandtest {

namespace {

const wchar_t* const kProtocols[] = {L"http", L"https"};

std::wstring commandKey(const wchar_t* protocol) {
    return std::wstring(protocol) + L"\\shell\\open\\command";
}

bool readDefault(const std::wstring& key, std::wstring& value) {
    wchar_t buffer[1024] = {};
    LONG size = sizeof(buffer);
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), buffer, &size) != ERROR_SUCCESS)
        return false;
    value = buffer;
    return true;
}

void writeDefault(const std::wstring& key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

} // namespace

std::wstring scratch(const wchar_t* name) {
    return pagetest::scratchPath(name);
}

std::string readBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(h);
    return bytes;
}

CommandHost::CommandHost(const char* extraSql, int width)
    : CommandHost(pagetest::makeDatabase(L"commands.db", extraSql), width) {}

CommandHost::CommandHost(const std::wstring& databaseFile, int width) {
    // As the client does before it makes its frame (toolbar, status bar, tabs, date picker).
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    for (const char* name : {"event_theme_changed", "event_ConcernChanged", "event_update_buyredeemstate",
                             "event_update_lastvalue"})
        createEvent(name);
    database = XComPtr<pagetest::CountingDatabase>(
        new pagetest::CountingDatabase(pagetest::PageHarness::openHostDatabase(databaseFile)));
    app = pagetest::PageHarness::makeApp();
    XComPtr<Conf::IConfManager> user = app->getUserConfManager();
    // Lists from an earlier test start empty.
    user->removeKey(Client::ConcernFundModule::kKey);
    user->removeKey(Client::FundsPoolModule::kKey);
    user->removeKey(AssembleFinanceGrid::kHeaderKey);
    frame = XComPtr<Client::MainFrame>(new Client::MainFrame());
    EXPECT_TRUE(frame->create(L"commands test", nullptr))
        << "error " << GetLastError() << " hwnd " << frame->hwnd();
    SetWindowPos(frame->hwnd(), nullptr, 0, 0, width, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(frame->hwnd(), SW_SHOWNOACTIVATE);
    menuTool = XComPtr<Client::MenuToolModule>(new Client::MenuToolModule());
    watched = XComPtr<CountingConcern>(new CountingConcern(user.get()));
    fundsPool = XComPtr<Client::FundsPoolModule>(new Client::FundsPoolModule(user.get()));
    chart = XComPtr<Client::ChartModule>(new Client::ChartModule());
    app->addModule("mod_MainFrame", frame.get());
    app->addModule("mod_Database", XComPtr<IModule>(new moduletest::TestDbModule(database.get())).get());
    app->addModule("mod_MenuTool", menuTool.get());
    app->addModule("mod_ConcernFund", watched.get());
    app->addModule("mod_FundsPool", fundsPool.get());
    app->addModule("mod_Chart", chart.get());
}

CommandHost::~CommandHost() {
    module->uninitialize();
    if (frame) {
        frame->uninitialize();
        if (IsWindow(frame->hwnd()))
            DestroyWindow(frame->hwnd());
    }
    frame.reset();
    app->clear();
    module.reset();
}

void CommandHost::start() {
    XStringW error;
    ASSERT_EQ(module->initialize(app.get(), error), 0);
    frame->tabControl()->start();
    wguitest::pumpMessages();
}

bool CommandHost::select(const wchar_t* code) {
    Data::IDataView* view = grid().GetDisplayView();
    for (int i = 0; i < view->rowCount(); ++i)
        if (view->getRow(i).getItem(L"code").getText().compare(code) == 0) {
            grid().SetCurrSel(i);
            return true;
        }
    return false;
}

void CommandHost::rightClickSelected() {
    // The selected row is scrolled into view; find where it is drawn.
    const int row = grid().GetCurrSel();
    RECT client{};
    GetClientRect(gridWindow(), &client);
    for (int y = 0; y < client.bottom; ++y) {
        int area = 0;
        if (grid().HitTest(8, y, nullptr, &area) == row && area == XDataGrid::HitCell) {
            SendMessageW(gridWindow(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, y + 3));
            SendMessageW(gridWindow(), WM_RBUTTONUP, 0, MAKELPARAM(8, y + 3));
            wguitest::pumpMessages(); // the chosen item's WM_COMMAND
            return;
        }
    }
    ADD_FAILURE() << "the selected row is not drawn";
}

void CommandHost::setSystem(const wchar_t* path, const wchar_t* value) {
    XComPtr<Conf::IConfManager> system = app->getSystemConfManager();
    XComPtr<Conf::IConfValue> text = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    text->setString(value);
    system->openKey(path)->setValue(text.get());
}

BrowserRecorder::BrowserRecorder() : log_(scratch(L"browser.log")) {
    DeleteFileW(log_.c_str());
    const std::wstring recorder = Client::programDirectory() + L"\\url_recorder.exe";
    for (const wchar_t* protocol : kProtocols) {
        std::wstring previous;
        bool had = readDefault(commandKey(protocol), previous);
        saved_.push_back({protocol, had ? previous : std::wstring()});
        writeDefault(commandKey(protocol), L"\"" + recorder + L"\" \"" + log_ + L"\" \"%1\"");
    }
}

BrowserRecorder::~BrowserRecorder() {
    for (const auto& entry : saved_) {
        if (entry.second.empty())
            RegDeleteKeyW(HKEY_CLASSES_ROOT, commandKey(entry.first.c_str()).c_str());
        else
            writeDefault(commandKey(entry.first.c_str()), entry.second);
    }
    DeleteFileW(log_.c_str());
}

std::vector<std::wstring> BrowserRecorder::addresses(size_t count) {
    std::vector<std::wstring> lines;
    wguitest::pumpUntil(
        [&] {
            lines.clear();
            std::string bytes = readBytes(log_);
            size_t start = 0;
            for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
                lines.push_back(XStringW::fromUtf8(bytes.substr(start, end - start).c_str()).c_str());
            return lines.size() >= count;
        },
        10000);
    return lines;
}

} // namespace commandtest
