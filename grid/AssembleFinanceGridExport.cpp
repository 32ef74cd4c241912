// Export of the shown rows, in their shown order and with the texts the grid draws, to a file
// spreadsheet programs read: comma-separated UTF-16 or UTF-8, or tab-separated with ".xls".
#include <windows.h>
#include <commdlg.h>
#include "AssembleFinanceGrid.h"
#include "ExportText.h"
#include "resources/ResourceText.h"
#include "module/host/File.h"
#include "module/host/Kernel.h"
#include "wgui/FileDialog.h"

namespace {

// Description and pattern pairs, double-zero terminated, in the order of ExportFilter.
const wchar_t kExportFilters[] = L"使用逗号分隔的unicode编码CSV文件 (*.csv)\0*.csv\0"
                                 L"使用逗号分隔的utf8编码CSV文件 (*.csv)\0*.csv\0"
                                 L"Microsoft Office Excel 工作簿(*.xls)\0*.xls\0";

bool endsWithXls(const XStringW& path) {
    int n = path.length();
    return n >= 4 && CompareStringOrdinal(path.c_str() + n - 4, 4, L".XLS", 4, TRUE) == CSTR_EQUAL;
}

} // namespace

void AssembleFinanceGrid::ExportData() {
    try {
        WGUI::FileDialog dialog(ThisModule(), false, L"csv", L"集合理财产品净值",
                                OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, kExportFilters, GetHwnd());
        if (dialog.choose(GetHwnd()) != IDOK)
            return;
        // Nothing is reported either way: the user sees the file or its absence.
        ExportTo(dialog.fileName(), int(dialog.openFileName().nFilterIndex));
    } catch (...) {
    }
}

bool AssembleFinanceGrid::ExportTo(const XStringW& path, int filterIndex) {
    const bool utf8 = filterIndex == ExportUtf8Csv;
    std::vector<ExportColumn> columns;
    const bool header = ExportColumns(GetHeader(), columns);
    const int rows = GetRowsCount();

    // The whole file is made before the file is opened, so a failure on the way leaves any
    // existing file as it was. Room for 16 units a field: pages never written are never touched.
    ExportText text(endsWithXls(path) ? L'\t' : L',', utf8);
    text.reserve(size_t(rows + 1) * columns.size() * 16);
    if (header) {
        for (const ExportColumn& column : columns)
            text.field(column.caption);
        text.endLine();
    }
    // Descriptions carry the name only, as the grid's own cache keys them.
    std::vector<HeaderInfo2> infos;
    infos.reserve(columns.size());
    for (const ExportColumn& column : columns)
        infos.emplace_back(column.name);
    XStringW cell;
    for (int row = 0; row < rows; ++row) {
        for (const HeaderInfo2& info : infos) {
            GetItemText(row, info, cell);
            text.field(cell);
        }
        text.endLine();
    }
    const std::string mark = ExportText::ByteOrderMark(utf8);

    // "File.File" writes beside the target and renames on close; released without close (or
    // after a failed write) it leaves the target alone.
    XComPtr<IFile> file = createInstanceAs<IFile>("File.File");
    if (!file || !file->open(path.c_str(), FileModeCreateWrite))
        return false;
    if (!file->write(mark.data(), int64_t(mark.size())) ||
        !file->write(text.data(), int64_t(text.byteCount())))
        return false;
    return file->close();
}
