// The product grid's export (ExportTo, the part after the save dialog) of 20,000 shown products,
// against writing the very bytes it wrote with fopen/fwrite/fclose. The two take turns, each
// encoding and separator once per round; best of each. Every column was drawn first, so cells
// are formatted as the grid shows them.
#include <windows.h>
#include <gdiplus.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include "bench/BenchReport.h"
#include "host/client/ClientApp.h"
#include "host/client/ClientServices.h"
#include "host/database/HostDatabase.h"
#include "host/sampledata/SampleFile.h"
#include "module/host/File.h"
#include "module/host/Kernel.h"
#include "page/AssembleFinancePage.h"

namespace {

using bench::nowMs;

std::string readAll(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return bytes;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

bool fwriteAll(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main() {
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"af_bench_export.db";
    const std::wstring profile = std::wstring(folder) + L"af_bench_export_profile";
    CreateDirectoryW(profile.c_str(), nullptr);
    SampleOptions options;
    options.products = 20000;
    options.days = 10;
    std::string error;
    if (!writeSampleFile(file, options, nullptr, &error)) {
        std::fprintf(stderr, "bench_export: cannot write the sample: %s\n", error.c_str());
        return 1;
    }

    Client::HostServices services = Client::createHostServices(profile, Client::programDirectory());
    XComPtr<Client::ClientApp> app(new Client::ClientApp());
    app->setThemeManager(services.themeMgr.get());
    app->setConfManagers(services.systemConf.get(), services.userConf.get());
    services.userConf->removeKey(AssembleFinanceGrid::kHeaderKey);
    XComPtr<IDatabase> db = openDatabase(file.c_str(), 1000);

    // A page wide enough to draw every column once, as the user sees them before exporting.
    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 1800, 600, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    auto page = std::make_unique<AssembleFinancePage>();
    page->attachHost(app.get());
    page->create(parent, nullptr);
    page->move(0, 0, 1800, 600);
    XComPtr<ITheme> theme = services.themeMgr ? services.themeMgr->getCurrentTheme() : nullptr;
    page->applyTheme(theme.get());
    page->setDatabase(db.get());
    page->loadProductTable(true);
    AssembleFinanceGrid& grid = page->productGrid();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1800, 600);
    HGDIOBJ old = SelectObject(dc, bitmap);
    grid.Render(dc);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    const int rows = grid.GetRowsCount();

    struct Case {
        const wchar_t* name;
        int filter;
        const char* work;
        double exportMs = 1e300, fwriteMs = 1e300;
        size_t bytes = 0;
    } cases[] = {{L"af_bench_export.csv", 1, "export, UTF-16 comma-separated"},
                 {L"af_bench_export_utf8.csv", 2, "export, UTF-8 comma-separated"},
                 {L"af_bench_export.xls", 3, "export, UTF-16 tab-separated"}};
    const std::wstring floorPath = std::wstring(folder) + L"af_bench_export_floor.bin";
    for (int round = 0; round < 7; ++round) {
        for (Case& c : cases) {
            const std::wstring path = std::wstring(folder) + c.name;
            double start = nowMs();
            if (!grid.ExportTo(path.c_str(), c.filter)) {
                std::fprintf(stderr, "bench_export: the export failed\n");
                return 1;
            }
            const double exportMs = nowMs() - start;
            c.exportMs = std::min(c.exportMs, exportMs);
            const std::string bytes = readAll(path);
            c.bytes = bytes.size();
            start = nowMs();
            if (!fwriteAll(floorPath, bytes)) {
                std::fprintf(stderr, "bench_export: the floor failed\n");
                return 1;
            }
            const double fwriteMs = nowMs() - start;
            c.fwriteMs = std::min(c.fwriteMs, fwriteMs);
            bench::result(c.work, "fwrite of the same bytes", 3.0, exportMs / fwriteMs);
            DeleteFileW(path.c_str());
        }
    }
    // Where the time goes: the cell texts alone, and the host file alone.
    double cellsMs = 1e300, fileMs = 1e300, freshMs = 1e300;
    {
        std::vector<HeaderInfo2> columns;
        for (int c = 0; c < grid.GetColumnCount(); ++c)
            columns.emplace_back(grid.GetColumn(c).name);
        const std::string bytes = readAll(floorPath);
        for (int round = 0; round < 3; ++round) {
            double start = nowMs();
            size_t total = 0;
            XStringW text;
            for (int r = 0; r < rows; ++r)
                for (const HeaderInfo2& column : columns) {
                    grid.GetItemText(r, column, text);
                    total += size_t(text.length());
                }
            cellsMs = std::min(cellsMs, nowMs() - start);
            start = nowMs();
            XComPtr<IFile> out = createInstanceAs<IFile>("File.File");
            out->open(floorPath.c_str(), FileModeCreateWrite);
            out->write(bytes.data(), int64_t(bytes.size()));
            out->close();
            fileMs = std::min(fileMs, nowMs() - start);
            // The export builds the whole file in new memory; under Wine every new page costs a
            // fault on first touch, which the floor (writing bytes already in memory) never pays.
            start = nowMs();
            {
                std::unique_ptr<char[]> fresh(new char[bytes.size() + 1]);
                std::memset(fresh.get(), 1, bytes.size() + 1);
                total += size_t(fresh[bytes.size() / 2]);
            }
            freshMs = std::min(freshMs, nowMs() - start);
            if (total == 0)
                std::printf("no text\n");
        }
    }
    std::printf("  of which: every cell's GetItemText %.2f ms; \"File.File\" writing the last file %.2f ms; "
                "first touch of new memory of its size %.2f ms\n",
                cellsMs, fileMs, freshMs);
    std::printf("export of %d shown rows, %d columns, best of 7\n", rows, grid.GetColumnCount());
    for (const Case& c : cases)
        std::printf(
            "  %-26ls %8zu bytes  fwrite (floor) %7.2f ms  export %7.2f ms  ratio %.2fx (goal <= 3x)\n",
            c.name, c.bytes, c.fwriteMs, c.exportMs, c.exportMs / c.fwriteMs);

    DeleteFileW(floorPath.c_str());
    DestroyWindow(page->hwnd);
    page.reset();
    DestroyWindow(parent);
    DeleteFileW(file.c_str());
    CoUninitialize();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
