// The sample generator: its calendar, its determinism, its all-or-nothing file writing and the
// consistency of what it writes.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <sqlite3.h>
#include "SampleFile.h"
#include "TestFiles.h"
#include "TradingCalendar.h"

namespace {

int temporaryFilesIn(const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(pattern.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileW(h, &found));
    FindClose(h);
    return count;
}

// The first column of the first row of sql, as an integer.
long long scalar(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr)) << sqlite3_errmsg(db) << "\n"
                                                                          << sql;
    long long value = -1;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

SampleOptions smallOptions(uint64_t seed) {
    SampleOptions options;
    options.seed = seed;
    options.products = 40;
    options.days = 120;
    return options;
}

TEST(TradingCalendarTest, SkipsWeekendsAndHolidays) {
    int64_t day = 0;
    ASSERT_TRUE(TradingCalendar::parse("2026-10-01", day));
    EXPECT_EQ("2026-10-01", TradingCalendar::format(day));
    EXPECT_TRUE(TradingCalendar::isHoliday(day));
    ASSERT_TRUE(TradingCalendar::parse("2026-11-28", day)); // a Saturday
    EXPECT_TRUE(TradingCalendar::isWeekend(day));
    EXPECT_FALSE(TradingCalendar::isValuationDay(day));
    ASSERT_TRUE(TradingCalendar::parse("2025-01-29", day)); // Spring Festival week
    EXPECT_FALSE(TradingCalendar::isValuationDay(day));

    ASSERT_TRUE(TradingCalendar::parse("2026-10-08", day));
    const auto dates = TradingCalendar::valuationDates(day, 3);
    ASSERT_EQ(3u, dates.size());
    EXPECT_EQ("2026-09-29", TradingCalendar::format(dates[0]));
    EXPECT_EQ("2026-09-30", TradingCalendar::format(dates[1]));
    EXPECT_EQ("2026-10-08", TradingCalendar::format(dates[2]));

    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-1-1x", "", "0000-01-01", "tomorrow"})
        EXPECT_FALSE(TradingCalendar::parse(bad, day)) << bad;
    EXPECT_TRUE(TradingCalendar::parse("2024-02-29", day));
}

TEST(SampleFileTest, SameSeedSameBytesOtherSeedOtherBytes) {
    const std::wstring a = TestFiles::path(L"a.db"), b = TestFiles::path(L"b.db"),
                       c = TestFiles::path(L"c.db");
    std::string error;
    ASSERT_TRUE(writeSampleFile(a, smallOptions(7), nullptr, &error)) << error;
    ASSERT_TRUE(writeSampleFile(b, smallOptions(7), nullptr, &error)) << error;
    ASSERT_TRUE(writeSampleFile(c, smallOptions(8), nullptr, &error)) << error;
    const std::string bytes = TestFiles::readBytes(a);
    ASSERT_GT(bytes.size(), 4096u);
    EXPECT_TRUE(bytes == TestFiles::readBytes(b));
    EXPECT_FALSE(bytes == TestFiles::readBytes(c));
}

TEST(SampleFileTest, ReplacesTheFileWholeOrNotAtAll) {
    const std::wstring file = TestFiles::path(L"replace.db");
    TestFiles::writeBytes(file, "old contents");
    std::string error;
    SampleOptions bad = smallOptions(1);
    bad.endDate = "2026-02-30";
    EXPECT_FALSE(writeSampleFile(file, bad, nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ("old contents", TestFiles::readBytes(file));
    EXPECT_EQ(0, temporaryFilesIn(TestFiles::path(L"sdb*.tmp")));

    SampleSummary summary;
    ASSERT_TRUE(writeSampleFile(file, smallOptions(1), &summary, &error)) << error;
    EXPECT_EQ(0, TestFiles::readBytes(file).compare(0, 16, std::string("SQLite format 3\0", 16)));
    EXPECT_EQ(0, temporaryFilesIn(TestFiles::path(L"sdb*.tmp")));
    EXPECT_EQ(40, summary.collectiveProducts);
    EXPECT_EQ("2026-11-30", summary.lastDate);
}

TEST(SampleFileTest, ValuesAreConsistent) {
    const std::wstring file = TestFiles::path(L"consistent.db");
    SampleSummary summary;
    std::string error;
    ASSERT_TRUE(writeSampleFile(file, smallOptions(3), &summary, &error)) << error;
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(TestFiles::utf8(file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr));

    EXPECT_EQ(120, scalar(db, "select count(distinct date) from tb_valuelist"));
    EXPECT_EQ(summary.valueRows, scalar(db, "select count(*) from tb_valuelist"));
    // No value on a weekend (strftime %w: 0 Sunday, 6 Saturday).
    EXPECT_EQ(0, scalar(db, "select count(*) from tb_valuelist where strftime('%w', date) in ('0', '6')"));
    EXPECT_EQ(0, scalar(db, "select count(*) from tb_valuelist where value <= 0 or totalvalue < value"));
    // Between two valuation dates of a product, the accumulated value gains exactly the unit
    // value's change plus the dividend paid on the later date.
    EXPECT_EQ(0, scalar(db, R"sql(
        with v as (select code, date, value, totalvalue,
                          lag(totalvalue - value) over (partition by code order by date) as paidBefore
                   from tb_valuelist)
        select count(*) from v left join tb_bonus b on b.code = v.code and b.currdate = v.date and not b.isdeleted
        where paidBefore is not null and abs((totalvalue - value) - paidBefore - coalesce(b.bonus, 0)) > 1e-6)sql"));
    EXPECT_GT(scalar(db, "select count(*) from tb_bonus where not isdeleted"), 2);
    // Company names: "short-full" with a few full names alone.
    EXPECT_GT(scalar(db, "select count(*) from tb_investadvisor where instr(name, '-') > 0"), 10);
    EXPECT_GT(scalar(db, "select count(*) from tb_investadvisor where instr(name, '-') = 0"), 0);
    // Pinyin initials: upper-case letters and digits only.
    EXPECT_EQ(
        0, scalar(db, "select count(*) from tb_fund where pycode glob '*[^A-Z0-9]*' or length(pycode) < 3"));
    EXPECT_EQ(40, scalar(db, "select count(*) from tb_fund where fundtype = '集合理财产品'"));
    EXPECT_GT(scalar(db, "select count(*) from tb_fund where fundtype <> '集合理财产品'"), 10);
    EXPECT_EQ(1, scalar(db, "select count(*) from tb_fund where createdate = '0001-01-01'"));
    sqlite3_close(db);
}

TEST(SampleFileTest, HighValueProductsScaleOnlyTheirOwnValues) {
    const std::wstring plain = TestFiles::path(L"plain.db"), high = TestFiles::path(L"high.db");
    SampleOptions options = smallOptions(5);
    std::string error;
    ASSERT_TRUE(writeSampleFile(plain, options, nullptr, &error)) << error;
    options.highValueProducts = 4;
    ASSERT_TRUE(writeSampleFile(high, options, nullptr, &error)) << error;
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(TestFiles::utf8(high).c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
    const std::string attach = "attach '" + TestFiles::utf8(plain) + "' as plain";
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr));
    // Four products changed, none of the fixed cases; the rows of every other one are the same.
    EXPECT_EQ(4, scalar(db, "select count(distinct v.code) from tb_valuelist v join plain.tb_valuelist p "
                            "using (code, date) where v.value <> p.value"));
    EXPECT_EQ(0,
              scalar(db, "select count(*) from tb_valuelist v join plain.tb_valuelist p using (code, date) "
                         "where v.value <> p.value and v.code < '200018'"));
    EXPECT_EQ(scalar(db, "select count(*) from plain.tb_valuelist"),
              scalar(db, "select count(*) from tb_valuelist"));
    // Issued at 10 and at 100: values on both sides of 10, and of 100.
    EXPECT_GT(scalar(db, "select count(*) from tb_valuelist where value >= 10 and value < 100"), 0);
    EXPECT_GT(scalar(db, "select count(*) from tb_valuelist where value >= 100"), 0);
    sqlite3_close(db);
}

} // namespace
