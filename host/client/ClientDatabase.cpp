#include "ClientDatabase.h"

#include <windows.h>
#include <sqlite3.h>
#include <iterator>
#include "HostDatabase.h"
#include "OutputFile.h"
#include "WritableDatabase.h"
#include "host/database/ProductSchema.h"

namespace Client {

namespace {

std::wstring wide(const char* s) {
    std::wstring w;
    int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    if (n > 1) {
        w.resize(n - 1);
        MultiByteToWideChar(CP_UTF8, 0, s, -1, &w[0], n);
    }
    return w;
}

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close(db); }
};

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

// The next weekday after the latest valuation date, and the values of that date moved by a
// factor that depends only on the code and the day, so a value and its accumulated value move
// together and a rerun gives the same numbers.
const char kAppendDay[] = R"sql(
insert into tb_valuelist (code, date, value, totalvalue, isdeleted)
select code, d,
       round(value * k, 4),
       round(totalvalue + value * (k - 1), 4),
       0
from (select v.code, v.value, v.totalvalue, n.d,
             1 + ((cast(substr(v.code, -3) as integer) * 37 + cast(julianday(n.d) as integer)) % 181 - 90)
                 / 10000.0 as k
      from (select max(date) as last,
                   date(max(date), case strftime('%w', max(date)) when '5' then '+3 days'
                                                                 when '6' then '+2 days' else '+1 day' end) as d
            from tb_valuelist where not isdeleted) n
      join tb_valuelist v on v.date = n.last and not v.isdeleted and v.value is not null)
)sql";

} // namespace

bool generateSampleDatabase(const std::wstring& path, const std::wstring& programDir, std::wstring& message) {
    std::wstring exe = programDir + L"\\sampledata.exe";
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        message = L"no database at " + path + L" and no sampledata.exe to make one";
        return false;
    }
    std::wstring command = L"\"" + exe + L"\" --out \"" + path + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi)) {
        message = L"cannot start " + exe;
        return false;
    }
    DWORD waited = WaitForSingleObject(pi.hProcess, 300000);
    DWORD code = 1;
    if (waited == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (code != 0 || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        message = waited == WAIT_OBJECT_0 ? L"sampledata.exe failed (" + std::to_wstring(code) + L")"
                                          : std::wstring(L"sampledata.exe did not finish");
        return false;
    }
    message = L"sample database generated: " + path;
    return true;
}

std::vector<std::wstring> missingProductTables(const std::wstring& path) {
    static const char* const kTables[] = {"tb_fund", "tb_valuelist", "tb_bonus", "tb_investadvisor",
                                          "tb_buyredeemstate"};
    std::vector<std::wstring> missing;
    Connection c;
    bool open = sqlite3_open_v2(utf8(path).c_str(), &c.db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (open)
        sqlite3_busy_timeout(c.db, kDefaultBusyTimeoutMs);
    for (const char* table : kTables) {
        Statement s;
        bool found = open &&
                     sqlite3_prepare_v2(c.db, "select 1 from sqlite_master where type = 'table' and name = ?",
                                        -1, &s.stmt, nullptr) == SQLITE_OK &&
                     sqlite3_bind_text(s.stmt, 1, table, -1, SQLITE_STATIC) == SQLITE_OK &&
                     sqlite3_step(s.stmt) == SQLITE_ROW;
        if (!found)
            missing.push_back(wide(table));
    }
    return missing;
}

IndexUpgrade addMissingIndexes(const std::wstring& path, std::wstring& reason) {
    reason.clear();
    {
        // Read-only first: a database that has every index is never opened for writing.
        Connection c;
        if (sqlite3_open_v2(utf8(path).c_str(), &c.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            reason = L"cannot open " + path;
            return IndexUpgrade::Failed;
        }
        sqlite3_busy_timeout(c.db, kDefaultBusyTimeoutMs);
        Statement s;
        int present = 0;
        if (sqlite3_prepare_v2(c.db, "select count(*) from sqlite_master where type = 'index' and name = ?",
                               -1, &s.stmt, nullptr) == SQLITE_OK)
            for (const char* name : kProductIndexNames) {
                sqlite3_bind_text(s.stmt, 1, name, -1, SQLITE_STATIC);
                if (sqlite3_step(s.stmt) == SQLITE_ROW)
                    present += sqlite3_column_int(s.stmt, 0);
                sqlite3_reset(s.stmt);
            }
        if (present == static_cast<int>(std::size(kProductIndexNames)))
            return IndexUpgrade::Present;
    }
    // A file marked read-only is the user's word that nothing writes it (an administrator may
    // still be able to open it for writing).
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return IndexUpgrade::ReadOnly;
    // Never created here: the file exists, or there is nothing to upgrade.
    WritableDatabase db;
    std::string failure;
    if (!db.open(path, false, kDefaultBusyTimeoutMs, failure) || sqlite3_db_readonly(db.get(), "main") == 1)
        return IndexUpgrade::ReadOnly;
    // Building an index sorts every row of the value list: a second thread sorts beside the
    // first (a quarter less time on 74 million values), with the page cache's memory each.
    db.exec("pragma threads = 2", failure);
    // One transaction: a crash or a failure leaves the file as it was.
    if (db.exec("begin immediate", failure) && db.exec(kProductIndexes, failure) &&
        db.exec("commit", failure))
        return IndexUpgrade::Added;
    const int code = sqlite3_extended_errcode(db.get()) & 0xFF;
    reason = wide(failure.c_str());
    std::string ignored;
    db.exec("rollback", ignored);
    // A file the system lets us open for writing may still refuse the write (a read-only
    // medium, a folder that takes no journal).
    return code == SQLITE_READONLY || code == SQLITE_CANTOPEN ? IndexUpgrade::ReadOnly : IndexUpgrade::Failed;
}

XComPtr<IDbModule> openDatabaseModule(const std::wstring& path, std::wstring& message) {
    // The module reads the file read-only; a write that was cut off (a killed import) is taken
    // back first, or the module could not read the file at all.
    std::string recovery;
    const bool recovered = WritableDatabase::finishInterruptedWrite(path, kDefaultBusyTimeoutMs, recovery);
    // Then, before the module's connection opens, so its first statements already find the index.
    // A file that is not the product database gets nothing.
    std::wstring reason;
    const std::vector<std::wstring> missing = missingProductTables(path);
    const IndexUpgrade upgrade = missing.empty() ? addMissingIndexes(path, reason) : IndexUpgrade::Present;
    XComPtr<IDbModule> module = createDbModule(path.c_str());
    XComPtr<IDatabase> db = module ? module->getDatabase() : nullptr;
    if (!db || !db->isOpen()) {
        message = L"database not open: " + path + L" (the page shows no data)";
        if (!recovered)
            message += L"; an interrupted write could not be taken back: " + wide(recovery.c_str());
        return module;
    }
    // Any SQLite file opens, an empty one too: say when it is not the product database.
    if (missing.size() == 5) {
        message = L"database: " + path + L" holds no product tables (the page shows no rows)";
    } else if (!missing.empty()) {
        message = L"database: " + path + L" lacks the product tables";
        for (size_t i = 0; i < missing.size(); ++i)
            message += (i ? L", " : L" ") + missing[i];
        message += L" (the page shows no rows)";
    } else {
        message = L"database: " + path;
        switch (upgrade) {
        case IndexUpgrade::Present:
            break;
        case IndexUpgrade::Added:
            message += L" (index of product histories added)";
            break;
        case IndexUpgrade::ReadOnly:
            message += L" (read-only, without the index of product histories: charts and lists read slower)";
            break;
        case IndexUpgrade::Failed:
            message +=
                L" (index of product histories not added: " + reason + L"; charts and lists read slower)";
            break;
        }
    }
    return module;
}

bool appendValuationDay(const std::wstring& path, std::wstring& newDate, std::wstring& error) {
    newDate.clear();
    Connection c;
    // The file must exist: the feed never creates a database of its own.
    if (sqlite3_open_v2(utf8(path).c_str(), &c.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        error = L"cannot open " + path + L" for writing";
        return false;
    }
    sqlite3_busy_timeout(c.db, kDefaultBusyTimeoutMs);
    char* failure = nullptr;
    auto fail = [&]() {
        error = wide(failure ? failure : sqlite3_errmsg(c.db));
        sqlite3_free(failure);
        sqlite3_exec(c.db, "rollback", nullptr, nullptr, nullptr);
        return false;
    };
    if (sqlite3_exec(c.db, "begin immediate", nullptr, nullptr, &failure) != SQLITE_OK)
        return fail();
    if (sqlite3_exec(c.db, kAppendDay, nullptr, nullptr, &failure) != SQLITE_OK)
        return fail();
    if (sqlite3_changes(c.db) == 0) {
        sqlite3_exec(c.db, "rollback", nullptr, nullptr, nullptr);
        error = L"no values to carry forward";
        return false;
    }
    if (sqlite3_exec(c.db, "commit", nullptr, nullptr, &failure) != SQLITE_OK)
        return fail();
    Statement s;
    if (sqlite3_prepare_v2(c.db, "select max(date) from tb_valuelist where not isdeleted", -1, &s.stmt,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(s.stmt) == SQLITE_ROW)
        newDate = wide(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0)));
    return true;
}

} // namespace Client
