// The page at the market's full size: loadProductTable(quiet) for 20,000 and for 90,000
// collective products, each against the same three statements (the two date lookups and the
// product query, the exact texts the page ran) stepped with the raw SQLite API reading every
// column. The sizes take turns with their floors, round after round, so one busy stretch of the
// machine slows all four alike. Beside it, per size: the first load, the first full paint of
// the grid and the memory the two take, and the cost per product, so that growth that is not
// linear shows; and the date statements' counters, which must show index searches only.
#include <windows.h>
#include <gdiplus.h>
#include <sqlite3.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "bench/BenchSupport.h"
#include "host/client/ClientApp.h"
#include "host/client/ClientServices.h"
#include "host/database/HostDatabase.h"
#include "host/sampledata/SampleFile.h"
#include "page/AssembleFinancePage.h"

namespace {

using bench::nowMs;

const int kWidth = 1600, kHeight = 900;
const int kRounds = 9;
const int kFirstLoads = 5;

// Passes statements through to the host database and keeps their texts.
class RecordingDatabase final : public IDatabase {
public:
    explicit RecordingDatabase(XComPtr<IDatabase> inner) : inner_(std::move(inner)) {}
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    bool isOpen() override { return inner_->isOpen(); }
    bool query(const wchar_t* sql, Data::IDataTable* table, bool firstFill, int flags) override {
        statements.emplace_back(sql);
        return inner_->query(sql, table, firstFill, flags);
    }
    std::vector<std::wstring> statements;

private:
    XComPtr<IDatabase> inner_;
    int refs_ = 0;
};

std::string utf8(const std::wstring& text) {
    return XStringW(text.c_str()).toUtf8().c_str();
}

// The process's committed private memory, summed over its regions (Wine leaves the private
// usage of the process counters at zero).
double privateBytes() {
    double total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;
         address = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += double(info.RegionSize);
        if (info.RegionSize == 0)
            break;
    }
    return total;
}

// One market size: its sample file, a hidden page over it wired as the module wires it, and the
// raw connection of the floor.
struct Market {
    int products = 0;
    std::wstring file;
    SampleSummary summary;
    XComPtr<RecordingDatabase> db;
    HWND parent = nullptr;
    std::unique_ptr<AssembleFinancePage> page;
    std::vector<std::wstring> statements;
    sqlite3* raw = nullptr;
    double firstLoadMs = 0, firstPaintMs = 0, memory = 0;
    std::vector<double> rawTimes, loadTimes;
    int rawRows = 0;
};

bool openMarket(Market& m, Client::ClientApp* app, ITheme* theme) {
    m.db = XComPtr<RecordingDatabase>(new RecordingDatabase(openDatabase(m.file.c_str(), 1000)));
    if (!m.db->isOpen())
        return false;
    const double before = privateBytes();
    m.parent = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    m.page = std::make_unique<AssembleFinancePage>();
    m.page->attachHost(app);
    m.page->create(m.parent, nullptr);
    m.page->move(0, 0, kWidth, kHeight);
    m.page->applyTheme(theme);
    m.page->setDatabase(m.db.get());

    double start = nowMs();
    m.page->loadProductTable(true); // the first fill builds the columns
    m.firstLoadMs = nowMs() - start;
    if (m.db->statements.size() != 3)
        return false;
    m.statements = m.db->statements;

    // The first full paint of the grid, into a memory bitmap of its size.
    HWND gridWindow = m.page->productGrid().GetHwnd();
    RECT client = {};
    GetClientRect(gridWindow, &client);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    start = nowMs();
    m.page->productGrid().Render(memory);
    GdiFlush();
    m.firstPaintMs = nowMs() - start;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    m.memory = privateBytes() - before;

    if (sqlite3_open_v2(utf8(m.file).c_str(), &m.raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return false;
    bench::likeHostConnection(m.raw);
    return true;
}

// The floor prepares each statement as the host must (the texts change with the dates).
double runRaw(Market& m, double& sink) {
    const double start = nowMs();
    m.rawRows = 0;
    for (const std::wstring& sql : m.statements) {
        bench::MappedLikeHost mapped(m.raw);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m.raw, utf8(sql).c_str(), -1, &stmt, nullptr);
        m.rawRows += bench::stepAllColumns(stmt, sink);
        sqlite3_finalize(stmt);
    }
    return nowMs() - start;
}

// The two date statements at this size must find their row through indexes: no full-scan step,
// no temporary sort, no automatic index.
void checkDateStatements(Market& m) {
    for (size_t i = 0; i < 2 && i < m.statements.size(); ++i) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m.raw, utf8(m.statements[i]).c_str(), -1, &stmt, nullptr);
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ++rows;
        const int scans = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_FULLSCAN_STEP, 0);
        const int sorts = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_SORT, 0);
        const int autoIndexes = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_AUTOINDEX, 0);
        const int steps = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_VM_STEP, 0);
        sqlite3_finalize(stmt);
        char what[96], detail[160];
        std::snprintf(what, sizeof what, "%s date statement, %d products", i == 0 ? "end" : "begin",
                      m.products);
        std::snprintf(detail, sizeof detail,
                      "%d row, full-scan steps %d, sorts %d, automatic indexes %d, VM steps %d", rows, scans,
                      sorts, autoIndexes, steps);
        bench::check(what, rows == 1 && scans == 0 && sorts == 0 && autoIndexes == 0, detail);
    }
}

// A page new to the market, on a connection of its own (no page of the file read yet): its first
// load into the empty table, then a reload.
void firstLoadOverReload(const Market& m, Client::ClientApp* app, ITheme* theme) {
    XComPtr<IDatabase> db = openDatabase(m.file.c_str(), 1000);
    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    {
        AssembleFinancePage page;
        page.attachHost(app);
        page.create(parent, nullptr);
        page.move(0, 0, kWidth, kHeight);
        page.applyTheme(theme);
        page.setDatabase(db.get());
        double start = nowMs();
        page.loadProductTable(true);
        const double first = nowMs() - start;
        start = nowMs();
        page.loadProductTable(true);
        const double reload = nowMs() - start;
        char work[64];
        std::snprintf(work, sizeof work, "first load over a reload, %d products", m.products);
        bench::result(work, "a reload of the same page", 1.5, first / reload);
        DestroyWindow(page.hwnd);
    }
    DestroyWindow(parent);
}

void closeMarket(Market& m) {
    if (m.page) {
        DestroyWindow(m.page->hwnd);
        m.page.reset();
    }
    if (m.parent)
        DestroyWindow(m.parent);
    if (m.raw)
        sqlite3_close(m.raw);
    m.db = nullptr;
    DeleteFileW(m.file.c_str());
}

} // namespace

int main() {
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring profile = std::wstring(folder) + L"af_bench_page_profile";
    CreateDirectoryW(profile.c_str(), nullptr);

    Market markets[2];
    markets[0].products = 20000;
    markets[1].products = kMaxSampleProducts;
    for (Market& m : markets) {
        m.file = std::wstring(folder) + L"af_bench_page_" + std::to_wstring(m.products) + L".db";
        SampleOptions options;
        options.products = m.products;
        options.days = 10;
        std::string error;
        const double start = nowMs();
        if (!writeSampleFile(m.file, options, &m.summary, &error)) {
            std::fprintf(stderr, "bench_page: cannot write the sample: %s\n", error.c_str());
            return 1;
        }
        std::printf("sample: %d collective + %d other products, %lld values, written in %.0f ms\n",
                    m.summary.collectiveProducts, m.summary.otherProducts, m.summary.valueRows,
                    nowMs() - start);
    }

    Client::HostServices services = Client::createHostServices(profile, Client::programDirectory());
    XComPtr<Client::ClientApp> app(new Client::ClientApp());
    app->setThemeManager(services.themeMgr.get());
    app->setConfManagers(services.systemConf.get(), services.userConf.get());
    XComPtr<ITheme> theme = services.themeMgr ? services.themeMgr->getCurrentTheme() : nullptr;

    // The smaller market stays open while the larger one loads, so the larger one's memory is
    // new memory rather than the smaller one's freed blocks taken again.
    for (Market& m : markets) {
        if (!openMarket(m, app.get(), theme.get())) {
            std::fprintf(stderr, "bench_page: the %d-product sample does not load as three statements\n",
                         m.products);
            return 1;
        }
        checkDateStatements(m);
    }

    double sink = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (Market& m : markets) {
            // The floor is stepped just before and just after the load and the two averaged, so
            // that a busy moment on either side moves the floor as much as the load.
            const double before = runRaw(m, sink);
            const double start = nowMs();
            m.page->loadProductTable(true);
            m.loadTimes.push_back(nowMs() - start);
            m.rawTimes.push_back((before + runRaw(m, sink)) / 2);
            char work[64];
            std::snprintf(work, sizeof work, "loadProductTable(quiet), %d products", m.products);
            bench::result(work, "the three statements stepped raw", 1.15,
                          m.loadTimes.back() / m.rawTimes.back());
        }
        const Market &small = markets[0], &large = markets[1];
        bench::result("load cost per product, 90,000 vs 20,000", "the same at 20,000 products", 1.10,
                      (large.loadTimes.back() / large.products) / (small.loadTimes.back() / small.products));
    }
    bench::result("memory per product, 90,000 vs 20,000", "the same at 20,000 products", 1.10,
                  (markets[1].memory / markets[1].products) / (markets[0].memory / markets[0].products));
    for (Market& m : markets)
        for (int repeat = 0; repeat < kFirstLoads; ++repeat)
            firstLoadOverReload(m, app.get(), theme.get());

    for (Market& m : markets)
        std::printf("%d products: dates %s .. %s; %d product rows, %d raw rows%s\n", m.products,
                    utf8(m.page->getBeginDate().c_str()).c_str(), utf8(m.page->getEndDate().c_str()).c_str(),
                    m.page->productGrid().GetProductTable()->rowCount(), m.rawRows,
                    sink == 0 ? ", empty result" : "");
    const Market &a = markets[0], &b = markets[1];
    const auto row = [&](const char* what, double x, double y, const char* unit) {
        std::printf("  %-34s %10.2f %10.2f  %s\n", what, x, y, unit);
    };
    std::printf("  %-34s %10d %10d\n", "products", a.products, b.products);
    row("three statements raw (fastest)", bench::fastest(a.rawTimes), bench::fastest(b.rawTimes), "ms");
    row("loadProductTable(quiet) (fastest)", bench::fastest(a.loadTimes), bench::fastest(b.loadTimes), "ms");
    row("  per product", 1000 * bench::fastest(a.loadTimes) / a.products,
        1000 * bench::fastest(b.loadTimes) / b.products, "us");
    row("first load (empty table)", a.firstLoadMs, b.firstLoadMs, "ms");
    row("  per product", 1000 * a.firstLoadMs / a.products, 1000 * b.firstLoadMs / b.products, "us");
    row("first full paint", a.firstPaintMs, b.firstPaintMs, "ms");
    row("memory of first load and paint", a.memory / 1048576, b.memory / 1048576, "MiB");
    row("  per product", a.memory / a.products, b.memory / b.products, "bytes");

    for (Market& m : markets)
        closeMarket(m);
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
