#include "ProductTableDump.h"

#include <windows.h>
#include "OutputFile.h"

#if __has_include("module/IAssembleFinanceModule.h")
#include "module/IAssembleFinanceModule.h"
#define CLIENT_KNOWS_MODULE_INTERFACE 1
#endif

namespace Client {

namespace {

std::wstring field(const wchar_t* text) {
    std::wstring s = text ? text : L"";
    for (wchar_t& c : s)
        if (c == L'\t' || c == L'\n' || c == L'\r')
            c = L' ';
    return s;
}

} // namespace

bool writeTableTsv(Data::IDataContainer* table, const std::wstring& path, int& rows, std::wstring& error) {
    rows = 0;
    if (!table) {
        error = L"no table";
        return false;
    }
    std::wstring text;
    int columns = table->columnCount();
    for (int c = 0; c < columns; ++c) {
        Data::IColumnItem* col = table->getColumn(c);
        text += (c ? L"\t" : L"") + field(col ? col->getName() : L"");
    }
    text += L"\n";
    for (int r = 0; r < table->rowCount(); ++r) {
        Data::IDataRow& row = table->getRow(r);
        for (int c = 0; c < columns; ++c)
            text += (c ? L"\t" : L"") + field(row.getItem(c).getText().c_str());
        text += L"\n";
        ++rows;
    }
    return writeFileReplacing(path, utf8(text), error);
}

bool dumpModuleTable(IModule* module, const std::wstring& path, int& rows, std::wstring& message) {
    rows = 0;
#ifdef CLIENT_KNOWS_MODULE_INTERFACE
    XComPtr<IAssembleFinanceModule> finance = xcom_cast<IAssembleFinanceModule>(module);
    if (!finance) {
        message = L"the loaded module offers no product table";
        return false;
    }
    XComPtr<Data::IDataTable> table = finance->getDataTable();
    return writeTableTsv(table.get(), path, rows, message);
#else
    (void)module;
    (void)path;
    message = L"--dump is not available: this client was built without the module's interface";
    return false;
#endif
}

} // namespace Client
