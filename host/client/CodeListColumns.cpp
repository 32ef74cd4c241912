#include "CodeListColumns.h"

#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace Client {

namespace {

const ListColumnInfo kColumns[kListColumnCount] = {
    {L"代码", 72, false},  {L"名称", 200, false}, {L"最新净值", 76, true}, {L"日期", 86, false},
    {L"日涨幅", 66, true}, {L"近1月", 66, true},  {L"近1年", 66, true},    {L"今年以来", 72, true},
};

const std::optional<double>* returnOf(const ProductSummary& row, int column) {
    switch (column) {
    case ColDayReturn:
        return &row.dayReturn;
    case ColMonth1:
        return &row.month1;
    case ColYear1:
        return &row.year1;
    case ColYearToDate:
        return &row.yearToDate;
    }
    return nullptr;
}

std::string gb2312(const std::wstring& text) {
    const int n = WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                            nullptr);
    return out;
}

// One row's sort key in one column; absent keys sort last.
struct Key {
    bool present = false;
    double number = 0;
    std::string text;
};

Key keyOf(const ProductSummary& row, int column) {
    Key k;
    switch (column) {
    case ColCode:
        k.present = true;
        k.text = gb2312(row.code);
        break;
    case ColName:
        k.present = row.known;
        k.text = gb2312(row.name);
        break;
    case ColValue:
        k.present = row.hasValue;
        k.number = row.value;
        break;
    case ColDate:
        k.present = row.hasValue;
        k.text = gb2312(row.date);
        break;
    default:
        if (const std::optional<double>* r = returnOf(row, column)) {
            k.present = r->has_value();
            k.number = r->value_or(0);
        }
    }
    return k;
}

} // namespace

const ListColumnInfo& listColumnInfo(int column) {
    return kColumns[std::clamp(column, 0, kListColumnCount - 1)];
}

std::wstring listCellText(const ProductSummary& row, int column, bool databaseRead) {
    wchar_t buf[48];
    switch (column) {
    case ColCode:
        return row.code;
    case ColName:
        return row.known || !databaseRead ? row.name : std::wstring(kUnknownName);
    case ColValue:
        if (!row.hasValue)
            return L"--";
        swprintf(buf, 48, L"%.4f", row.value);
        return buf;
    case ColDate:
        return row.hasValue ? row.date : L"--";
    }
    const std::optional<double>* r = returnOf(row, column);
    if (!r || !*r)
        return L"--";
    swprintf(buf, 48, L"%.2f%%", **r * 100);
    // A return that rounds to zero shows no sign.
    return std::wstring(buf) == L"-0.00%" ? L"0.00%" : buf;
}

int listCellSign(const ProductSummary& row, int column) {
    const std::optional<double>* r = returnOf(row, column);
    if (!r || !*r || std::abs(**r) < 0.00005)
        return 0;
    return **r > 0 ? 1 : -1;
}

std::vector<size_t> listOrder(const std::vector<ProductSummary>& rows, int column, bool ascending) {
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (column < 0 || column >= kListColumnCount)
        return order;
    std::vector<Key> keys;
    keys.reserve(rows.size());
    for (const ProductSummary& row : rows)
        keys.push_back(keyOf(row, column));
    const bool numeric = column == ColValue || column >= ColDayReturn;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Key &x = keys[a], &y = keys[b];
        if (x.present != y.present)
            return x.present;
        if (!x.present)
            return false;
        const int c = numeric ? (x.number < y.number   ? -1
                                 : x.number > y.number ? 1
                                                       : 0)
                              : x.text.compare(y.text);
        return ascending ? c < 0 : c > 0;
    });
    return order;
}

} // namespace Client
