// "mod_Database" over the local database file, generated on first run when missing, and the
// simulated data feed that writes new valuation days into it.
#pragma once

#include <string>
#include <vector>
#include "App.h"
#include "Database.h"

namespace Client {

// The database module over path, the missing indexes added first (addMissingIndexes); message
// says whether the database is open, whether it holds the product tables and whether it lacks
// an index it could not be given.
XComPtr<IDbModule> openDatabaseModule(const std::wstring& path, std::wstring& message);

// Which of the tables the product page reads the SQLite file at path lacks (all of them when it
// cannot be opened).
std::vector<std::wstring> missingProductTables(const std::wstring& path);

// Whether the database at path has every index of the product schema, and what was done when
// it had not: a database made before an index was added gets it here, through a writable
// connection of its own. A file that cannot be written keeps working without the index (the
// chart and the lists then read the whole value table); Failed says why in reason.
enum class IndexUpgrade { Present, Added, ReadOnly, Failed };
IndexUpgrade addMissingIndexes(const std::wstring& path, std::wstring& reason);

// Runs sampledata.exe from programDir to create path; false when it is missing or fails.
bool generateSampleDatabase(const std::wstring& path, const std::wstring& programDir, std::wstring& message);

// The feed's new valuation day: every product valued on the latest date gets a value on the
// next weekday, moved by under one percent. The database module reads the file read-only, so
// the feed writes through its own connection. On success newDate holds the day added.
bool appendValuationDay(const std::wstring& path, std::wstring& newDate, std::wstring& error);

} // namespace Client
