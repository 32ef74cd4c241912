// The import as people script it: Client.exe --import in a process of its own, its summary
// lines, and the database after the process is killed in the middle of an import.
#include <gtest/gtest.h>
#include <windows.h>
#include <sqlite3.h>
#include <string>
#include <vector>
#include "ClientDatabase.h"
#include "ClientOptions.h"
#include "HostDatabase.h"
#include "ImportCommand.h"
#include "ImportProgressWindow.h"
#include "Kernel.h"
#include "ProductSchema.h"

using namespace Client;

namespace {

std::wstring folder() {
    static const std::wstring dir = [] {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        std::wstring d = std::wstring(base) + L"client_import_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(d.c_str(), nullptr);
        return d + L"\\";
    }();
    return dir;
}

std::wstring programFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

std::string utf8(const std::wstring& w) {
    return XStringW(w.c_str()).toUtf8().c_str();
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// A database with the product tables and products 300001.. (count of them).
void makeDatabase(const std::wstring& path, int count) {
    DeleteFileW(path.c_str());
    DeleteFileW((path + L"-journal").c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open16(path.c_str(), &db));
    std::string sql = std::string(kProductSchema) + "begin;";
    for (int i = 0; i < count; ++i)
        sql += "insert into tb_fund (code, name, fundtype) values ('" + std::to_string(300001 + i) +
               "', '产品', '集合理财产品');";
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, (sql + "commit;").c_str(), nullptr, nullptr, nullptr));
    sqlite3_close(db);
}

std::string scalar(const std::wstring& path, const char* sql) {
    sqlite3* db = nullptr;
    std::string out = "(no database)";
    if (sqlite3_open16(path.c_str(), &db) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        out = "(failed)";
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return out;
}

struct ClientRun {
    PROCESS_INFORMATION pi{};
    std::wstring output;
};

// Starts Client.exe with args, its standard output into a file.
bool startClient(const std::wstring& args, ClientRun& run) {
    run.output = folder() + L"client-output-" + std::to_wstring(GetTickCount()) + L".txt";
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out =
        CreateFileW(run.output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    std::wstring command = L"\"" + programFolder() + L"Client.exe\" " + args;
    const bool ok =
        CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &run.pi);
    CloseHandle(out);
    return ok;
}

std::string finish(ClientRun& run, DWORD waitMs = 120000) {
    EXPECT_EQ(WaitForSingleObject(run.pi.hProcess, waitMs), WAIT_OBJECT_0);
    CloseHandle(run.pi.hThread);
    CloseHandle(run.pi.hProcess);
    std::string text;
    HANDLE h = CreateFileW(run.output.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD got = 0;
    while (h != INVALID_HANDLE_VALUE && ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got)
        text.append(buffer, got);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return text;
}

uint64_t fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A values file of kProducts × kDays lines (about 12 MB): an import of a second or more.
constexpr int kProducts = 500, kDays = 800;
std::wstring largeValuesFile() {
    const std::wstring path = folder() + L"big.csv";
    if (fileSize(path) > 0)
        return path;
    std::string csv = "code,date,value,totalvalue\n";
    csv.reserve(size_t(kProducts) * kDays * 32);
    for (int p = 0; p < kProducts; ++p)
        for (int d = 0; d < kDays; ++d) {
            char line[64];
            std::snprintf(line, sizeof line, "%d,%04d-%02d-%02d,%d.%04d,1.5\n", 300001 + p, 2001 + d / 336,
                          1 + d / 28 % 12, 1 + d % 28, 1 + p % 3, d);
            csv += line;
        }
    writeFile(path, csv);
    return path;
}

HWND progressWindowSeen = nullptr;

// Presses the progress window's cancel button once the window shows.
void CALLBACK cancelProgress(HWND, UINT, UINT_PTR, DWORD) {
    HWND progress = FindWindowW(ImportProgressWindow::kClassName, nullptr);
    if (!progress || !IsWindowVisible(progress) || progressWindowSeen)
        return;
    progressWindowSeen = progress;
    SendMessageW(FindWindowExW(progress, nullptr, L"BUTTON", nullptr), BM_CLICK, 0, 0);
}

} // namespace

TEST(ClientOptions, ImportFilesTakeTheCodeGivenBeforeThem) {
    ClientOptions o =
        ClientOptions::parse({L"--import", L"p.csv", L"--import-code", L"200010", L"--import", L"a.csv",
                              L"--import", L"b.csv", L"--import-code", L"200011", L"--import", L"c.csv"});
    ASSERT_TRUE(o.ok) << utf8(o.error);
    ASSERT_EQ(o.imports.size(), 4u);
    EXPECT_EQ(o.imports[0].path, L"p.csv");
    EXPECT_EQ(o.imports[0].code, L"");
    EXPECT_EQ(o.imports[1].code, L"200010");
    EXPECT_EQ(o.imports[2].code, L"200010");
    EXPECT_EQ(o.imports[3].code, L"200011");
    for (std::vector<std::wstring> bad : std::vector<std::vector<std::wstring>>{
             {L"--import"}, {L"--import-code", L"1"}, {L"--import", L"a.csv", L"--import-code", L"1"}}) {
        ClientOptions b = ClientOptions::parse(bad);
        EXPECT_FALSE(b.ok);
        EXPECT_FALSE(b.error.empty());
    }
}

TEST(ClientImport, CommandLineImportsBeforeThePageAndSaysWhatEachFileDid) {
    const std::wstring db = folder() + L"cli.db";
    DeleteFileW(db.c_str());
    writeFile(folder() + L"products.csv", "代码,名称,申购状态\r\n300001,甲一号,开放\r\n");
    writeFile(folder() + L"nav.csv", "日期,单位净值\r\n2024-05-06,1.01\r\n2024-05-07,1.02\r\n");
    writeFile(folder() + L"bad.csv", "代码,日期,单位净值\r\n300001,2024-05-08,x\r\n300009,2024-05-08,1\r\n");
    ClientRun run;
    // A database that is not there is made by the import, not filled with the sample.
    ASSERT_TRUE(startClient(L"--database \"" + db + L"\" --profile \"" + folder() +
                                L"profile\" --module none.dll "
                                L"--import-code 300001 --import \"" +
                                folder() + L"nav.csv\" --import \"" + folder() + L"bad.csv\" --import \"" +
                                folder() + L"products.csv\" --exit-after 0.2",
                            run));
    const std::string out = finish(run);
    EXPECT_NE(out.find("import: " + utf8(folder()) +
                       "nav.csv: 0 products, 2 values (0 changed, 0 unchanged), "
                       "0 dividends"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("import failed: " + utf8(folder()) +
                       "bad.csv: line 2: the unit value \"x\" is not a positive number (and 1 more errors); "
                       "nothing imported"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("import: " + utf8(folder()) + "products.csv: 1 products, 0 values"), std::string::npos)
        << out;
    EXPECT_LT(out.find("import: "), out.find("database: "));
    EXPECT_EQ(scalar(db, "select count(*) from tb_fund"), "1");
    EXPECT_EQ(scalar(db, "select count(*) from tb_valuelist"), "2");
}

TEST(ClientImport, AKilledImportLeavesTheDatabaseWholeWithNoneOrAllOfItsRows) {
    const std::wstring values = largeValuesFile();
    // Killed when the import has begun its transaction, and again when its rows start to reach
    // the database file (the commit under way).
    for (bool atCommit : {false, true}) {
        SCOPED_TRACE(atCommit ? "killed in the commit" : "killed in the transaction");
        const std::wstring db = folder() + L"killed.db";
        const std::wstring journal = db + L"-journal";
        makeDatabase(db, kProducts);
        const uint64_t sizeBefore = fileSize(db);
        ClientRun run;
        ASSERT_TRUE(startClient(L"--database \"" + db + L"\" --profile \"" + folder() +
                                    L"profile\" --module none.dll --import \"" + values +
                                    L"\" --exit-after 60",
                                run));
        const DWORD start = GetTickCount();
        auto writing = [&] { return atCommit ? fileSize(db) > sizeBefore : fileSize(journal) > 0; };
        while (!writing() && GetTickCount() - start < 60000 &&
               WaitForSingleObject(run.pi.hProcess, 1) == WAIT_TIMEOUT) {
        }
        ASSERT_TRUE(writing()) << "the import was not seen writing";
        TerminateProcess(run.pi.hProcess, 9);
        finish(run);

        // The next start of the client reads the file as the import left it...
        std::wstring message;
        XComPtr<IDbModule> module = openDatabaseModule(db, message);
        ASSERT_TRUE(module && module->getDatabase()->isOpen()) << utf8(message);
        EXPECT_EQ(message, L"database: " + db);
        XComPtr<Data::IDataTable> table = createInstanceAs<Data::IDataTable>("Data.DataTable");
        ASSERT_TRUE(module->getDatabase()->query(L"select count(*) from tb_valuelist", table, true, 0));
        const std::wstring seen = table->getRow(0).getItem(0).getText().c_str();
        module = nullptr;
        // ...which holds none or all of the file's rows, in a sound file.
        EXPECT_EQ(scalar(db, "pragma integrity_check"), "ok");
        const std::string rows = scalar(db, "select count(*) from tb_valuelist");
        EXPECT_TRUE(rows == "0" || rows == std::to_string(kProducts * kDays)) << rows;
        EXPECT_EQ(utf8(seen), rows);
    }
}

TEST(ClientImport, TheProgressWindowOfALargeImportCancelsItAndNothingIsImported) {
    const std::wstring values = largeValuesFile();
    const std::wstring db = folder() + L"cancelled.db";
    makeDatabase(db, kProducts);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &cancelProgress);
    const ImportReport report = importWithProgress(nullptr, db, {{values, std::string()}});
    KillTimer(nullptr, timer);
    EXPECT_NE(progressWindowSeen, nullptr);
    EXPECT_FALSE(IsWindow(progressWindowSeen));
    EXPECT_TRUE(report.cancelled);
    ASSERT_EQ(report.summaryLines().size(), 1u);
    EXPECT_EQ(report.summaryLines()[0],
              L"import failed: " + values + L": the import was cancelled; nothing imported");
    EXPECT_EQ(scalar(db, "select count(*) from tb_valuelist"), "0");
    EXPECT_NE(importResultText(report).find(L"导入已取消"), std::wstring::npos);
}
