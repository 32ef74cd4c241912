// A product database written out as the data files the client imports: a products file and a
// values file, so that a user sees the format and the import can be checked by a round trip
// (generate, write the files, import them into an empty database, compare the page).
#pragma once

#include <string>

struct SampleFilesSummary {
    long long products = 0;
    long long values = 0;
    long long dividends = 0;
    // Dividends on a day without a stored value: a values line needs a unit value, so the files
    // cannot carry them.
    long long dividendsLeftOut = 0;
};

// Writes folder\products.csv and folder\values.csv (UTF-8 with a byte order mark, commas, CR LF,
// Chinese column names) from the database file: the products that are neither deleted nor
// delisted, with their company and their buy and redeem states as the page shows them, and
// their values and dividends that are not deleted.
bool writeSampleDataFiles(const std::wstring& database, const std::wstring& folder,
                          SampleFilesSummary* summary, std::string* error);
