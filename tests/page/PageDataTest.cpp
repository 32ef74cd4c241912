// The data path on a small database with known values: settled dates, header titles, and growth
// computed here from the definitions (rate = (end value + dividend on the end date) / begin
// value - 1, growth = end value + dividend - begin value = begin value * rate, nothing when there
// is no begin value).
#include <gtest/gtest.h>
#include <charconv>
#include <cmath>
#include <map>
#include <random>
#include <vector>
#include "tests/page/PageTestHost.h"

using pagetest::PageHarness;

namespace {

struct Expected {
    const wchar_t* code;
    double endValue, endTotal, beginValue, beginTotal, dividend;
    bool hasBegin, hasEnd;
};

// The collective, listed, non-deleted products and their values on 2024-03-05 and 2024-03-04.
const Expected kMarch5[] = {
    {L"100001", 1.21, 1.31, 1.1, 1.2, 0.0, true, true},
    {L"100002", 1.05, 1.05, 0, 0, 0.0, false, true},
    {L"100003", 1.9, 2.6, 2.0, 2.5, 0.2, true, true},
    {L"100004", 0, 0, 1.5, 1.5, 0.0, true, false},
};

void expectMarch5(PageHarness& h) {
    EXPECT_EQ(h.page->getEndDate().compare(L"2024-03-05"), 0) << h.page->getEndDate().c_str();
    EXPECT_EQ(h.page->getBeginDate().compare(L"2024-03-04"), 0) << h.page->getBeginDate().c_str();
    ASSERT_EQ(h.table()->rowCount(), 4);
    for (const Expected& e : kMarch5) {
        SCOPED_TRACE(testing::Message() << "product #" << (&e - kMarch5));
        int row = h.rowOf(e.code);
        ASSERT_GE(row, 0);
        EXPECT_EQ(h.isNull(row, L"value"), !e.hasEnd);
        EXPECT_EQ(h.isNull(row, L"previousvalue"), !e.hasBegin);
        if (e.hasEnd) {
            EXPECT_DOUBLE_EQ(h.number(row, L"value"), e.endValue);
            EXPECT_DOUBLE_EQ(h.number(row, L"totalvalue"), e.endTotal);
        }
        if (e.hasBegin) {
            EXPECT_DOUBLE_EQ(h.number(row, L"previousvalue"), e.beginValue);
            EXPECT_DOUBLE_EQ(h.number(row, L"previoustotalvalue"), e.beginTotal);
        }
        if (!e.hasBegin || (!e.hasEnd && e.dividend == 0)) {
            EXPECT_TRUE(h.isNull(row, L"percent"));
            EXPECT_TRUE(h.isNull(row, L"updown"));
        } else {
            const double rate = (e.endValue + e.dividend) / e.beginValue - 1.0;
            EXPECT_NEAR(h.number(row, L"percent"), rate, 1e-12);
            EXPECT_NEAR(h.number(row, L"updown"), e.endValue + e.dividend - e.beginValue, 1e-12);
        }
    }
    const XStringW header = h.page->productGrid().GetHeader();
    EXPECT_GE(header.find(L"2024-03-05"), 0);
    EXPECT_GE(header.find(L"2024-03-04"), 0);
    EXPECT_LT(header.find(L"beg_date"), 0);
    EXPECT_LT(header.find(L"end_date"), 0);
}

} // namespace

TEST(PageData, HolidayWeekendAndOrdinaryDatesSettleOnValuationDates) {
    PageHarness h(pagetest::makeDatabase(L"dates.db"));
    h.pick(2024, 3, 6); // a holiday: back to the Tuesday before
    expectMarch5(h);
    h.pick(2024, 3, 9); // a Saturday; the Thursday only has other or delisted products
    expectMarch5(h);
    h.pick(2024, 3, 5); // an ordinary valuation date
    expectMarch5(h);
    // Texts the query writes: states and the company.
    int row = h.rowOf(L"100002");
    EXPECT_EQ(h.table()->getRow(row).getItem(L"buystate").getText().compare(L"暂停"), 0);
    EXPECT_EQ(h.table()->getRow(row).getItem(L"redeemstate").getText().compare(L"开放"), 0);
    EXPECT_EQ(h.table()
                  ->getRow(h.rowOf(L"100001"))
                  .getItem(L"company")
                  .getText()
                  .compare(L"甲基金-甲基金管理有限公司"),
              0);

    h.pick(2024, 3, 4); // the first Monday: begin on the Friday before
    EXPECT_EQ(h.page->getBeginDate().compare(L"2024-03-01"), 0);
    int first = h.rowOf(L"100001");
    EXPECT_NEAR(h.number(first, L"percent"), 1.1 / 1.0 - 1.0, 1e-12);
    EXPECT_TRUE(h.isNull(h.rowOf(L"100003"), L"percent")); // no value on the Friday
}

TEST(PageData, DateBeforeAllValuesHasNoBeginDate) {
    // Hidden, so that no load on showing settles a begin date first.
    PageHarness h(pagetest::makeDatabase(L"early.db"), false);
    auto expectNoBegin = [&] {
        EXPECT_EQ(h.page->getEndDate().compare(L"2024-02-20"), 0);
        EXPECT_TRUE(h.page->getBeginDate().isEmpty());
        // Both groups hold "--": the end date has no values, and there is no begin date, whose
        // group says so instead of naming a later day.
        const XStringW header = h.page->productGrid().GetHeader();
        EXPECT_GE(header.find(L"title=\"2024-02-20\""), 0);
        EXPECT_GE(header.find(L"title=\"--\""), 0);
        EXPECT_LT(header.find(L"beg_date"), 0);
        EXPECT_LT(header.find(L"2024-03-04"), 0);
        ASSERT_EQ(h.table()->rowCount(), 4);
        for (int i = 0; i < 4; ++i)
            for (const wchar_t* column :
                 {L"value", L"previousvalue", L"previoustotalvalue", L"percent", L"updown"})
                EXPECT_TRUE(h.isNull(i, column)) << XStringW(column).toUtf8().c_str();
    };
    h.pick(2024, 2, 20);
    expectNoBegin();

    // After a load that had one, the begin date does not stay behind, later than the end date.
    h.pick(2024, 3, 5);
    EXPECT_EQ(h.page->getBeginDate().compare(L"2024-03-04"), 0);
    h.pick(2024, 2, 20);
    expectNoBegin();
}

TEST(PageData, GrowthIsTheChangeOfOneUnitAndReadsAsTheValuesDo) {
    // Values as a user compares them: growth = end + dividend - begin to ten significant digits,
    // so the growth agrees with the two values beside it; net values and growth with at least
    // four decimals.
    PageHarness h(pagetest::makeDatabase(L"growth.db", R"sql(
insert into tb_fund values
  ('100011', '100011', '小涨', '混合型', '稳健型', '集合理财产品', '2020-01-02', 'g1', 'XZ', 0, 0),
  ('100012', '100012', '百元', '混合型', '稳健型', '集合理财产品', '2020-01-02', 'g1', 'BY', 0, 0),
  ('100013', '100013', '十元分红', '混合型', '稳健型', '集合理财产品', '2020-01-02', 'g1', 'SY', 0, 0),
  ('100014', '100014', '微跌', '混合型', '稳健型', '集合理财产品', '2020-01-02', 'g1', 'WD', 0, 0);
insert into tb_valuelist values
  ('100011', '2024-03-04', 1.2529, 1.2529, 0), ('100011', '2024-03-05', 1.2932, 1.2932, 0),
  ('100012', '2024-03-04', 110.07, 110.07, 0), ('100012', '2024-03-05', 109.3876, 109.3876, 0),
  ('100013', '2024-03-04', 10, 10.5, 0), ('100013', '2024-03-05', 9.5, 10.8, 0),
  ('100014', '2024-03-04', 1.0001, 1.0001, 0), ('100014', '2024-03-05', 1, 1, 0);
insert into tb_bonus values ('100013', '2024-03-05', 0.8, 0);
)sql"));
    h.pick(2024, 3, 5);
    const struct {
        const wchar_t *code, *value, *previous, *growth;
        double rate;
    } expected[] = {
        {L"100011", L"1.2932", L"1.2529", L"0.0403", 1.2932 / 1.2529 - 1},
        {L"100012", L"109.3876", L"110.0700", L"-0.6824", 109.3876 / 110.07 - 1},
        {L"100013", L"9.5000", L"10.0000", L"0.3000", (9.5 + 0.8) / 10 - 1}, // dividend 0.8
        {L"100014", L"1.0000", L"1.0001", L"-0.0001", 1 / 1.0001 - 1},
        {L"100002", L"1.0500", L"", L"", 0}, // no begin value
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(XStringW(e.code).toUtf8().c_str());
        Data::IDataRow& row = h.table()->getRow(h.rowOf(e.code));
        EXPECT_STREQ(row.getItem(L"value").getText().c_str(), e.value);
        EXPECT_STREQ(row.getItem(L"previousvalue").getText().c_str(), e.previous);
        EXPECT_STREQ(row.getItem(L"updown").getText().c_str(), e.growth);
        if (*e.growth) {
            // The rate stays as it was computed; growth is the begin value times it.
            EXPECT_EQ(row.getItem(L"percent").getDouble(), e.rate);
            EXPECT_NEAR(row.getItem(L"updown").getDouble(),
                        row.getItem(L"previousvalue").getDouble() * e.rate, 1e-12);
        } else {
            EXPECT_TRUE(row.getItem(L"percent").isNull());
        }
    }

    // The grid shows the same texts.
    AssembleFinanceGrid& grid = h.page->productGrid();
    Data::IDataView* view = grid.GetDisplayView();
    int shown = -1;
    for (int i = 0; i < view->rowCount(); ++i)
        if (view->getRow(i).getItem(L"code").getText().compare(L"100012") == 0)
            shown = i;
    ASSERT_GE(shown, 0);
    std::map<std::wstring, std::wstring> texts;
    for (int c = 0; c < grid.GetColumnCount(); ++c) {
        XStringW text;
        grid.GetItemText(shown, grid.GetColumn(c), text);
        texts[grid.GetColumn(c).name.c_str()] = text.c_str();
    }
    EXPECT_EQ(texts[L"value"], L"109.3876");
    EXPECT_EQ(texts[L"previousvalue"], L"110.0700");
    EXPECT_EQ(texts[L"updown"], L"-0.6824");
    EXPECT_EQ(texts[L"percent"], L"-0.62%");

    EXPECT_EQ(AssembleFinancePage::growthValue(1.2932, 1.2529, 0.0), 0.0403);
    EXPECT_EQ(AssembleFinancePage::growthValue(0.0, 123456.78901234, 0.0), -123456.789);
    EXPECT_EQ(AssembleFinancePage::growthValue(1.5, 1.5, 0.0), 0.0);
    // Growths of every size keep ten digits, tens and hundreds of a unit included.
    EXPECT_EQ(AssembleFinancePage::growthValue(160.1234, 110.07, 0.0), 50.0534);
    EXPECT_EQ(AssembleFinancePage::growthValue(1234.5678, 234.5678, 0.0), 1000.0);
    // A drop of exactly the dividend is no change, whatever the operands' binary rounding.
    const double perUnit = 0.05 / 1.2932;
    EXPECT_NE(1.2432 + perUnit * 1.2932 - 1.2932, 0.0);
    EXPECT_EQ(AssembleFinancePage::growthValue(1.2432, 1.2932, perUnit * 1.2932), 0.0);
    EXPECT_FALSE(std::signbit(AssembleFinancePage::growthValue(1.2432, 1.2932, perUnit * 1.2932)));
    // A small real change is kept to its own ten digits.
    EXPECT_EQ(AssembleFinancePage::growthValue(1.0001, 1.0, 0.0), 0.0001);

    // Whichever way a growth is rounded to its ten digits, it is the double its ten-digit text
    // reads as: net values of four decimals, values of every size, halves and powers of ten.
    auto tenDigits = [](double growth) {
        char digits[32];
        auto end =
            std::to_chars(digits, digits + sizeof digits, growth, std::chars_format::scientific, 9).ptr;
        double read = 0;
        std::from_chars(digits, end, read);
        return read;
    };
    std::mt19937_64 random(23);
    std::vector<std::pair<double, double>> pairs = {
        {1.0, 1.00000000005}, {10.0, 0.0}, {0.0, 9.9999999999}, {1e8, 0.0}, {0.00000123456789012, 0.0}};
    for (int i = 0; i < 200000; ++i) {
        const double scale = std::pow(10.0, double(int(random() % 12)) - 4);
        const double end = double(random() % 40000) / 1e4 * scale;
        const double begin = i % 2 ? double(random() % 40000) / 1e4 * scale
                                   : end * (1 + double(random() % 2001 - 1000) * 1e-9);
        pairs.emplace_back(end, begin);
    }
    for (const auto& [end, begin] : pairs) {
        const double growth = end - begin;
        if (std::fabs(growth) <= std::max(std::fabs(end), std::fabs(begin)) * 1e-10)
            continue; // no change at all
        ASSERT_EQ(AssembleFinancePage::growthValue(end, begin, 0.0), tenDigits(growth))
            << end << " " << begin;
    }
}

TEST(PageData, AFailingStatementKeepsTheDatesTitlesAndRowsItHad) {
    PageHarness h(pagetest::makeDatabase(L"failing.db"));
    h.pick(2024, 3, 5);
    expectMarch5(h);
    // The end-date statement, the begin-date statement, the main query.
    for (const wchar_t* failing : {L"date <= date(", L"date < date(", L"from tb_fund a"}) {
        SCOPED_TRACE(testing::Message() << XStringW(failing).toUtf8().c_str());
        h.database->failing = [failing](const std::wstring& sql) { return sql.find(failing) != sql.npos; };
        h.pick(2024, 3, 4);
        expectMarch5(h);
        EXPECT_EQ(h.page->productGrid().EndTitle().compare(L"2024-03-05"), 0);
        EXPECT_EQ(h.page->productGrid().BeginTitle().compare(L"2024-03-04"), 0);
        // New values reported by the host reload through the page's update message.
        PageHarness::raise("event_update_lastvalue", 11, 1, 1);
        expectMarch5(h);
    }
    // Once the database answers again, the pick loads.
    h.database->failing = nullptr;
    h.pick(2024, 3, 4);
    EXPECT_EQ(h.page->getEndDate().compare(L"2024-03-04"), 0);
    EXPECT_EQ(h.page->getBeginDate().compare(L"2024-03-01"), 0);
}

TEST(PageData, ADateTextThatIsNoDateNeverReachesTheNextStatement) {
    // The newest row's date is not a plain date: it must be neither used nor put into SQL.
    PageHarness h(pagetest::makeDatabase(
        L"baddate.db", "insert into tb_valuelist values ('100001', '2024-03-09'' or ''1', 9.0, 9.0, 0);"));
    h.pick(2024, 3, 10);
    EXPECT_EQ(h.page->getEndDate().compare(L"2024-03-10"), 0);
    EXPECT_TRUE(h.page->getBeginDate().isEmpty());
    for (const auto& s : h.database->statements)
        EXPECT_EQ(s.sql.find(L"' or '"), std::wstring::npos);
    EXPECT_TRUE(AssembleFinancePage::isIsoDate(XStringW(L"2024-03-05")));
    EXPECT_FALSE(AssembleFinancePage::isIsoDate(XStringW(L"2024-3-05")));
    EXPECT_FALSE(AssembleFinancePage::isIsoDate(XStringW(L"2024-03-05 ")));
    EXPECT_FALSE(AssembleFinancePage::isIsoDate(XStringW(L"2024/03/05")));
}

TEST(PageData, MissingOrBrokenDatabaseLoadsNothing) {
    PageHarness h(pagetest::scratchPath(L"no_such.db"));
    h.pick(2024, 3, 5);
    EXPECT_EQ(h.page->loadCount(), 0);
    EXPECT_TRUE(h.database->statements.empty());
    EXPECT_TRUE(h.table()->isEmpty());
}
