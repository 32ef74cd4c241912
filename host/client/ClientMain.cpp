// Client.exe: the stand-in host. Starts GDI+ (the modules decode images with it), reads the
// command line, runs one session and prints its summary.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <shellapi.h>
#include <vector>
#include "ClientOptions.h"
#include "ClientSession.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i)
        args.emplace_back(argv[i]);
    if (argv)
        LocalFree(argv);
    Client::ClientOptions options = Client::ClientOptions::parse(args);
    if (!options.ok) {
        Client::writeConsole(options.error + L"\n" + Client::ClientOptions::usage() + L"\n");
        return 2;
    }

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    int code = 1;
    {
        Client::ClientSession session(options);
        if (session.start())
            code = session.run();
        else
            session.shutdown();
        std::wstring text;
        for (const std::wstring& line : session.summary())
            text += line + L"\n";
        Client::writeConsole(text);
    }

    if (SUCCEEDED(com))
        CoUninitialize();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return code;
}
