// The columns of the funds pool and watched list windows: captions, cell texts and the order of
// the rows sorted by one column. Plain data, so the rules are tested without a window.
#pragma once

#include <string>
#include <vector>
#include "ProductLookup.h"

namespace Client {

enum ListColumn : int {
    ColCode,
    ColName,
    ColValue,
    ColDate,
    ColDayReturn,
    ColMonth1,
    ColYear1,
    ColYearToDate
};
constexpr int kListColumnCount = 8;

struct ListColumnInfo {
    const wchar_t* title;
    int width;
    bool rightAligned;
};
const ListColumnInfo& listColumnInfo(int column);

// Shown instead of a name for a code the database does not list; the code stays in the list.
constexpr const wchar_t* kUnknownName = L"(未知代码)";

// The text of a cell. databaseRead: the database answered, so a code it lacks is unknown
// (rather than not looked up).
std::wstring listCellText(const ProductSummary& row, int column, bool databaseRead);

// Whether a return column's cell holds a figure, and its sign (+1, -1 or 0), for its colour.
int listCellSign(const ProductSummary& row, int column);

// The rows' indices in the order shown: the list's own order for column < 0, otherwise sorted
// by that column's value (numbers as numbers, texts by their GB2312 bytes, close to pinyin),
// cells without a value last in either direction, equal values in the list's order.
std::vector<size_t> listOrder(const std::vector<ProductSummary>& rows, int column, bool ascending);

} // namespace Client
