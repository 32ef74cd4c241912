// The client's import of data files: from the command line before the page loads, and from the
// menu 数据 → 导入数据… with a file dialog, a progress window and a result message.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "ClientOptions.h"
#include "DataImporter.h"

namespace Client {

// The imports of the --import steps, each with the code --import-code gave it.
std::vector<ImportRequest> importRequests(const std::vector<ClientOptions::ImportStep>& steps);

// The data files the user picks in an open dialog (several at once); empty when cancelled.
std::vector<std::wstring> chooseImportFiles(HWND owner);

// Imports on a worker thread while this thread keeps the client's windows going; owner is
// disabled meanwhile. When the import takes longer than a moment, a progress window with a
// cancel button shows (cancelling imports nothing).
ImportReport importWithProgress(HWND owner, const std::wstring& database,
                                const std::vector<ImportRequest>& files);

// The result as the user reads it: a title line and the report's lines.
std::wstring importResultText(const ImportReport& report);
void showImportResult(HWND owner, const ImportReport& report);

} // namespace Client
