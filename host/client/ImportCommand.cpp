#include "ImportCommand.h"

#include <commdlg.h>
#include <atomic>
#include <thread>
#include "ImportProgressWindow.h"
#include "XString.h"

namespace Client {

namespace {

// A quick import shows no progress window at all.
constexpr DWORD kProgressDelayMs = 400;

std::string utf8(const std::wstring& text) {
    const XStringA bytes = XStringW(text.c_str()).toUtf8();
    return std::string(bytes.c_str(), static_cast<size_t>(bytes.length()));
}

} // namespace

std::vector<ImportRequest> importRequests(const std::vector<ClientOptions::ImportStep>& steps) {
    std::vector<ImportRequest> requests;
    for (const ClientOptions::ImportStep& step : steps)
        requests.push_back({step.path, utf8(step.code)});
    return requests;
}

std::vector<std::wstring> chooseImportFiles(HWND owner) {
    std::wstring buffer(1 << 16, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"数据文件 (*.csv;*.txt;*.tsv)\0*.csv;*.txt;*.tsv\0所有文件 (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = &buffer[0];
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = L"导入数据";
    ofn.Flags =
        OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn))
        return {};
    // One file: its whole path. Several: the folder, then each name, each ending in a zero.
    std::vector<std::wstring> parts;
    for (const wchar_t* p = buffer.c_str(); *p; p += wcslen(p) + 1)
        parts.emplace_back(p);
    if (parts.size() <= 1)
        return parts;
    std::vector<std::wstring> files;
    std::wstring folder = parts[0];
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    for (size_t i = 1; i < parts.size(); ++i)
        files.push_back(folder + parts[i]);
    return files;
}

ImportReport importWithProgress(HWND owner, const std::wstring& database,
                                const std::vector<ImportRequest>& files) {
    std::atomic<uint64_t> done{0}, total{0};
    std::atomic<bool> cancel{false};
    DataImporter importer(database);
    importer.setProgress([&](uint64_t d, uint64_t t) {
        done = d;
        total = t;
        return !cancel.load();
    });
    ImportReport report;
    HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!finished)
        return importer.run(files);
    std::thread worker([&] {
        try {
            report = importer.run(files);
        } catch (...) {
            report = ImportReport();
            for (const ImportRequest& f : files) {
                report.files.emplace_back(f.path);
                report.files.back().failure = "out of memory";
            }
        }
        SetEvent(finished);
    });

    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    ImportProgressWindow progress;
    const DWORD start = GetTickCount();
    int quitCode = 0;
    bool quit = false;
    while (MsgWaitForMultipleObjects(1, &finished, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The client is ending: stop the import and leave the quit for the main loop.
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                cancel = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!progress.hwnd() && !quit && GetTickCount() - start >= kProgressDelayMs)
            progress.create(owner);
        progress.setProgress(done, total);
        if (progress.cancelRequested())
            cancel = true;
    }
    worker.join();
    CloseHandle(finished);
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    if (quit)
        PostQuitMessage(quitCode);
    return report;
}

std::wstring importResultText(const ImportReport& report) {
    std::wstring title;
    if (report.cancelled)
        title = L"导入已取消，数据库没有任何改变。";
    else if (report.allImported())
        title = L"导入完成。";
    else
        title = L"有文件未能导入：出错的文件不导入任何数据。";
    return title + L"\n\n" + report.detailText();
}

void showImportResult(HWND owner, const ImportReport& report) {
    const std::wstring text = importResultText(report);
    MessageBoxW(owner, text.c_str(), L"导入数据",
                MB_OK | (report.allImported() ? MB_ICONINFORMATION : MB_ICONWARNING));
}

} // namespace Client
