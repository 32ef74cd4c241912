// "mod_Database" over the local database file, generated on first run when missing.
#pragma once

#include <string>
#include "App.h"

namespace Client {

// The database module, or null with the reason in message (message is set either way).
XComPtr<IModule> openDatabaseModule(const std::wstring& path, const std::wstring& programDir,
                                    std::wstring& message);

// Runs sampledata.exe from programDir to create path; false when it is missing or fails.
bool generateSampleDatabase(const std::wstring& path, const std::wstring& programDir, std::wstring& message);

// The data feed's new valuation day; a no-op until the database module offers writing.
void appendValuationDay(IModule* database, const std::wstring& path);

} // namespace Client
