// --dump: the module's product table as tab-separated UTF-8 text, one header line of column
// names, then one line per row.
#pragma once

#include <string>
#include "App.h"

namespace Client {

// Tabs and line breaks inside a value become blanks so each row stays one line. The file is
// replaced only once the whole text is written.
bool writeTableTsv(Data::IDataContainer* table, const std::wstring& path, int& rows, std::wstring& error);

// Asks the module for its product table (getDataTable) and writes it. The module's interface is
// only known once its header is part of the tree; until then this reports that it cannot dump.
bool dumpModuleTable(IModule* module, const std::wstring& path, int& rows, std::wstring& message);

} // namespace Client
