// Cost of the filter bar's two data passes over 20,000 products, each as a ratio to a plain loop
// over the same texts in the same run:
//   - the keyword filter (two keywords, six columns) against lower-casing the same cells and
//     searching them for the same keywords;
//   - collecting the value sets of "company" and "investstyle" against inserting the same cell
//     texts into a std::set.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <set>
#include <string>
#include <vector>
#include "bench/BenchSupport.h"
#include "filter/SearchFilterImpl.h"
#include "filter/ValueSet.h"
#include "module/host/Kernel.h"

namespace {

constexpr int kRows = 20000;
constexpr int kRounds = 15;
const wchar_t* const kColumns[] = {L"aliascode", L"name",        L"investtype",
                                   L"fundtype",  L"investstyle", L"company"};
const wchar_t* const kKeywords[] = {L"平衡", L"Alpha"};

XComPtr<Data::IDataTable> makeProducts() {
    const wchar_t* const houses[] = {L"泽益", L"润汇", L"益和", L"源信", L"德益", L"宏德", L"锦信", L"恒丰",
                                     L"丰瑞", L"联丰", L"汇鼎", L"永联", L"丰源", L"鼎益", L"锦瑞", L"鑫瑞"};
    const wchar_t* const kinds[] = {L"证券", L"资管", L"基金"};
    const wchar_t* const words[] = {L"平衡", L"红利", L"稳健",   L"成长",
                                    L"量化", L"双债", L"月月盈", L"Alpha"};
    const wchar_t* const types[] = {L"混合型", L"债券型", L"股票型", L"货币型", L"FOF", L"QDII"};
    const wchar_t* const styles[] = {L"成长型", L"价值型", L"平衡型", L"稳健型", L"积极型", L"保守型"};
    XComPtr<Data::IDataTable> t = createInstanceAs<Data::IDataTable>("Data.DataTable");
    for (const wchar_t* c : kColumns)
        t->addColumn(c, Data::ValueText);
    t->reserveRows(kRows);
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < kRows; ++i) {
        Data::IDataRow& row = t->getRow(t->addRow());
        const wchar_t* house = houses[next(16)];
        const wchar_t* kind = kinds[next(3)];
        row.getItem(0).setText(XStringW::format(L"%06d", 200000 + i).c_str());
        row.getItem(1).setText(
            XStringW::format(L"%s%s%s%d号", house, words[next(8)], words[next(8)], 1 + next(12)).c_str());
        row.getItem(2).setText(types[next(6)]);
        row.getItem(3).setText(L"集合理财产品");
        row.getItem(4).setText(styles[next(6)]);
        row.getItem(5).setText(
            XStringW::format(L"%s%s-%s%s有限公司%d", house, kind, house, kind, static_cast<int>(next(8)))
                .c_str());
    }
    return t;
}

template <class F> double timed(F&& run) {
    const double start = bench::nowMs();
    run();
    return bench::nowMs() - start;
}

} // namespace

int main() {
    XComPtr<Data::IDataTable> products = makeProducts();
    Data::IDataContainer* source = products.get();
    std::vector<int> rows(kRows);
    volatile long long sink = 0;

    XComPtr<SearchFilterImpl> filter;
    filter.attach(new SearchFilterImpl());
    for (const wchar_t* c : kColumns)
        filter->addField(c);
    for (const wchar_t* k : kKeywords)
        filter->addKeyword(k);
    int keptByFilter = 0;
    const auto filterRun = [&] {
        std::iota(rows.begin(), rows.end(), 0);
        int count = kRows;
        filter->filter(source, rows.data(), &count);
        keptByFilter = count;
    };

    std::vector<XStringW> lowered;
    for (const wchar_t* k : kKeywords)
        lowered.push_back(XStringW(k).toLower());
    int columnIndex[6];
    for (int c = 0; c < 6; ++c)
        columnIndex[c] = source->getColumnIndex(kColumns[c]);
    int keptByLoop = 0;
    const auto loopRun = [&] {
        int kept = 0;
        for (int i = 0; i < kRows; ++i) {
            bool match = false;
            for (int c = 0; c < 6 && !match; ++c) {
                XStringW text = source->getRow(i).getItem(columnIndex[c]).getText();
                text.makeLower();
                for (const XStringW& k : lowered)
                    if (text.find(k.c_str()) >= 0) {
                        match = true;
                        break;
                    }
            }
            kept += match;
        }
        keptByLoop = kept;
    };

    ValueSet companies, styles;
    const auto collectRun = [&] {
        companies.collect(source, L"company");
        styles.collect(source, L"investstyle");
        sink += static_cast<long long>(companies.size() + styles.size());
    };
    size_t distinct = 0;
    const auto setRun = [&] {
        std::set<std::wstring> company, style;
        const int ci = source->getColumnIndex(L"company"), si = source->getColumnIndex(L"investstyle");
        for (int i = 0; i < kRows; ++i) {
            Data::IDataRow& row = source->getRow(i);
            XStringW a = row.getItem(ci).getText();
            XStringW b = row.getItem(si).getText();
            company.insert(std::wstring(a.c_str(), static_cast<size_t>(a.length())));
            style.insert(std::wstring(b.c_str(), static_cast<size_t>(b.length())));
        }
        distinct = company.size() + style.size();
    };

    // Each work and its floor take turns; each round gives one ratio of each.
    double filterMs = 1e300, loopMs = 1e300, collectMs = 1e300, setMs = 1e300;
    for (int r = 0; r < kRounds; ++r) {
        const double filterRound = timed(filterRun), loopRound = timed(loopRun);
        const double collectRound = timed(collectRun), setRound = timed(setRun);
        bench::result("keyword filter, 2 keywords x 6 columns, 20,000 rows",
                      "lower-case and find over the same texts", 3.0, filterRound / loopRound);
        bench::result("value sets of two columns, 20,000 rows", "std::set inserts of the same texts", 3.0,
                      collectRound / setRound);
        filterMs = std::min(filterMs, filterRound);
        loopMs = std::min(loopMs, loopRound);
        collectMs = std::min(collectMs, collectRound);
        setMs = std::min(setMs, setRound);
    }

    std::printf("products: %d, best of %d rounds\n", kRows, kRounds);
    std::printf("keyword filter, 2 keywords x 6 columns: %8.2f ms  kept %d\n", filterMs, keptByFilter);
    std::printf("  plain lower-case + find loop (floor):  %8.2f ms  kept %d\n", loopMs, keptByLoop);
    std::printf("  ratio of the fastest: %.2f\n", filterMs / loopMs);
    std::printf("value sets company + investstyle:        %8.2f ms  %zu values\n", collectMs,
                companies.size() + styles.size());
    std::printf("  std::set<std::wstring> inserts (floor): %8.2f ms  %zu values\n", setMs, distinct);
    std::printf("  ratio of the fastest: %.2f\n", collectMs / setMs);
    return keptByFilter == keptByLoop && companies.size() + styles.size() == distinct ? 0 : 1;
}
