// The product grid's export (ExportTo, the part after the save dialog) of 20,000 and of 100,000
// shown products, against writing the very bytes it wrote with fopen/fwrite/fclose. The two take
// turns, each encoding and separator once per round. Every column was drawn first, so cells are
// formatted as the grid shows them. Also the export's peak extra memory: the most heap it held at
// once beyond what was held before it began, counted by this program's operator new (the grid
// and the export's text are linked into it); it must not grow with the rows.
#include <windows.h>
#include <gdiplus.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include "bench/BenchReport.h"
#include "host/client/ClientApp.h"
#include "host/client/ClientServices.h"
#include "host/database/HostDatabase.h"
#include "host/sampledata/SampleFile.h"
#include "module/host/File.h"
#include "module/host/Kernel.h"
#include "grid/ExportText.h"
#include "page/AssembleFinancePage.h"

namespace {

std::atomic<long long> heapBytes{0};
std::atomic<long long> heapPeak{0};

// Each block carries its size in front, so that delete knows what it gives back.
constexpr size_t kBlockHeader = 16;

void* countedNew(size_t size) {
    char* block = static_cast<char*>(std::malloc(size + kBlockHeader));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<size_t*>(block) = size;
    const long long now = heapBytes += static_cast<long long>(size);
    long long peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
    return block + kBlockHeader;
}

void countedDelete(void* p) noexcept {
    if (!p)
        return;
    char* block = static_cast<char*>(p) - kBlockHeader;
    heapBytes -= static_cast<long long>(*reinterpret_cast<size_t*>(block));
    std::free(block);
}

} // namespace

void* operator new(size_t size) {
    return countedNew(size);
}
void* operator new[](size_t size) {
    return countedNew(size);
}
void operator delete(void* p) noexcept {
    countedDelete(p);
}
void operator delete[](void* p) noexcept {
    countedDelete(p);
}
void operator delete(void* p, size_t) noexcept {
    countedDelete(p);
}
void operator delete[](void* p, size_t) noexcept {
    countedDelete(p);
}

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

// Each product row of the table once more, copies times: a market larger than the sample's.
void repeatRows(Data::IDataTable* table, int copies) {
    const int rows = table->rowCount(), columns = table->columnCount();
    XComPtr<Data::IUpdateContext> context = table->beginUpdate();
    table->reserveRows(rows * copies);
    for (int copy = 0; copy < copies; ++copy)
        for (int r = 0; r < rows; ++r) {
            Data::IDataRow& from = table->getRow(r);
            Data::IDataRow& to = table->getRow(table->addRow());
            for (int c = 0; c < columns; ++c) {
                Data::IDataItem& cell = from.getItem(c);
                // A column typed by its first value may hold reals beside integers: numbers
                // are copied as reals, which read as the same texts.
                if (cell.isNull())
                    continue;
                if (table->getColumn(c)->getValueType() == Data::ValueText)
                    to.getItem(c).setText(cell.getText().c_str());
                else
                    to.getItem(c).setDouble(cell.getDouble());
            }
        }
    context->commit();
}

struct Case {
    const wchar_t* name;
    int filter;
    const char* encoding;
    double exportMs = 1e300, fwriteMs = 1e300;
    size_t bytes = 0;
};

struct Size {
    const char* label;
    int copies; // extra copies of the 20,000 products' rows
    int rows = 0;
    long long peakBytes = 0;
    double cellsMs = 0, fieldsMs = 0, fileMs = 1e300;
    Case cases[3] = {{L"af_bench_export.csv", 1, "UTF-16 comma-separated"},
                     {L"af_bench_export_utf8.csv", 2, "UTF-8 comma-separated"},
                     {L"af_bench_export.xls", 3, "UTF-16 tab-separated"}};
};

// Where the time goes, each part in chunks of 200 rows taken at their best of 9 (a chunk is too
// short to be preempted often): every column's cells read as the export reads them, the fields
// written as text, and "File.File" writing the finished bytes in the export's pieces.
void phases(AssembleFinanceGrid& grid, const std::wstring& path, const std::string& bytes, Size& size,
            bool columns) {
    std::vector<GeneralDataGrid::CellReader> readers;
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        readers.push_back(grid.ReadColumn(grid.GetColumn(c)));
    const int rows = grid.GetRowsCount();
    Data::IDataView* view = grid.GetDisplayView();
    XStringW text;
    auto bestOfChunks = [rows](const std::function<void(int, int)>& work) {
        double total = 0;
        for (int from = 0; from < rows; from += 200) {
            double best = 1e300;
            for (int round = 0; round < 9; ++round) {
                const double start = nowMs();
                work(from, std::min(rows, from + 200));
                best = std::min(best, nowMs() - start);
            }
            total += best;
        }
        return total;
    };
    if (columns) {
        for (const GeneralDataGrid::CellReader& reader : readers) {
            const double ms = bestOfChunks([&](int from, int to) {
                for (int r = from; r < to; ++r)
                    grid.ReadCell(&view->getRow(r), r, reader, text);
            });
            std::printf("    %-20ls %6.1f ns a cell\n", reader.name.c_str(), ms * 1e6 / rows);
        }
    }
    ExportText out(L',', false);
    out.reserve(1 << 20);
    size.cellsMs = bestOfChunks([&](int from, int to) {
        for (int r = from; r < to; ++r) {
            Data::IDataRow* cells = &view->getRow(r);
            for (const GeneralDataGrid::CellReader& reader : readers)
                grid.ReadCell(cells, r, reader, text);
        }
    });
    size.fieldsMs = bestOfChunks([&](int from, int to) {
                        for (int r = from; r < to; ++r) {
                            Data::IDataRow* cells = &view->getRow(r);
                            for (const GeneralDataGrid::CellReader& reader : readers) {
                                grid.ReadCell(cells, r, reader, text);
                                out.field(text);
                            }
                            out.endLine();
                        }
                        out.clear();
                    }) -
                    size.cellsMs;
    for (int round = 0; round < 3; ++round) {
        const double start = nowMs();
        XComPtr<IFile> file = createInstanceAs<IFile>("File.File");
        file->open(path.c_str(), FileModeCreateWrite);
        for (size_t at = 0; at < bytes.size(); at += 64 * 1024)
            file->write(bytes.data() + at, int64_t(std::min<size_t>(64 * 1024, bytes.size() - at)));
        file->close();
        size.fileMs = std::min(size.fileMs, nowMs() - start);
    }
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
    AssembleFinanceGrid& grid = page->productGrid();

    const std::wstring floorPath = std::wstring(folder) + L"af_bench_export_floor.bin";
    Size sizes[] = {{"20,000", 0}, {"100,000", 4}};
    for (Size& size : sizes) {
        page->loadProductTable(true);
        if (size.copies)
            repeatRows(grid.GetProductTable(), size.copies);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 1800, 600);
        HGDIOBJ old = SelectObject(dc, bitmap);
        grid.Render(dc);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        size.rows = grid.GetRowsCount();

        for (int round = 0; round < 7; ++round) {
            for (Case& c : size.cases) {
                const std::wstring path = std::wstring(folder) + c.name;
                const long long before = heapBytes.load();
                heapPeak = before;
                double start = nowMs();
                if (!grid.ExportTo(path.c_str(), c.filter)) {
                    std::fprintf(stderr, "bench_export: the export failed\n");
                    return 1;
                }
                const double exportMs = nowMs() - start;
                size.peakBytes = std::max(size.peakBytes, heapPeak.load() - before);
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
                const std::string work = std::string("export, ") + c.encoding + ", " + size.label + " rows";
                bench::result(work.c_str(), "fwrite of the same bytes", 3.0, exportMs / fwriteMs);
                DeleteFileW(path.c_str());
            }
        }
        if (size.copies == 0)
            std::printf("every cell of a column, as the export reads it, at %d rows:\n", size.rows);
        phases(grid, floorPath, readAll(floorPath), size, size.copies == 0);
    }

    for (const Size& size : sizes) {
        std::printf("export of %d shown rows, %d columns, best of 7; peak extra memory %.1f KiB\n", size.rows,
                    grid.GetColumnCount(), double(size.peakBytes) / 1024);
        for (const Case& c : size.cases)
            std::printf(
                "  %-26ls %9zu bytes  fwrite (floor) %7.2f ms  export %7.2f ms  ratio %.2fx (goal <= 3x)\n",
                c.name, c.bytes, c.fwriteMs, c.exportMs, c.exportMs / c.fwriteMs);
        std::printf("  of which, at their best: every cell's text %.2f ms, their fields %.2f ms; "
                    "\"File.File\" writing "
                    "the last file in pieces %.2f ms\n",
                    size.cellsMs, size.fieldsMs, size.fileMs);
    }
    // Pieces of a fixed size: what the export holds must not follow the file's size.
    const long long small = sizes[0].peakBytes, large = sizes[1].peakBytes;
    char detail[160];
    std::snprintf(detail, sizeof(detail), "%.1f KiB at %d rows, %.1f KiB at %d rows", double(small) / 1024,
                  sizes[0].rows, double(large) / 1024, sizes[1].rows);
    bench::check("export's peak extra memory does not grow with the rows", large <= small + small / 10 + 4096,
                 detail);

    DeleteFileW(floorPath.c_str());
    DestroyWindow(page->hwnd);
    page.reset();
    DestroyWindow(parent);
    DeleteFileW(file.c_str());
    CoUninitialize();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
