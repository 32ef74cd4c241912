// Fills an empty SQLite database with the product schema and a realistic, deterministic sample:
// collective wealth-management products ("集合理财产品") and products of other types, their
// companies, valuation dates, dividends and buy/redeem states.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

struct SampleOptions {
    uint64_t seed = 1;
    // Collective products; products of other types come on top (a third as many, at least 12).
    int products = 300;
    // Valuation dates, weekends and market holidays skipped (about three years by default).
    int days = 750;
    // The latest valuation date is the last valuation day not after this one.
    std::string endDate = "2026-11-30";
    // Collective products issued at 10 or 100 a unit (in turn) instead of 1, spread over the
    // codes after the fixed cases, so that some net values are 10 or more. The other products'
    // values do not change with it.
    int highValueProducts = 0;
};

struct SampleSummary {
    int collectiveProducts = 0;
    int otherProducts = 0;
    int companies = 0;
    long long valueRows = 0;
    std::string firstDate;
    std::string lastDate;
};

// The smallest and largest product counts: the fixed cases need the first 20 products, and
// codes have six digits.
constexpr int kMinSampleProducts = 20;
constexpr int kMaxSampleProducts = 90000;

// Codes of the collective products that carry the cases the page must get right, by position:
// code(i) is "%06d" of 200001 + i.
enum SampleCase : int {
    CaseFoundedOnLastDate = 0, // one value, on the last date: no begin value
    CaseFoundingDateZero = 1,  // createdate "0001-01-01"
    CaseDividendOnLastDate = 2,
    CaseDividendBeforeLastDate = 3,
    CaseBuySuspended = 4,
    CaseRedeemSuspended = 5,
    CaseBothSuspended = 6,
    CaseNoCompany = 7,           // companyguid null
    CaseDeletedCompany = 8,      // its company row is deleted
    CaseDeletedProduct = 9,      // tb_fund.isdeleted
    CaseDelistedProduct = 10,    // tb_fund.isdellisting
    CaseDeletedLastValue = 11,   // the last date's value row is deleted
    CaseAliasDiffers = 12,       // aliascode differs from code
    CaseNoBuyRedeemState = 13,   // no tb_buyredeemstate row
    CaseDeletedState = 14,       // a deleted, suspended tb_buyredeemstate row
    CaseDeletedDividend = 15,    // a deleted dividend on the last date
    CaseCompanyWithoutDash = 16, // company name without "-"
};

std::string sampleCollectiveCode(int index);

// Creates the schema and the rows in db (which must be empty). False with a message on failure.
bool generateSample(sqlite3* db, const SampleOptions& options, SampleSummary* summary, std::string* error);
