// Unloading the DLL while its refresh indicator animates, as a host that frees the library does:
// once after the host destroyed the page window, once with the page window still up. Each test
// loads the library afresh, so that FreeLibrary really unloads it.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include "host/client/ClientSession.h"
#include "host/client/TabControl.h"
#include "host/sampledata/SampleFile.h"

namespace {

const wchar_t kLibrary[] = L"mod_AssembleFinance.dll";

std::wstring scratch(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"module_unload_tests_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

Client::ClientOptions sessionOptions() {
    static const std::wstring file = [] {
        SampleOptions options;
        options.products = 20;
        options.days = 10;
        const std::wstring path = scratch(L"sample.db");
        std::string error;
        EXPECT_TRUE(writeSampleFile(path, options, nullptr, &error)) << error;
        return path;
    }();
    Client::ClientOptions o;
    o.databasePath = file;
    o.profileDir = scratch(L"profile");
    o.modulePath = kLibrary;
    return o;
}

BOOL CALLBACK findIndicator(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (wcscmp(name, L"Client2_GifWnd") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The visible indicator under the page: the module animates it from the moment it has its
// database.
HWND visibleIndicator(HWND page) {
    HWND found = nullptr;
    EnumChildWindows(page, &findIndicator, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Frees the library and reports how long that took. Before the worker could be told apart from
// its exit, this took a minute: the loader lock keeps a thread from exiting during an unload.
DWORD unload(HMODULE library) {
    const DWORD start = GetTickCount();
    EXPECT_TRUE(FreeLibrary(library));
    const DWORD elapsed = GetTickCount() - start;
    std::printf("FreeLibrary took %lu ms\n", static_cast<unsigned long>(elapsed));
    return elapsed;
}

} // namespace

TEST(ModuleUnload, AfterThePageWindowWasDestroyed) {
    HMODULE library = nullptr;
    {
        Client::ClientSession session(sessionOptions());
        ASSERT_TRUE(session.start());
        ASSERT_TRUE(session.module().ok());
        library = session.module().library;
        HWND page = session.frame()->tabControl()->pageWindow(0);
        ASSERT_NE(visibleIndicator(page), nullptr);
        // The frame and with it the page window go first.
        session.shutdown();
        EXPECT_FALSE(IsWindow(page));
    }
    EXPECT_LT(unload(library), 5000u);
    EXPECT_EQ(GetModuleHandleW(kLibrary), nullptr);
}

TEST(ModuleUnload, WithThePageWindowStillUpAndItsIndicatorAnimating) {
    HMODULE library = nullptr;
    {
        Client::ClientSession session(sessionOptions());
        ASSERT_TRUE(session.start());
        ASSERT_TRUE(session.module().ok());
        library = session.module().library;
        // The host lets go of the module but keeps its frame until after the unload.
        XComPtr<Client::MainFrame> frame(session.frame());
        HWND page = frame->tabControl()->pageWindow(0);
        HWND indicator = visibleIndicator(page);
        ASSERT_NE(indicator, nullptr);
        session.shutdown();
        ASSERT_TRUE(IsWindow(page));

        EXPECT_LT(unload(library), 5000u);
        EXPECT_EQ(GetModuleHandleW(kLibrary), nullptr);
        // The page took its windows with it: none is left with a procedure in freed code.
        EXPECT_FALSE(IsWindow(page));
        EXPECT_FALSE(IsWindow(indicator));
        // Destroying the frame now sends nothing into the freed library.
        frame = nullptr;
    }
}
