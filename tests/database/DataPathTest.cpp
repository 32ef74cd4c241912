// The page's three statements, word for word, on a generated sample database: their results,
// and their plans (index searches only: no full scan, no temporary sort, no automatic index).
#include <gtest/gtest.h>
#include <cmath>
#include <set>
#include <string>
#include <vector>
#include <sqlite3.h>
#include "TestTables.h"
#include "DataPathQueries.h"
#include "QueryPlan.h"
#include "HostDatabase.h"
#include "SampleFile.h"
#include "TestFiles.h"

namespace {

class DataPathTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        file_ = new std::wstring(TestFiles::path(L"sample.db"));
        SampleOptions options; // the client's default sample
        std::string error;
        ASSERT_TRUE(writeSampleFile(*file_, options, &summary_, &error)) << error;
    }
    static void TearDownTestSuite() {
        delete file_;
        file_ = nullptr;
    }

    void SetUp() override {
        db_ = openDatabase(file_->c_str(), 1000);
        ASSERT_TRUE(db_->isOpen());
        table_ = newTable();
    }

    // The resolved date, or an empty text when the statement found none.
    std::wstring resolve(const wchar_t* query, const wchar_t* date) {
        XComPtr<Data::IDataTable> scratch = newTable();
        EXPECT_TRUE(db_->query(XStringW::format(query, date).c_str(), scratch, true, 0));
        return scratch->isEmpty() ? std::wstring()
                                  : std::wstring(scratch->getRow(0).getItem(0).getText().c_str());
    }

    Data::IDataRow& rowOf(const std::string& code) {
        const std::wstring wide(code.begin(), code.end());
        for (int r = 0; r < table_->rowCount(); ++r) {
            if (table_->getRow(r).getItem(L"code").getText() == wide.c_str())
                return table_->getRow(r);
        }
        ADD_FAILURE() << "no row for " << code;
        return table_->getRow(-1);
    }

    static std::wstring* file_;
    static SampleSummary summary_;
    XComPtr<IDatabase> db_;
    XComPtr<Data::IDataTable> table_;
};

std::wstring* DataPathTest::file_ = nullptr;
SampleSummary DataPathTest::summary_;

TEST_F(DataPathTest, DatesMoveBackToValuationDates) {
    EXPECT_EQ(L"2026-11-30", resolve(kEndDateQuery, L"2026-12-08"));
    EXPECT_EQ(L"2026-11-27", resolve(kBeginDateQuery, L"2026-11-30")); // over the weekend
    // National Day week: back to the last valuation date before it.
    EXPECT_EQ(L"2026-09-30", resolve(kEndDateQuery, L"2026-10-05"));
    EXPECT_EQ(L"2026-09-29", resolve(kBeginDateQuery, L"2026-09-30"));
    EXPECT_EQ(L"", resolve(kEndDateQuery, L"2020-01-01")); // before every value
}

TEST_F(DataPathTest, ProductQueryGivesTheProductTable) {
    const XStringW sql = XStringW::format(kProductQuery, L"2026-11-27", L"2026-11-30", L"2026-11-30");
    ASSERT_TRUE(db_->query(sql.c_str(), table_, true, 0));
    const wchar_t* names[] = {
        L"code",     L"aliascode", L"name",        L"investtype",    L"investstyle",
        L"fundtype", L"value",     L"totalvalue",  L"previousvalue", L"previoustotalvalue",
        L"p1",       L"p2",        L"updown",      L"percent",       L"createdate",
        L"company",  L"buystate",  L"redeemstate", L"pycode"};
    ASSERT_EQ(19, table_->columnCount());
    for (int c = 0; c < 19; ++c)
        EXPECT_STREQ(names[c], table_->getColumn(c)->getName());
    EXPECT_EQ(Data::ValueReal, table_->getColumn(table_->getColumnIndex(L"p1"))->getValueType());
    EXPECT_EQ(Data::ValueText, table_->getColumn(table_->getColumnIndex(L"buystate"))->getValueType());

    // Every collective product except the deleted and the delisted ones, in code order.
    ASSERT_GT(table_->rowCount(), summary_.collectiveProducts * 9 / 10);
    ASSERT_LT(table_->rowCount(), summary_.collectiveProducts);
    std::set<std::wstring> codes;
    for (int r = 0; r < table_->rowCount(); ++r) {
        Data::IDataRow& row = table_->getRow(r);
        EXPECT_EQ(XStringW(L"集合理财产品"), row.getItem(L"fundtype").getText());
        const std::wstring code = row.getItem(L"code").getText().c_str();
        if (!codes.empty()) {
            EXPECT_LT(*codes.rbegin(), code);
        }
        codes.insert(code);
        // Accumulated values follow the dividends: their growth equals the unit growth plus the
        // dividend paid on the end date.
        if (!row.getItem(L"p1").isNull()) {
            const double growth =
                row.getItem(L"totalvalue").getDouble() - row.getItem(L"previoustotalvalue").getDouble();
            const double rate = row.getItem(L"p1").getDouble() + row.getItem(L"p2").getDouble() - 1.0;
            EXPECT_NEAR(growth, rate * row.getItem(L"previousvalue").getDouble(), 1e-9)
                << TestFiles::utf8(code);
        }
    }
    EXPECT_EQ(0u, codes.count(L"200010")); // deleted
    EXPECT_EQ(0u, codes.count(L"200011")); // delisted

    Data::IDataRow& recent = rowOf(sampleCollectiveCode(CaseFoundedOnLastDate));
    EXPECT_DOUBLE_EQ(1.0, recent.getItem(L"value").getDouble());
    EXPECT_TRUE(recent.getItem(L"previousvalue").isNull());
    EXPECT_TRUE(recent.getItem(L"p1").isNull());
    EXPECT_TRUE(recent.getItem(L"p2").isNull());

    EXPECT_EQ(XStringW(L"0001-01-01"),
              rowOf(sampleCollectiveCode(CaseFoundingDateZero)).getItem(L"createdate").getText());
    EXPECT_FALSE(rowOf(sampleCollectiveCode(CaseDividendOnLastDate)).getItem(L"p2").isNull());
    EXPECT_TRUE(rowOf(sampleCollectiveCode(CaseDividendBeforeLastDate)).getItem(L"p2").isNull());
    EXPECT_TRUE(rowOf(sampleCollectiveCode(CaseDeletedDividend)).getItem(L"p2").isNull());
    EXPECT_TRUE(rowOf(sampleCollectiveCode(CaseDeletedLastValue)).getItem(L"value").isNull());
    EXPECT_TRUE(rowOf(sampleCollectiveCode(CaseDeletedLastValue)).getItem(L"p1").isNull());

    struct State {
        int product;
        const wchar_t* buy;
        const wchar_t* redeem;
    };
    const State states[] = {{CaseBuySuspended, L"暂停", L"开放"},
                            {CaseRedeemSuspended, L"开放", L"暂停"},
                            {CaseBothSuspended, L"暂停", L"暂停"},
                            {CaseNoBuyRedeemState, L"开放", L"开放"},
                            {CaseDeletedState, L"开放", L"开放"}};
    for (const State& s : states) {
        Data::IDataRow& row = rowOf(sampleCollectiveCode(s.product));
        EXPECT_EQ(XStringW(s.buy), row.getItem(L"buystate").getText()) << s.product;
        EXPECT_EQ(XStringW(s.redeem), row.getItem(L"redeemstate").getText()) << s.product;
    }

    EXPECT_TRUE(rowOf(sampleCollectiveCode(CaseNoCompany)).getItem(L"company").isNull());
    EXPECT_TRUE(rowOf(sampleCollectiveCode(CaseDeletedCompany)).getItem(L"company").isNull());
    EXPECT_EQ(-1,
              rowOf(sampleCollectiveCode(CaseCompanyWithoutDash)).getItem(L"company").getText().find(L'-'));
    EXPECT_LT(0, rowOf(sampleCollectiveCode(CaseBuySuspended)).getItem(L"company").getText().find(L'-'));
    Data::IDataRow& alias = rowOf(sampleCollectiveCode(CaseAliasDiffers));
    EXPECT_NE(alias.getItem(L"code").getText(), alias.getItem(L"aliascode").getText());
    EXPECT_FALSE(alias.getItem(L"pycode").isNull());
}

using queryplan::expectIndexSearchesOnly;
using queryplan::PlanCounters;

PlanCounters measure(const std::wstring& file, const XStringW& sql) {
    return queryplan::measure(file, sql.c_str());
}

TEST_F(DataPathTest, StatementsRunAsIndexSearches) {
    // A holiday pick walks back over the closed days; it must still stop at the first listed
    // collective product's value rather than read the whole value list.
    for (const wchar_t* picked : {L"2026-12-08", L"2026-10-05"}) {
        const PlanCounters end = measure(*file_, XStringW::format(kEndDateQuery, picked));
        expectIndexSearchesOnly(end, "end date");
        EXPECT_EQ(1, end.rows);
        EXPECT_LT(end.vmSteps, 20000);
        const PlanCounters begin = measure(*file_, XStringW::format(kBeginDateQuery, picked));
        expectIndexSearchesOnly(begin, "begin date");
        EXPECT_EQ(1, begin.rows);
        EXPECT_LT(begin.vmSteps, 20000);
    }
    const PlanCounters product =
        measure(*file_, XStringW::format(kProductQuery, L"2026-11-27", L"2026-11-30", L"2026-11-30"));
    expectIndexSearchesOnly(product, "product");
    EXPECT_GT(product.rows, 250);
}

} // namespace
