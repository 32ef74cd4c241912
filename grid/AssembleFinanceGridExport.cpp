// Export of the shown rows, in their shown order and with the texts the grid draws, to a file
// spreadsheet programs read: comma-separated UTF-16 or UTF-8, or tab-separated with ".xls".
#include <windows.h>
#include <commdlg.h>
#if defined(_M_X64) || defined(_M_IX86) || defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif
#include "AssembleFinanceGrid.h"
#include "ExportPieces.h"
#include "ExportText.h"
#include "gridframe/NumberLocale.h"
#include "resources/ResourceText.h"
#include "module/host/File.h"
#include "module/host/Kernel.h"
#include "wgui/FileDialog.h"

namespace {

// Description and pattern pairs, double-zero terminated, in the order of ExportFilter.
const wchar_t kExportFilters[] = L"使用逗号分隔的unicode编码CSV文件 (*.csv)\0*.csv\0"
                                 L"使用逗号分隔的utf8编码CSV文件 (*.csv)\0*.csv\0"
                                 L"Microsoft Office Excel 工作簿(*.xls)\0*.xls\0";

// The text goes to the file in pieces of about this size as the rows are made, so the export
// holds one piece of the file, never the whole of it.
constexpr size_t kPieceBytes = 64 * 1024;
// What a cell takes in the file, roughly, to cut pieces of about kPieceBytes by rows.
constexpr size_t kCellBytes = 16;

// Rows come in the shown order, scattered over the table, so reading a row's cells would wait on
// memory for each. The export asks for them ahead as it goes: a row's own place two steps of
// kAhead rows before it is read, its cells one step before.
constexpr int kAhead = 4;

inline void prefetch(const void* address) {
#if defined(_M_X64) || defined(_M_IX86) || defined(__x86_64__) || defined(__i386__)
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

bool endsWithXls(const XStringW& path) {
    int n = path.length();
    return n >= 4 && CompareStringOrdinal(path.c_str() + n - 4, 4, L".XLS", 4, TRUE) == CSTR_EQUAL;
}

XStringW systemReason(uint32_t error) {
    wchar_t* message = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    XStringW reason = n && message ? XStringW(message, int(n)) : XStringW::format(L"error %u", error);
    if (message)
        LocalFree(message);
    return reason.trimRight();
}

} // namespace

struct AssembleFinanceGrid::ExportLayout {
    XStringW header; // the header text the columns were read from
    std::vector<ExportColumn> columns;
    bool captions = false; // whether the header could be read, so that the file has a caption line
};

void AssembleFinanceGrid::ExportData() {
    try {
        // The dialog would otherwise leave the process in the user's export folder, and the host
        // opens some files by relative names.
        WGUI::FileDialog dialog(ThisModule(), false, L"csv", L"集合理财产品净值",
                                OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR, kExportFilters,
                                GetHwnd());
        const int chosen = dialog.choose(GetHwnd());
        XStringW path(dialog.fileName());
        uint32_t error = 0;
        if (chosen == IDABORT) {
            path = dialog.tooLongPath().c_str();
            error = ERROR_FILENAME_EXCED_RANGE;
        } else if (chosen != IDOK || ExportTo(path, int(dialog.openFileName().nFilterIndex), &error)) {
            return;
        }
        // The user confirmed the save; a file that was not written is said, on the main frame.
        MessageBoxW(GetAncestor(GetHwnd(), GA_ROOT), ExportFailureText(path, error).c_str(), L"数据导出",
                    MB_OK | MB_ICONERROR);
    } catch (...) {
    }
}

XStringW AssembleFinanceGrid::ExportFailureText(const XStringW& path, uint32_t error) {
    return L"文件未能保存：" + path + L"\n" + systemReason(error);
}

bool AssembleFinanceGrid::ExportTo(const XStringW& path, int filterIndex, uint32_t* error) {
    auto failed = [error](uint32_t reason) {
        if (error)
            *error = reason ? reason : ERROR_GEN_FAILURE;
        return false;
    };
    try {
        const bool utf8 = filterIndex == ExportUtf8Csv;
        const XStringW shownHeader = GetHeader();
        if (!exportLayout_ || shownHeader.isEmpty() || !(shownHeader == exportLayout_->header)) {
            auto layout = std::make_shared<ExportLayout>();
            layout->captions = ExportColumns(shownHeader, layout->columns);
            layout->header = shownHeader;
            exportLayout_ = std::move(layout);
        }
        const std::vector<ExportColumn>& columns = exportLayout_->columns;
        const bool header = exportLayout_->captions;
        // Each column is looked up once. Its descriptor comes from its own item in the header, so
        // a column the grid never drew is written as formatted as one it drew.
        std::vector<CellReader> readers;
        readers.reserve(columns.size());
        for (const ExportColumn& column : columns)
            readers.push_back(ReadColumn(HeaderInfo2(column.name, column.node.get())));
        const int rows = GetRowsCount();

        // "File.File" writes beside the target and renames on close; released without close (or
        // after a failed write) it leaves the target alone.
        XComPtr<IFile> file = createInstanceAs<IFile>("File.File");
        if (!file)
            return failed(ERROR_NOT_SUPPORTED);
        if (!file->open(path.c_str(), FileModeCreateWrite))
            return failed(file->lastError());
        const std::string mark = ExportText::ByteOrderMark(utf8);
        if (!file->write(mark.data(), int64_t(mark.size())))
            return failed(file->lastError());

        const wchar_t separator = endsWithXls(path) ? L'\t' : L',';
        if (header) {
            ExportText captions(separator, utf8);
            for (const ExportColumn& column : columns)
                captions.field(column.caption);
            captions.endLine();
            if (!file->write(captions.data(), int64_t(captions.byteCount())))
                return failed(file->lastError());
        }
        Data::IDataView* view = GetDisplayView();
        // Made on two threads at once (see ExportPieces): only reads of the rows and of the
        // column descriptors, which nothing changes while the export runs.
        auto make = [&](int first, int end, ExportText& text, XStringW& cell) {
            for (int row = first; row < end; ++row) {
                Data::IDataRow* cells = view ? &view->getRow(row) : nullptr;
                if (view && row + 2 * kAhead < rows)
                    prefetch(&view->getRow(row + 2 * kAhead));
                if (view && row + kAhead < rows) {
                    Data::IDataRow& ahead = view->getRow(row + kAhead);
                    for (const CellReader& reader : readers)
                        if (reader.item >= 0)
                            prefetch(&ahead.getItem(reader.item));
                }
                for (const CellReader& reader : readers) {
                    ReadCell(cells, row, reader, cell);
                    text.field(cell);
                }
                text.endLine();
            }
        };
        auto write = [&](const ExportText& text) {
            return file->write(text.data(), int64_t(text.byteCount()));
        };
        NumberLocale::current(); // made on first use, so before a second thread may use it
        const int pieceRows = int(kPieceBytes / (readers.size() * kCellBytes + 1)) + 1;
        ExportPieces pieces(rows, pieceRows, separator, utf8);
        bool outOfMemory = false;
        if (!pieces.run(make, write, outOfMemory))
            return failed(outOfMemory ? ERROR_NOT_ENOUGH_MEMORY : file->lastError());
        if (!file->close())
            return failed(file->lastError());
        return true;
    } catch (...) {
        return failed(ERROR_NOT_ENOUGH_MEMORY);
    }
}
