// "mod_Database" over the local database file, generated on first run when missing, and the
// simulated data feed that writes new valuation days into it.
#pragma once

#include <string>
#include <vector>
#include "App.h"
#include "Database.h"

namespace Client {

// The database module over path; message says whether the database is open and whether it
// holds the product tables.
XComPtr<IDbModule> openDatabaseModule(const std::wstring& path, std::wstring& message);

// Which of the tables the product page reads the SQLite file at path lacks (all of them when it
// cannot be opened).
std::vector<std::wstring> missingProductTables(const std::wstring& path);

// Runs sampledata.exe from programDir to create path; false when it is missing or fails.
bool generateSampleDatabase(const std::wstring& path, const std::wstring& programDir, std::wstring& message);

// The feed's new valuation day: every product valued on the latest date gets a value on the
// next weekday, moved by under one percent. The database module reads the file read-only, so
// the feed writes through its own connection. On success newDate holds the day added.
bool appendValuationDay(const std::wstring& path, std::wstring& newDate, std::wstring& error);

} // namespace Client
