// The module as the client loads it: mod_AssembleFinance.dll through LoadLibrary and
// ModuleInstance, then a whole client session over a generated sample database, whose product
// table is checked against values computed here, straight from the database and the
// definitions: the end date is the latest valuation date of a listed collective product not after
// the pick, the begin date the one before (none when there is no earlier one); rate = (end value
// + dividend on the end date) / begin value - 1; growth = end value + dividend - begin value, to
// ten significant digits; nothing when there is no begin value. Net values and growth read with
// at least four decimals, in the table, the grid and the client's dump.
#include <gtest/gtest.h>
#include <windows.h>
#include <sqlite3.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include "host/client/ClientSession.h"
#include "host/client/ProductTableDump.h"
#include "host/sampledata/SampleFile.h"
#include "host/sampledata/TradingCalendar.h"
#include "tests/database/TestFiles.h"
#include "module/IAssembleFinanceModule.h"
#include "module/host/Kernel.h"

namespace {

using Entry = IAssembleFinanceModule* (*)();

std::wstring scratch(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"module_dll_tests_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

// A generated database of products over days, some of them valued at 10 or more.
::testing::AssertionResult writeSample(const std::wstring& file, int products, int days, int highValues = 0) {
    SampleOptions options;
    options.products = products;
    options.days = days;
    options.highValueProducts = highValues;
    std::string error;
    if (writeSampleFile(file, options, nullptr, &error))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << error;
}

std::wstring wide(const std::string& utf8) {
    return XStringW::fromUtf8(utf8.c_str()).c_str();
}

// What the database says, read without the module's statements.
class Oracle {
public:
    struct Row {
        std::string code, company, createdate, style;
        std::optional<double> endValue, endTotal, beginValue, beginTotal, dividend;
        std::optional<int> buyState, redeemState;
    };

    explicit Oracle(const std::wstring& file) {
        EXPECT_EQ(sqlite3_open16(file.c_str(), &db_), SQLITE_OK);
        each("select f.code, f.createdate, (select name from tb_investadvisor where guid = f.companyguid and "
             "not isdeleted), f.investstyle from tb_fund f where f.fundtype = '集合理财产品' and "
             "f.isdellisting = 0 and not f.isdeleted",
             [&](sqlite3_stmt* s) {
                 Row r;
                 r.code = text(s, 0);
                 r.createdate = text(s, 1);
                 r.company = text(s, 2);
                 r.style = text(s, 3);
                 products_[r.code] = r;
             });
        each("select v.date from tb_valuelist v join tb_fund f on f.code = v.code where not v.isdeleted and "
             "f.fundtype = '集合理财产品' and f.isdellisting = 0 and not f.isdeleted group by v.date",
             [&](sqlite3_stmt* s) { dates_.insert(text(s, 0)); });
    }
    ~Oracle() { sqlite3_close(db_); }

    const std::set<std::string>& dates() const { return dates_; }
    // The latest valuation date not after (or, strictly, before) day; empty when none.
    std::string latest(const std::string& day, bool strictly) const {
        auto it = strictly ? dates_.lower_bound(day) : dates_.upper_bound(day);
        return it == dates_.begin() ? std::string() : *std::prev(it);
    }

    std::map<std::string, Row> rows(const std::string& begin, const std::string& end) {
        std::map<std::string, Row> out = products_;
        auto values = [&](const std::string& date, bool isEnd) {
            each("select code, value, totalvalue from tb_valuelist where not isdeleted and date = '" + date +
                     "'",
                 [&](sqlite3_stmt* s) {
                     auto found = out.find(text(s, 0));
                     if (found == out.end())
                         return;
                     (isEnd ? found->second.endValue : found->second.beginValue) = number(s, 1);
                     (isEnd ? found->second.endTotal : found->second.beginTotal) = number(s, 2);
                 });
        };
        values(begin, false);
        values(end, true);
        each("select code, bonus from tb_bonus where not isdeleted and currdate = '" + end + "'",
             [&](sqlite3_stmt* s) {
                 auto found = out.find(text(s, 0));
                 if (found != out.end())
                     found->second.dividend = number(s, 1);
             });
        each("select code, buystate, redeemstate from tb_buyredeemstate where not isdeleted",
             [&](sqlite3_stmt* s) {
                 auto found = out.find(text(s, 0));
                 if (found != out.end()) {
                     found->second.buyState = sqlite3_column_int(s, 1);
                     found->second.redeemState = sqlite3_column_int(s, 2);
                 }
             });
        return out;
    }

private:
    template <class F> void each(const std::string& sql, F onRow) {
        sqlite3_stmt* s = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db_);
        while (sqlite3_step(s) == SQLITE_ROW)
            onRow(s);
        sqlite3_finalize(s);
    }
    static std::string text(sqlite3_stmt* s, int i) {
        const unsigned char* t = sqlite3_column_text(s, i);
        return t ? reinterpret_cast<const char*>(t) : "";
    }
    static std::optional<double> number(sqlite3_stmt* s, int i) {
        if (sqlite3_column_type(s, i) == SQLITE_NULL)
            return std::nullopt;
        return sqlite3_column_double(s, i);
    }

    sqlite3* db_ = nullptr;
    std::map<std::string, Row> products_;
    std::set<std::string> dates_;
};

// The value to ten significant digits.
double significant(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9e", value);
    return std::strtod(text, nullptr);
}

// The text of a value of at most four decimals, as the host's tables write it.
std::wstring fourDecimals(double value) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%.4f", value);
    return text;
}

void expectTable(Data::IDataTable* table, const std::map<std::string, Oracle::Row>& expected) {
    ASSERT_EQ(table->rowCount(), static_cast<int>(expected.size()));
    int i = 0;
    for (const auto& [code, e] : expected) {
        Data::IDataRow& row = table->getRow(i++);
        ASSERT_EQ(std::wstring(row.getItem(L"code").getText().c_str()), wide(code));
        SCOPED_TRACE(code);
        auto same = [&](const wchar_t* column, const std::optional<double>& value) {
            Data::IDataItem& cell = row.getItem(column);
            EXPECT_EQ(cell.isNull(), !value.has_value()) << "column " << XStringW(column).toUtf8().c_str();
            if (value && !cell.isNull()) {
                EXPECT_NEAR(cell.getDouble(), *value, 1e-9);
                // Values of four decimals (the database's), and growth made of them.
                if (XStringW(column) != L"percent") {
                    EXPECT_EQ(std::wstring(cell.getText().c_str()), fourDecimals(*value))
                        << "column " << XStringW(column).toUtf8().c_str();
                }
            }
        };
        same(L"value", e.endValue);
        same(L"totalvalue", e.endTotal);
        same(L"previousvalue", e.beginValue);
        same(L"previoustotalvalue", e.beginTotal);
        std::optional<double> rate, growth;
        if (e.beginValue && *e.beginValue != 0 && (e.endValue || e.dividend)) {
            rate = (e.endValue.value_or(0) + e.dividend.value_or(0)) / *e.beginValue - 1.0;
            growth = significant(e.endValue.value_or(0) + e.dividend.value_or(0) - *e.beginValue);
        }
        same(L"percent", rate);
        same(L"updown", growth);
        if (growth && !row.getItem(L"updown").isNull()) {
            EXPECT_EQ(row.getItem(L"updown").getDouble(), *growth);
        }
        EXPECT_EQ(std::wstring(row.getItem(L"company").getText().c_str()), wide(e.company));
        EXPECT_EQ(std::wstring(row.getItem(L"createdate").getText().c_str()), wide(e.createdate));
        EXPECT_EQ(std::wstring(row.getItem(L"buystate").getText().c_str()),
                  e.buyState.value_or(1) == 0 ? L"暂停" : L"开放");
        EXPECT_EQ(std::wstring(row.getItem(L"redeemstate").getText().c_str()),
                  e.redeemState.value_or(1) == 0 ? L"暂停" : L"开放");
    }
}

std::string dayText(int64_t day) {
    return TradingCalendar::format(day);
}

} // namespace

TEST(ModuleDll, OneObjectWithItsIdentityAndRefusedInitialisations) {
    HMODULE library = LoadLibraryW(L"mod_AssembleFinance.dll");
    ASSERT_NE(library, nullptr);
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, "ModuleInstance")));
    ASSERT_NE(entry, nullptr);
    IAssembleFinanceModule* module = entry();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(entry(), module);
    EXPECT_EQ(module->addRef(), 1);
    EXPECT_EQ(module->release(), 1);
    EXPECT_EQ(module->release(), 1);

    ModuleInfo info;
    ASSERT_TRUE(module->getModuleInfo(info));
    EXPECT_STREQ(info.name.c_str(), "mod_AssembleFinance");
    EXPECT_EQ(info.description.compare(L"集合理财产品净值模块"), 0);
    EXPECT_EQ(info.moduleNumber, 5150);
    EXPECT_EQ(info.moduleVersion, 0x01000001);

    XComPtr<Client::ClientApp> bare(new Client::ClientApp());
    XStringW error;
    EXPECT_EQ(module->initialize(bare.get(), error), 1);
    EXPECT_TRUE(error.isEmpty());
    bare->clear();
}

TEST(ModuleDll, ClientSessionShowsWhatTheDatabaseSays) {
    const std::wstring file = scratch(L"sample.db");
    ASSERT_TRUE(writeSample(file, 80, 60, 10));
    Oracle oracle(file);
    ASSERT_GT(oracle.dates().size(), 20u);

    Client::ClientOptions o;
    o.databasePath = file;
    o.profileDir = scratch(L"profile");
    o.modulePath = L"mod_AssembleFinance.dll";
    Client::ClientSession session(o);
    ASSERT_TRUE(session.start());
    ASSERT_TRUE(session.module().ok()) << XStringW(session.module().message.c_str()).toUtf8().c_str();
    auto* module = static_cast<IAssembleFinanceModule*>(session.module().module);
    EXPECT_EQ(session.frame()->toolButtonCount(), 1);
    for (const char* name : {"event_theme_changed", "Event_AssembleFinanceCmd", "event_ConcernChanged",
                             "event_update_buyredeemstate", "event_update_lastvalue"})
        EXPECT_GE(getEvent(name)->subscriberCount(), 1) << name;

    // Dates as a user would pick them: an ordinary valuation date, the Saturday after it, a
    // weekday holiday, a day before all values.
    const std::string ordinary = *std::next(oracle.dates().begin(), 30);
    int64_t ordinaryDay = 0, saturday = 0, holiday = 0, first = 0;
    ASSERT_TRUE(TradingCalendar::parse(ordinary, ordinaryDay));
    ASSERT_TRUE(TradingCalendar::parse(*oracle.dates().begin(), first));
    for (saturday = ordinaryDay + 1; !TradingCalendar::isWeekend(saturday); ++saturday) {
    }
    for (int64_t d = first; d < ordinaryDay + 400 && !holiday; ++d)
        if (!TradingCalendar::isWeekend(d) && !oracle.dates().count(dayText(d)) &&
            dayText(d) < *oracle.dates().rbegin())
            holiday = d;
    ASSERT_NE(holiday, 0) << "the sample should hold a weekday without values";

    std::string begin;
    for (int64_t pick : {ordinaryDay, saturday, holiday, first - 10}) {
        const std::string picked = dayText(pick);
        SCOPED_TRACE(picked);
        ASSERT_TRUE(session.applyEndDate(wide(picked)));
        std::string end = oracle.latest(picked, false);
        if (end.empty()) {
            end = picked; // nothing on or before the pick: the pick stays, and no begin date
            begin.clear();
        } else {
            begin = oracle.latest(end, true);
        }
        XComPtr<Data::IDataTable> table = module->getDataTable();
        ASSERT_TRUE(table);
        expectTable(table.get(), oracle.rows(begin, end));
    }

    // The client's dump carries the table's texts.
    ASSERT_TRUE(session.applyEndDate(wide(ordinary)));
    const std::wstring dump = scratch(L"dump.tsv");
    int dumped = 0;
    std::wstring message;
    ASSERT_TRUE(Client::dumpModuleTable(module, dump, dumped, message));
    XComPtr<Data::IDataTable> table = module->getDataTable();
    const std::string text = TestFiles::readBytes(dump);
    size_t high = 0;
    for (int i = 0; i < table->rowCount(); ++i) {
        Data::IDataRow& row = table->getRow(i);
        std::string line = XStringW(row.getItem(0).getText()).toUtf8().c_str();
        for (int c = 1; c < table->columnCount(); ++c)
            line += std::string("\t") + row.getItem(c).getText().toUtf8().c_str();
        EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos) << line;
        high += row.getItem(L"value").getDouble() >= 10 ? 1 : 0;
    }
    EXPECT_GT(high, 0u) << "some net values are 10 or more";
    DeleteFileW(dump.c_str());

    // Selection by code finds a listed product and brings the page forward; an unknown code
    // changes nothing.
    EXPECT_TRUE(module->selectByCode(wide(oracle.rows(begin, begin).begin()->first).c_str()));
    EXPECT_FALSE(module->selectByCode(L"no such code"));
    session.shutdown();
}

TEST(ModuleDll, ClientExportsTheGridAsAUserWouldAndShipsTheArchiveSite) {
    const std::wstring file = scratch(L"export.db");
    ASSERT_TRUE(writeSample(file, 30, 10));
    Client::ClientOptions o;
    o.databasePath = file;
    o.profileDir = scratch(L"export_profile");
    // Spelt as scripts under Wine spell paths: the save dialog is given the path it takes.
    const std::wstring exported = scratch(L"exported.XLS");
    o.exportPath = exported;
    std::replace(o.exportPath.begin(), o.exportPath.end(), L'\\', L'/');
    o.exportFilter = 2;
    DeleteFileW(exported.c_str());
    Client::ClientSession session(o);
    ASSERT_TRUE(session.start());
    ASSERT_TRUE(session.module().ok());
    XComPtr<Conf::IConfKey> site =
        session.app()->getSystemConfManager()->getKey(L"Client2/System/ArchiveSite");
    ASSERT_TRUE(site);
    EXPECT_EQ(std::wstring(site->getValue()->getString().c_str()), L"https://archive.example.com");

    ASSERT_TRUE(session.exportGrid());
    EXPECT_EQ(session.summary().back().rfind(L"export written: " + o.exportPath, 0), 0u);
    // UTF-8 by the filter, tabs by the name; one line per product after the header.
    const std::string bytes = TestFiles::readBytes(exported);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.substr(0, 4), "\xEF\xBB\xBF\"");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'),
              1 + static_cast<IAssembleFinanceModule*>(session.module().module)->getDataTable()->rowCount());
    EXPECT_NE(bytes.find("\"\t\""), std::string::npos);
    session.shutdown();
    DeleteFileW(exported.c_str());

    // A name the save dialog refuses: its complaint is acknowledged and the dialog cancelled, so
    // the run ends saying so instead of waiting for a user.
    o.exportPath = scratch(L"no|such?name.csv");
    Client::ClientSession refused(o);
    ASSERT_TRUE(refused.start());
    EXPECT_FALSE(refused.exportGrid());
    EXPECT_EQ(refused.summary().back(), L"export not written: " + o.exportPath + L" (invalid path)");
    refused.shutdown();
}

TEST(ModuleDll, FilterStepsAFullBarRefusesAreSaidSo) {
    const std::wstring file = scratch(L"filters.db");
    ASSERT_TRUE(writeSample(file, 30, 10));
    // A style (whose column has no condition yet) and a company (whose button is there).
    std::wstring style, company;
    for (const auto& [code, row] : Oracle(file).rows("", "")) {
        style = style.empty() ? wide(row.style) : style;
        company = company.empty() ? wide(row.company) : company;
    }
    ASSERT_FALSE(style.empty());
    ASSERT_FALSE(company.empty());

    Client::ClientOptions o;
    o.databasePath = file;
    o.profileDir = scratch(L"filters_profile");
    o.modulePath = L"mod_AssembleFinance.dll";
    // Keyword steps until every condition id is taken, then one more, the style and the company.
    for (int i = 0; i < 102; ++i)
        o.filterSteps.push_back({true, L"", L"集合理财产品"});
    o.filterSteps.push_back({false, L"投资风格", style});
    o.filterSteps.push_back({false, L"基金公司", company});
    Client::ClientSession session(o);
    ASSERT_TRUE(session.start());
    ASSERT_TRUE(session.module().ok());
    EXPECT_FALSE(session.applyFilters());
    std::vector<std::wstring> steps;
    for (const std::wstring& line : session.summary())
        if (line.find(L"applied") != std::wstring::npos)
            steps.push_back(line);
    ASSERT_EQ(steps.size(), 104u);
    EXPECT_EQ(steps[100], L"keywords \"集合理财产品\" applied");
    EXPECT_EQ(steps[101], L"keywords \"集合理财产品\" not applied (no more conditions)");
    EXPECT_EQ(steps[102], L"filter 投资风格 = " + style + L" not applied (no more conditions)");
    EXPECT_EQ(steps[103], L"filter 基金公司 = " + company + L" applied");
    session.shutdown();
}
