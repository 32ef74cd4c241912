// What the client's own windows read about products from the local database through
// "mod_Database": names and latest values for the funds pool and watched list, and a product's
// whole value history for the chart.
#pragma once

#include <string>
#include <vector>
#include "Database.h"

namespace Client {

// A code as an SQL text literal. Codes come from the user's lists and from the module, so a
// quote in one must stay inside the literal.
std::wstring sqlText(const std::wstring& text);

// Runs one statement into a new table; null when there is no open database or it fails.
XComPtr<Data::IDataTable> queryTable(IDatabase* db, const std::wstring& sql);

struct ProductSummary {
    std::wstring code;
    std::wstring name;
    bool known = false;    // the database lists the code (deleted or delisted products included)
    bool hasValue = false; // it has a unit value on some day
    double value = 0;      // the latest unit value
    std::wstring date;     // and its day
};

// One summary per code, in the order given. False when the database cannot be asked: then
// every summary carries only its code and known stays false without meaning "unknown".
bool describeProducts(IDatabase* db, const std::vector<std::wstring>& codes,
                      std::vector<ProductSummary>& out);

} // namespace Client
