// What the client's own windows read about products from the local database through
// "mod_Database": names, latest values and recent returns for the funds pool and watched list,
// and a product's whole value history for the chart.
#pragma once

#include <optional>
#include <string>
#include <vector>
#include "Database.h"

namespace Client {

// A code as an SQL text literal. Codes come from the user's lists and from the module, so a
// quote in one must stay inside the literal.
std::wstring sqlText(const std::wstring& text);

// A cell's number; false for a missing value, a text that is not a number, and NaN or ±inf
// (texts the table may hold), which would otherwise reach the chart's axis and the figures.
bool cellNumber(Data::IDataItem& item, double& out);

// Runs one statement into a new table; null when there is no open database or it fails.
XComPtr<Data::IDataTable> queryTable(IDatabase* db, const std::wstring& sql);

struct ProductSummary {
    std::wstring code;
    std::wstring name;
    bool known = false;    // the database lists the code (deleted or delisted products included)
    bool hasValue = false; // it has a unit value on some day
    double value = 0;      // the latest unit value
    std::wstring date;     // and its day
    // Returns on that day, as fractions (0.0123 is 1.23 %); empty where there is no such figure:
    // the last step's (日涨幅, dividends reinvested), and those of the ranges 1M, 1Y and YTD.
    std::optional<double> dayReturn, month1, year1, yearToDate;
};

// One summary per code, in the order given. False when the database cannot be asked: then
// every summary carries only its code and known stays false without meaning "unknown".
// Each code is looked up by itself through the indexes, so the cost follows the list's length,
// not the size of the value table.
bool describeProducts(IDatabase* db, const std::vector<std::wstring>& codes,
                      std::vector<ProductSummary>& out);

} // namespace Client
