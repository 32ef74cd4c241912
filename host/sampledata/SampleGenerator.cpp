#include "SampleGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>
#include <sqlite3.h>
#include "ProductSchema.h"
#include "SampleNames.h"
#include "TradingCalendar.h"

namespace {

constexpr const char* kCollective = "集合理财产品";
constexpr int kDeletedCompany = 3;

// Owns a prepared insert; binds by position and runs it once per row.
class Insert final {
public:
    Insert(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Insert() { sqlite3_finalize(stmt_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    bool valid() const { return stmt_ != nullptr; }
    Insert& text(int i, const std::string& value) {
        sqlite3_bind_text(stmt_, i, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& null(int i) {
        sqlite3_bind_null(stmt_, i);
        return *this;
    }
    Insert& integer(int i, int value) {
        sqlite3_bind_int(stmt_, i, value);
        return *this;
    }
    Insert& real(int i, double value) {
        sqlite3_bind_double(stmt_, i, value);
        return *this;
    }
    bool run() {
        const int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

double round4(double value) {
    return std::round(value * 10000.0) / 10000.0;
}

std::string guidText(SampleRandom& random) {
    const uint64_t a = random.next();
    const uint64_t b = random.next();
    char text[48];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                  static_cast<unsigned>(b >> 48), static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return text;
}

struct Company {
    std::string guid;
    NamedText prefix;
    std::string name;
    bool deleted = false;
};

struct Product {
    std::string code;
    std::string alias;
    NamedText name;
    std::string fundType;
    std::string investType; // empty: null
    std::string investStyle;
    std::string createDate;
    int company = -1; // -1: no company
    bool deleted = false;
    bool delisted = false;
    int startIndex = 0; // first valuation date with a value
    double issuePrice = 1.0;
    double sigma = 0.008;
    double drift = 0.0002;
    bool paysDividends = false;
    int buyState = 1;
    int redeemState = 1;
    bool hasState = true;
    bool stateDeleted = false;
    // Walk state.
    double value = 1.0;
    double paid = 0.0;
};

bool exec(sqlite3* db, const char* sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = message ? message : "statement failed";
    sqlite3_free(message);
    return false;
}

} // namespace

std::string sampleCollectiveCode(int index) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", 200001 + index);
    return text;
}

bool generateSample(sqlite3* db, const SampleOptions& options, SampleSummary* summary, std::string* error) {
    int64_t endDay = 0;
    if (!TradingCalendar::parse(options.endDate, endDay)) {
        if (error)
            *error = "bad end date";
        return false;
    }
    const int collective = std::clamp(options.products, kMinSampleProducts, kMaxSampleProducts);
    const int others = std::max(12, collective / 3);
    const int days = std::max(2, options.days);
    const std::vector<int64_t> dates = TradingCalendar::valuationDates(endDay, days);
    const int last = days - 1;

    // Separate streams, so the size options change the values but not the names of the first
    // products, and the names never change the values.
    SampleRandom nameRandom(options.seed * 0x100000001B3ull + 1);
    SampleRandom shapeRandom(options.seed * 0x100000001B3ull + 2);

    std::vector<Company> companies(static_cast<size_t>(std::clamp(collective / 8, 17, 400)));
    for (size_t i = 0; i < companies.size(); ++i) {
        Company& c = companies[i];
        c.guid = guidText(nameRandom);
        c.prefix = SampleNames::housePrefix(nameRandom);
        std::string shortName, fullName;
        SampleNames::companyNames(nameRandom, c.prefix, shortName, fullName);
        // Most companies are stored as "short-full"; a few carry only their full name.
        c.name = i % 7 == 6 ? fullName : shortName + "-" + fullName;
        c.deleted = i == kDeletedCompany;
    }
    const int companyCount = static_cast<int>(companies.size());
    auto randomCompany = [&]() {
        int c = shapeRandom.below(companyCount - 1);
        return c >= kDeletedCompany ? c + 1 : c;
    };

    std::vector<Product> products(static_cast<size_t>(collective + others));
    for (int i = 0; i < collective + others; ++i) {
        Product& p = products[i];
        const bool isCollective = i < collective;
        if (isCollective) {
            p.code = sampleCollectiveCode(i);
        } else {
            char text[16];
            std::snprintf(text, sizeof text, "%06d", 500001 + (i - collective));
            p.code = text;
        }
        p.company = randomCompany();
        p.name = isCollective ? SampleNames::collectiveProduct(nameRandom, companies[p.company].prefix)
                              : SampleNames::otherProduct(nameRandom, companies[p.company].prefix);
        p.fundType = isCollective ? kCollective : SampleNames::otherFundType(nameRandom);
        if (shapeRandom.chance(0.95))
            p.investType = SampleNames::investType(nameRandom);
        if (shapeRandom.chance(0.9))
            p.investStyle = SampleNames::investStyle(nameRandom);
        p.alias = shapeRandom.chance(0.03) ? "JH" + p.code : p.code;
        const double kind = shapeRandom.uniform();
        p.sigma = kind < 0.3 ? 0.0015 : kind < 0.8 ? 0.007 : 0.014;
        p.drift = (shapeRandom.uniform() - 0.3) * 0.0008;
        p.paysDividends = shapeRandom.chance(0.15);
        p.deleted = shapeRandom.chance(0.01);
        p.delisted = shapeRandom.chance(0.015);
        p.hasState = shapeRandom.chance(0.9);
        p.buyState = shapeRandom.chance(0.06) ? 0 : 1;
        p.redeemState = shapeRandom.chance(0.04) ? 0 : 1;
        p.stateDeleted = shapeRandom.chance(0.01);
        // Founded within about five years before the first date and at least a few weeks
        // before the last; those founded before the first date enter it with some history.
        const int64_t founded =
            dates.front() - 1800 + shapeRandom.below(static_cast<int>(dates.back() - dates.front()) + 1760);
        p.createDate = TradingCalendar::format(founded);
        p.startIndex =
            static_cast<int>(std::lower_bound(dates.begin(), dates.end(), founded) - dates.begin());
        p.startIndex = std::min(p.startIndex, std::max(0, last - 20));
        if (founded < dates.front()) {
            p.value = round4(0.8 + 0.6 * shapeRandom.uniform());
            p.paid = p.paysDividends ? round4(0.3 * shapeRandom.uniform()) : 0.0;
        }
    }

    // The fixed cases, on the first collective products.
    auto& P = products;
    P[CaseFoundedOnLastDate].startIndex = last;
    P[CaseFoundedOnLastDate].createDate = TradingCalendar::format(dates[last]);
    P[CaseFoundedOnLastDate].value = 1.0;
    P[CaseFoundedOnLastDate].paid = 0.0;
    P[CaseFoundingDateZero].createDate = "0001-01-01";
    P[CaseFoundingDateZero].startIndex = 0;
    P[CaseBuySuspended].buyState = 0;
    P[CaseRedeemSuspended].redeemState = 0;
    P[CaseBothSuspended].buyState = P[CaseBothSuspended].redeemState = 0;
    P[CaseNoCompany].company = -1;
    P[CaseDeletedCompany].company = kDeletedCompany;
    P[CaseDeletedProduct].deleted = true;
    P[CaseDelistedProduct].delisted = true;
    P[CaseAliasDiffers].alias = "JH" + P[CaseAliasDiffers].code;
    P[CaseNoBuyRedeemState].hasState = false;
    P[CaseDeletedState].hasState = true;
    P[CaseDeletedState].stateDeleted = true;
    P[CaseDeletedState].buyState = 0;
    P[CaseCompanyWithoutDash].company = 6;
    for (int i = 0; i <= CaseCompanyWithoutDash; ++i) {
        Product& p = P[i];
        if (i != CaseDeletedProduct)
            p.deleted = false;
        if (i != CaseDelistedProduct)
            p.delisted = false;
        if (i != CaseNoBuyRedeemState && i != CaseDeletedState) {
            p.hasState = true;
            p.stateDeleted = false;
        }
        if (i != CaseBuySuspended && i != CaseBothSuspended && i != CaseDeletedState)
            p.buyState = 1;
        if (i != CaseRedeemSuspended && i != CaseBothSuspended)
            p.redeemState = 1;
        if (i == CaseNoCompany || i == CaseDeletedCompany || i == CaseCompanyWithoutDash)
            continue;
        if (p.company == kDeletedCompany || p.company % 7 == 6)
            p.company = 0;
    }
    // Names carry their house's prefix; follow the companies the cases were moved to.
    for (int i = 0; i <= CaseCompanyWithoutDash; ++i) {
        Product& p = P[i];
        const NamedText& house = companies[p.company < 0 ? 0 : p.company].prefix;
        if (p.company < 0 || p.name.text.compare(0, house.text.size(), house.text) == 0)
            continue;
        const size_t oldText = p.name.text.size() >= 6 ? 6 : 0; // two UTF-8 characters
        p.name.text = house.text + p.name.text.substr(oldText);
        p.name.initials = house.initials + p.name.initials.substr(2);
    }
    // Issued at 10 or 100: the same walk, scaled, without drawing from the random streams.
    const int plain = CaseCompanyWithoutDash + 1;
    const int high = std::clamp(options.highValueProducts, 0, collective - plain);
    for (int j = 0; j < high; ++j) {
        Product& p = P[size_t(plain + int64_t(j) * (collective - plain) / high)];
        p.issuePrice = j % 2 == 0 ? 10.0 : 100.0;
        p.value = round4(p.value * p.issuePrice);
        p.paid = round4(p.paid * p.issuePrice);
    }
    P[CaseDividendOnLastDate].paysDividends = true;
    P[CaseDividendBeforeLastDate].paysDividends = true;
    P[CaseDeletedDividend].paysDividends = true;

    if (!exec(db, "pragma journal_mode=off; pragma synchronous=off; begin", error) ||
        !exec(db, kProductTables, error))
        return false;

    Insert addCompany(db, "insert into tb_investadvisor (guid, name, isdeleted) values (?,?,?)");
    Insert addFund(db, "insert into tb_fund (code, aliascode, name, investtype, investstyle, fundtype, "
                       "createdate, companyguid, pycode, isdellisting, isdeleted) "
                       "values (?,?,?,?,?,?,?,?,?,?,?)");
    Insert addState(db, "insert into tb_buyredeemstate (code, buystate, redeemstate, isdeleted) "
                        "values (?,?,?,?)");
    Insert addValue(db, "insert into tb_valuelist (code, date, value, totalvalue, isdeleted) "
                        "values (?,?,?,?,?)");
    Insert addBonus(db, "insert into tb_bonus (code, currdate, bonus, isdeleted) values (?,?,?,?)");
    if (!addCompany.valid() || !addFund.valid() || !addState.valid() || !addValue.valid() ||
        !addBonus.valid()) {
        if (error)
            *error = sqlite3_errmsg(db);
        return false;
    }

    bool ok = true;
    for (const Company& c : companies)
        ok = ok && addCompany.text(1, c.guid).text(2, c.name).integer(3, c.deleted ? 1 : 0).run();
    for (const Product& p : products) {
        addFund.text(1, p.code).text(2, p.alias).text(3, p.name.text);
        p.investType.empty() ? addFund.null(4) : addFund.text(4, p.investType);
        p.investStyle.empty() ? addFund.null(5) : addFund.text(5, p.investStyle);
        addFund.text(6, p.fundType).text(7, p.createDate);
        p.company < 0 ? addFund.null(8) : addFund.text(8, companies[p.company].guid);
        addFund.text(9, p.name.initials).integer(10, p.delisted ? 1 : 0).integer(11, p.deleted ? 1 : 0);
        ok = ok && addFund.run();
        if (p.hasState)
            ok = ok && addState.text(1, p.code)
                           .integer(2, p.buyState)
                           .integer(3, p.redeemState)
                           .integer(4, p.stateDeleted ? 1 : 0)
                           .run();
    }

    long long valueRows = 0;
    for (int d = 0; d < days && ok; ++d) {
        const std::string date = TradingCalendar::format(dates[d]);
        for (size_t i = 0; i < products.size() && ok; ++i) {
            Product& p = products[i];
            if (d < p.startIndex)
                continue;
            if (d > p.startIndex)
                p.value = std::max(0.1 * p.issuePrice,
                                   round4(p.value * std::exp(p.drift + p.sigma * shapeRandom.normal())));
            // A dividend is paid out of the unit value on its date and added to the accumulated
            // value, so totalvalue - value always equals the dividends paid so far.
            bool pays = p.paysDividends && d > p.startIndex && p.value > 1.02 * p.issuePrice &&
                        shapeRandom.chance(0.01);
            if (static_cast<int>(i) == CaseDividendOnLastDate || static_cast<int>(i) == CaseDeletedDividend)
                pays = d == last;
            if (static_cast<int>(i) == CaseDividendBeforeLastDate)
                pays = d == last - 1;
            if (pays) {
                const double bonus =
                    std::max(0.01 * p.issuePrice, round4(p.value * (0.01 + 0.04 * shapeRandom.uniform())));
                const bool bonusDeleted = static_cast<int>(i) == CaseDeletedDividend;
                ok = ok && addBonus.text(1, p.code)
                               .text(2, date)
                               .real(3, bonus)
                               .integer(4, bonusDeleted ? 1 : 0)
                               .run();
                if (!bonusDeleted) {
                    p.value = std::max(0.1 * p.issuePrice, round4(p.value - bonus));
                    p.paid = round4(p.paid + bonus);
                }
            }
            const bool valueDeleted =
                (static_cast<int>(i) == CaseDeletedLastValue && d == last) || shapeRandom.chance(0.0005);
            ok = ok && addValue.text(1, p.code)
                           .text(2, date)
                           .real(3, p.value)
                           .real(4, round4(p.value + p.paid))
                           .integer(5, valueDeleted ? 1 : 0)
                           .run();
            ++valueRows;
        }
    }
    if (!ok) {
        if (error)
            *error = sqlite3_errmsg(db);
        return false;
    }
    // The indexes once the rows are in: built from sorted data rather than entry by entry.
    // No statistics (no analyze): the page's statements must find their index searches from
    // the indexes alone, as they do on a client's database that was never analysed.
    if (!exec(db, kProductIndexes, error) || !exec(db, "commit", error))
        return false;

    if (summary) {
        summary->collectiveProducts = collective;
        summary->otherProducts = others;
        summary->companies = companyCount;
        summary->valueRows = valueRows;
        summary->firstDate = TradingCalendar::format(dates.front());
        summary->lastDate = TradingCalendar::format(dates.back());
    }
    return true;
}
