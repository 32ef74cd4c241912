// The grid's "数据导出" command run as a user runs it: a right click on the first shown row, the
// item chosen in the context menu, the save dialog filled in and confirmed (and an overwrite
// question answered yes).
#pragma once

#include <windows.h>
#include <string>

namespace Client {

// The first visible "XDataGrid" window at or under root, or null.
HWND findGridWindow(HWND root);
// A point (client coordinates) inside the first shown row of a grid window; false when the grid
// shows no row.
bool firstRowPoint(HWND grid, POINT& point);

// The filter a user picks for a file name: 3 (the worksheet type) for a name ending in ".xls",
// in any letter case, else 1.
int defaultExportFilter(const std::wstring& path);

// The message of an export whose path the save dialog refused (a "*", "?" or another character
// no file name takes): the dialog is then cancelled rather than left waiting.
extern const wchar_t kInvalidPath[];

// Runs the export into path with the save dialog's filter filterIndex (1-based); path is typed
// into the dialog as a full path with "\" (a relative path is the client's current folder's).
// Returns whether the file was written; message says what happened, for the summary: the
// system's reason when the grid reported a failure, kInvalidPath when the dialog refused the name.
bool exportThroughGrid(HWND pageRoot, const std::wstring& path, int filterIndex, std::wstring& message);

} // namespace Client
