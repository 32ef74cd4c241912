// loadProductTable(quiet) for 20,000 collective products, against running the same three
// statements (the two date lookups and the product query, the exact texts the page ran) with the
// raw SQLite API, stepping every row and reading every column. The two take turns; best of each.
#include <windows.h>
#include <gdiplus.h>
#include <sqlite3.h>
#include <algorithm>
#include <cstdio>
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

} // namespace

int main() {
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"af_bench_page.db";
    const std::wstring profile = std::wstring(folder) + L"af_bench_page_profile";
    CreateDirectoryW(profile.c_str(), nullptr);

    SampleOptions options;
    options.products = 20000;
    options.days = 10;
    SampleSummary summary;
    std::string error;
    if (!writeSampleFile(file, options, &summary, &error)) {
        std::fprintf(stderr, "bench_page: cannot write the sample: %s\n", error.c_str());
        return 1;
    }

    Client::HostServices services = Client::createHostServices(profile, Client::programDirectory());
    XComPtr<Client::ClientApp> app(new Client::ClientApp());
    app->setThemeManager(services.themeMgr.get());
    app->setConfManagers(services.systemConf.get(), services.userConf.get());

    XComPtr<RecordingDatabase> db(new RecordingDatabase(openDatabase(file.c_str(), 1000)));
    if (!db->isOpen()) {
        std::fprintf(stderr, "bench_page: the sample does not open\n");
        return 1;
    }

    // A hidden page in a hidden frame, wired as the module wires it.
    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 1200, 800, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    auto page = std::make_unique<AssembleFinancePage>();
    page->attachHost(app.get());
    page->create(parent, nullptr);
    page->move(0, 0, 1200, 800);
    XComPtr<ITheme> theme = services.themeMgr ? services.themeMgr->getCurrentTheme() : nullptr;
    page->applyTheme(theme.get());
    page->setDatabase(db.get());

    page->loadProductTable(true); // first fill builds the columns
    if (db->statements.size() != 3) {
        std::fprintf(stderr, "bench_page: the load ran %zu statements\n", db->statements.size());
        return 1;
    }
    const std::vector<std::wstring> statements = db->statements;

    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(utf8(file).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench_page: %s\n", sqlite3_errmsg(raw));
        return 1;
    }
    double sink = 0;
    int rawRows = 0;
    // The floor prepares each statement as the host must (the texts change with the dates).
    auto runRaw = [&] {
        rawRows = 0;
        for (const std::wstring& sql : statements) {
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(raw, utf8(sql).c_str(), -1, &stmt, nullptr);
            rawRows += bench::stepAllColumns(stmt, sink);
            sqlite3_finalize(stmt);
        }
    };

    double rawMs = 1e300, loadMs = 1e300;
    for (int round = 0; round < 9; ++round) {
        double start = nowMs();
        runRaw();
        rawMs = std::min(rawMs, nowMs() - start);
        start = nowMs();
        page->loadProductTable(true);
        loadMs = std::min(loadMs, nowMs() - start);
    }

    std::printf("sample: %d collective + %d other products, %lld values\n", summary.collectiveProducts,
                summary.otherProducts, summary.valueRows);
    std::printf("dates: %s .. %s; %d product rows\n", utf8(page->getBeginDate().c_str()).c_str(),
                utf8(page->getEndDate().c_str()).c_str(), page->productGrid().GetProductTable()->rowCount());
    std::printf("  three statements, raw SQLite (floor): %8.2f ms\n", rawMs);
    std::printf("  loadProductTable(quiet):              %8.2f ms   ratio %.2fx (goal <= 1.3x)\n", loadMs,
                loadMs / rawMs);
    std::printf("  (%d raw rows%s)\n", rawRows, sink == 0 ? ", empty result" : "");

    DestroyWindow(page->hwnd);
    page.reset();
    DestroyWindow(parent);
    sqlite3_close(raw);
    DeleteFileW(file.c_str());
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
