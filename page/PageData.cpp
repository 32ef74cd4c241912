// The page's one data path: the two valuation dates, the product query and the growth columns.
#include <algorithm>
#include <charconv>
#include <cmath>
#include "resources/ResourceText.h"
#include "module/host/Kernel.h"
#include "page/AssembleFinancePage.h"
#include "page/WaitDialog.h"

namespace {

// The latest valuation date not after the picked one.
const wchar_t kEndDateStatement[] =
    L"select date from tb_valuelist a left join tb_fund b on a.code = b.code and not b.isdeleted where "
    L"b.fundtype = '集合理财产品' and isdellisting = 0 and not a.isdeleted and date <= date('%s') order by "
    L"date "
    L"desc limit 1 ";
// The valuation date before the end date.
const wchar_t kBeginDateStatement[] =
    L"select date from tb_valuelist a left join tb_fund b on a.code = b.code and not b.isdeleted where  "
    L"b.fundtype = '集合理财产品' and isdellisting = 0 and not a.isdeleted and date < date('%s') order by "
    L"date "
    L"desc limit 1 ";

} // namespace

bool AssembleFinancePage::isIsoDate(const XStringW& text) {
    if (text.length() != 10)
        return false;
    for (int i = 0; i < 10; ++i) {
        const wchar_t c = text[i];
        if (i == 4 || i == 7) {
            if (c != L'-')
                return false;
        } else if (c < L'0' || c > L'9') {
            return false;
        }
    }
    return true;
}

AssembleFinancePage::DateQuery AssembleFinancePage::queryDate(const wchar_t* statement, XStringW& date) {
    XComPtr<Data::IDataTable> scratch = createInstanceAs<Data::IDataTable>("Data.DataTable");
    if (!scratch)
        return DateQuery::Failed;
    const XStringW sql = XStringW::format(statement, endDate.c_str());
    if (!database->query(sql.c_str(), scratch.get(), true, 0))
        return DateQuery::Failed;
    if (scratch->isEmpty())
        return DateQuery::NoDate;
    // The text goes into the next statement: anything but a plain date is refused.
    XStringW found = scratch->getRow(0).getItem(0).getText();
    if (!isIsoDate(found))
        return DateQuery::NoDate;
    date = found;
    return DateQuery::Found;
}

double AssembleFinancePage::growthValue(double end, double begin, double dividend) {
    const double growth = end - begin + dividend;
    // A change that cancels out (a drop of exactly the dividend) leaves only the operands'
    // rounding error: it is no change, not "0.0000000000000002220".
    const double scale = std::max({std::fabs(end), std::fabs(begin), std::fabs(dividend)});
    if (!(std::fabs(growth) > scale * 1e-10))
        return 0.0;
    // Ten significant digits: "1.2932 - 1.2529" reads 0.0403, not 0.040299999999999975.
    // Most growths are scaled to ten digits before the point, rounded and scaled back: powers of
    // ten up to 10^15 are exact, so the quotient is the double nearest the rounded decimal, as
    // reading its text gives it, at a fraction of the cost. A scaled value whose fraction lies
    // too near a half (or outside ten digits) takes the decimal way.
    static const double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = std::fabs(growth);
    if (magnitude >= 1e-6 && magnitude < 1e9) {
        int exponent = 0; // of the magnitude's leading digit, -6 to 8
        while (exponent < 8 && magnitude >= kPowers[exponent + 1])
            ++exponent;
        while (exponent <= 0 && exponent > -6 && magnitude * kPowers[-exponent] < 1.0)
            --exponent;
        const double scale = kPowers[9 - exponent];
        const double scaled = growth * scale;
        const double fraction = std::fabs(scaled - std::trunc(scaled));
        if (std::fabs(scaled) >= 1e9 && std::fabs(scaled) < 1e10 && std::fabs(fraction - 0.5) > 1e-4)
            return std::nearbyint(scaled) / scale;
    }
    char digits[32];
    const std::to_chars_result written =
        std::to_chars(digits, digits + sizeof digits, growth, std::chars_format::scientific, 9);
    double rounded = growth;
    if (written.ec == std::errc())
        std::from_chars(digits, written.ptr, rounded);
    return rounded;
}

void AssembleFinancePage::computeGrowth(Data::IDataTable* table) {
    const int p1Column = table->getColumnIndex(L"p1");
    const int p2Column = table->getColumnIndex(L"p2");
    const int valueColumn = table->getColumnIndex(L"value");
    const int beginColumn = table->getColumnIndex(L"previousvalue");
    const int percentColumn = table->getColumnIndex(L"percent");
    const int updownColumn = table->getColumnIndex(L"updown");
    // A table without the query's columns (a failed first query) has nothing to compute.
    if (p1Column < 0 || p2Column < 0 || valueColumn < 0 || beginColumn < 0 || percentColumn < 0 ||
        updownColumn < 0)
        return;
    const int rows = table->rowCount();
    for (int i = 0; i < rows; ++i) {
        Data::IDataRow& row = table->getRow(i);
        const double p1 = row.getItem(p1Column).getDouble();
        const double p2 = row.getItem(p2Column).getDouble();
        const double value = row.getItem(valueColumn).getDouble();
        const double begin = row.getItem(beginColumn).getDouble();
        const double rate = p1 + p2 - 1.0;
        // Exactly -1: no begin value (or neither end value nor dividend), so no growth to show.
        if (rate == -1.0) {
            row.getItem(percentColumn).setText(L"");
            row.getItem(updownColumn).setText(L"");
        } else {
            // The change of one unit between the two dates, the dividend paid on the end date
            // (p2 of the begin value) included: begin x rate, so the growth agrees with the two
            // values beside it and with the rate.
            row.getItem(percentColumn).setDouble(rate);
            row.getItem(updownColumn).setDouble(growthValue(value, begin, p2 * begin));
        }
    }
}

void AssembleFinancePage::loadProductTable(bool quiet) {
    if (!database || !database->isOpen())
        return;
    ++loads;
    const XStringW picked = pickerDate();
    if (!picked.isEmpty())
        endDate = picked;
    // A statement that fails (a database locked by another program, or damaged) ends the load;
    // one that finds no date does not.
    bool failed = queryDate(kEndDateStatement, endDate) == DateQuery::Failed;

    WaitDialog wait(L"正在查询数据，请稍等...");
    if (!quiet && !failed && wait.create(ThisModule(), hwnd))
        wait.show(SW_SHOW);

    if (!failed) {
        // No valuation date before the end date (a pick before the first one): there is no begin
        // date, and an earlier one would stand later than the end date.
        const DateQuery begin = queryDate(kBeginDateStatement, beginDate);
        failed = begin == DateQuery::Failed;
        if (begin == DateQuery::NoDate)
            beginDate.clear();
    }
    Data::IDataTable* table = grid.GetProductTable();
    if (!failed && table) {
        const XStringW query = LoadResourceText(ThisModule(), L"SQL", L"QUERY");
        const XStringW sql =
            XStringW::format(query.c_str(), beginDate.c_str(), endDate.c_str(), endDate.c_str());
        // One context: the views and the grid rebuild once per load, not once per cell. A failed
        // query leaves the rows as they were.
        XComPtr<Data::IUpdateContext> context = table->beginUpdate();
        failed = !database->query(sql.c_str(), table, table->isEmpty(), 0);
        if (!failed)
            computeGrowth(table);
        if (context)
            context->commit();
    }
    // The header says what the rows hold: the dates of the rows kept, or of the rows loaded.
    if (failed) {
        beginDate = rowsBeginDate;
        endDate = rowsEndDate;
    } else {
        rowsBeginDate = beginDate;
        rowsEndDate = endDate;
    }
    grid.SetDateTitles(beginDate, endDate);

    if (wait.isWindow())
        wait.destroyWindow();

    grid.AssembleHeader();
    if (Data::IDataView* sortView = grid.GetSortView())
        sortView->refresh(true);
}
