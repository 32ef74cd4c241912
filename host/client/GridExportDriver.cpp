#include "GridExportDriver.h"

#include <cwctype>
#include "DataGrid.h"
#include "FilePaths.h"
#include "ModalAnswers.h"
#include "WindowSearch.h"

namespace Client {

namespace {

const wchar_t kExportItem[] = L"数据导出";

bool lastWrite(const std::wstring& path, FILETIME& time, ULONGLONG& size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    time = data.ftLastWriteTime;
    size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

} // namespace

const wchar_t kInvalidPath[] = L"invalid path";

HWND findGridWindow(HWND root) {
    wchar_t name[32] = {};
    if (root && GetClassNameW(root, name, 32) && lstrcmpW(name, L"XDataGrid") == 0 && IsWindowVisible(root))
        return root;
    return findDescendant(root, L"XDataGrid", true);
}

bool firstRowPoint(HWND grid, POINT& point) {
    // Control.dll is the client's own library: its window object is found through the property
    // it keeps on the window, and asked where its rows are.
    auto* window = static_cast<XWin*>(GetPropW(grid, L"XWin.self"));
    auto* dataGrid = dynamic_cast<XDataGrid*>(window);
    if (!dataGrid || dataGrid->GetRowsCount() <= 0)
        return false;
    RECT client{};
    GetClientRect(grid, &client);
    const int x = 8, top = dataGrid->GetTopRow();
    for (int y = 0; y < client.bottom; ++y) {
        int area = XDataGrid::HitNone;
        int row = dataGrid->HitTest(x, y, nullptr, &area);
        if (area == XDataGrid::HitCell && row == top) {
            // The middle of the row's first lines is safely inside it.
            point = {x, y + 3};
            return true;
        }
    }
    return false;
}

int defaultExportFilter(const std::wstring& path) {
    if (path.size() < 4)
        return 1;
    std::wstring tail = path.substr(path.size() - 4);
    for (wchar_t& c : tail)
        c = wchar_t(std::towupper(c));
    return tail == L".XLS" ? 3 : 1;
}

bool exportThroughGrid(HWND pageRoot, const std::wstring& path, int filterIndex, std::wstring& message) {
    HWND grid = findGridWindow(pageRoot);
    POINT point{};
    if (!grid) {
        message = L"no grid on the page";
        return false;
    }
    if (!firstRowPoint(grid, point)) {
        message = L"the grid shows no row to right-click";
        return false;
    }
    // The dialog takes a path with "\" only, and would resolve a relative one against its own
    // folder rather than the client's.
    const std::wstring typed = FilePaths::fullPath(path);
    FILETIME before{};
    ULONGLONG sizeBefore = 0;
    const bool existed = lastWrite(typed, before, sizeBefore);

    ModalAnswers answers;
    answers.chooseMenuItem(kExportItem);
    answers.answerSaveDialog(typed, filterIndex);
    answers.answerOverwrite(true);
    SendMessageW(grid, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageW(grid, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    // The chosen item arrives as a posted WM_COMMAND; the export runs while it is dispatched.
    MSG msg;
    while (PeekMessageW(&msg, grid, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        DispatchMessageW(&msg);

    if (!answers.menuSeen) {
        message = L"no context menu";
        return false;
    }
    if (!answers.menuItemFound) {
        message = L"no 数据导出 in the context menu";
        return false;
    }
    if (!answers.saveDialog.seen) {
        message = L"no save dialog";
        return false;
    }
    if (answers.saveDialog.refused) {
        message = kInvalidPath;
        return false;
    }
    // The grid's own word on a failure: the system's reason is the box's second line.
    for (const ModalAnswers::MessageBoxSeen& box : answers.messageBoxes) {
        if (box.caption != kExportItem)
            continue;
        const size_t lineEnd = box.text.find(L'\n');
        message = lineEnd == std::wstring::npos ? box.text : box.text.substr(lineEnd + 1);
        return false;
    }
    FILETIME after{};
    ULONGLONG sizeAfter = 0;
    if (!lastWrite(typed, after, sizeAfter) ||
        (existed && CompareFileTime(&before, &after) == 0 && sizeBefore == sizeAfter)) {
        message = L"the file was not written";
        return false;
    }
    message = std::to_wstring(sizeAfter) + L" bytes";
    return true;
}

} // namespace Client
