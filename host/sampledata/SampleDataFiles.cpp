#include "SampleDataFiles.h"

#include <windows.h>
#include <sqlite3.h>
#include <charconv>
#include "SampleFile.h"

namespace {

// A file written in large pieces.
class OutFile final {
public:
    explicit OutFile(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)) {}
    ~OutFile() {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;

    bool ok() const { return file_ != INVALID_HANDLE_VALUE && ok_; }
    std::string& text() { return text_; }
    void flushIfLarge() {
        if (text_.size() >= (1 << 20))
            flush();
    }
    bool flush() {
        DWORD written = 0;
        if (!text_.empty() &&
            (!WriteFile(file_, text_.data(), static_cast<DWORD>(text_.size()), &written, nullptr) ||
             written != text_.size()))
            ok_ = false;
        text_.clear();
        return ok();
    }

private:
    HANDLE file_;
    std::string text_;
    bool ok_ = true;
};

// A field as RFC 4180 wants it: quoted when it holds a comma, a quote or a line end.
void appendField(std::string& out, const unsigned char* text) {
    const char* t = text ? reinterpret_cast<const char*>(text) : "";
    bool quote = false;
    for (const char* p = t; *p && !quote; ++p)
        quote = *p == ',' || *p == '"' || *p == '\r' || *p == '\n';
    if (!quote) {
        out += t;
        return;
    }
    out += '"';
    for (const char* p = t; *p; ++p) {
        if (*p == '"')
            out += '"';
        out += *p;
    }
    out += '"';
}

// The shortest text that reads back as the same double.
void appendNumber(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

bool fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return false;
}

const char kProducts[] = R"sql(
select f.code, f.name, f.aliascode, f.investtype, f.investstyle, f.fundtype, f.createdate,
       (select name from tb_investadvisor where guid = f.companyguid and not isdeleted),
       (select case when buystate = 0 then '暂停' else '开放' end from tb_buyredeemstate
         where code = f.code and not isdeleted),
       (select case when redeemstate = 0 then '暂停' else '开放' end from tb_buyredeemstate
         where code = f.code and not isdeleted),
       f.pycode
from tb_fund f where not f.isdeleted and f.isdellisting = 0 order by f.code
)sql";

const char kValues[] = R"sql(
select v.code, v.date, v.value, v.totalvalue,
       (select bonus from tb_bonus where code = v.code and currdate = v.date and not isdeleted)
from tb_valuelist v join tb_fund f on f.code = v.code and not f.isdeleted and f.isdellisting = 0
where not v.isdeleted and v.value is not null order by v.code, v.date
)sql";

const char kDividendsLeftOut[] = R"sql(
select count(*) from tb_bonus b join tb_fund f on f.code = b.code and not f.isdeleted and f.isdellisting = 0
where not b.isdeleted and not exists (select 1 from tb_valuelist v where v.code = b.code and
      v.date = b.currdate and not v.isdeleted and v.value is not null)
)sql";

} // namespace

bool writeSampleDataFiles(const std::wstring& database, const std::wstring& folder,
                          SampleFilesSummary* summary, std::string* error) {
    SampleFilesSummary counts;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(sampleUtf8(database).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return fail(error, "cannot open the database");
    }
    struct Closer {
        sqlite3* db;
        ~Closer() { sqlite3_close(db); }
    } closer{db};
    std::wstring dir = folder;
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/')
        dir += L'\\';
    CreateDirectoryW(folder.c_str(), nullptr);

    auto each = [&](const char* sql, OutFile& out, auto onRow) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            onRow(stmt);
            out.flushIfLarge();
        }
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE && out.flush();
    };

    OutFile products(dir + L"products.csv");
    products.text() = "\xEF\xBB\xBF代码,名称,简称代码,投资类型,投资风格,基金类型,成立日期,基金公司,申购状态,"
                      "赎回状态,拼音简码\r\n";
    const bool productsOk =
        products.ok() && each(kProducts, products, [&](sqlite3_stmt* s) {
            std::string& out = products.text();
            for (int c = 0; c < 11; ++c) {
                if (c)
                    out += ',';
                const unsigned char* text = sqlite3_column_text(s, c);
                // No state row shows as open on the page.
                appendField(out, text || (c != 8 && c != 9) ? text
                                                            : reinterpret_cast<const unsigned char*>("开放"));
            }
            out += "\r\n";
            ++counts.products;
        });
    if (!productsOk)
        return fail(error, std::string("writing products.csv failed: ") + sqlite3_errmsg(db));

    OutFile values(dir + L"values.csv");
    values.text() = "\xEF\xBB\xBF代码,净值日期,单位净值,累计净值,分红\r\n";
    const bool valuesOk = values.ok() && each(kValues, values, [&](sqlite3_stmt* s) {
                              std::string& out = values.text();
                              appendField(out, sqlite3_column_text(s, 0));
                              out += ',';
                              appendField(out, sqlite3_column_text(s, 1));
                              out += ',';
                              appendNumber(out, sqlite3_column_double(s, 2));
                              out += ',';
                              if (sqlite3_column_type(s, 3) != SQLITE_NULL)
                                  appendNumber(out, sqlite3_column_double(s, 3));
                              out += ',';
                              if (sqlite3_column_type(s, 4) != SQLITE_NULL) {
                                  appendNumber(out, sqlite3_column_double(s, 4));
                                  ++counts.dividends;
                              }
                              out += "\r\n";
                              ++counts.values;
                          });
    if (!valuesOk)
        return fail(error, std::string("writing values.csv failed: ") + sqlite3_errmsg(db));

    sqlite3_stmt* left = nullptr;
    if (sqlite3_prepare_v2(db, kDividendsLeftOut, -1, &left, nullptr) == SQLITE_OK &&
        sqlite3_step(left) == SQLITE_ROW)
        counts.dividendsLeftOut = sqlite3_column_int64(left, 0);
    sqlite3_finalize(left);
    if (summary)
        *summary = counts;
    return true;
}
