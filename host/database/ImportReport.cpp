#include "ImportReport.h"

#include "XString.h"

namespace {

std::wstring wide(const std::string& utf8) {
    return XStringW::fromUtf8(utf8.c_str(), static_cast<int>(utf8.size())).c_str();
}

std::wstring count(int64_t n) {
    return std::to_wstring(n);
}

std::wstring errorText(const ImportError& e) {
    return e.line > 0 ? L"line " + count(e.line) + L": " + wide(e.reason) : wide(e.reason);
}

} // namespace

void FileImportReport::addError(int64_t line, std::string reason) {
    ++errorCount;
    if (errors.size() < kListedErrors)
        errors.push_back({line, std::move(reason)});
}

std::vector<std::wstring> ImportReport::summaryLines() const {
    std::vector<std::wstring> lines;
    for (const FileImportReport& f : files) {
        if (f.imported) {
            lines.push_back(L"import: " + f.path + L": " + count(f.products) + L" products, " +
                            count(f.values) + L" values (" + count(f.changed) + L" changed, " +
                            count(f.unchanged) + L" unchanged), " + count(f.dividends) + L" dividends");
        } else if (!f.failure.empty()) {
            lines.push_back(L"import failed: " + f.path + L": " + wide(f.failure) + L"; nothing imported");
        } else {
            std::wstring line =
                L"import failed: " + f.path + L": " +
                (f.errors.empty() ? std::wstring(L"not imported") : errorText(f.errors.front()));
            if (f.errorCount > 1)
                line += L" (and " + count(f.errorCount - 1) + L" more errors)";
            lines.push_back(line + L"; nothing imported");
        }
        if (!f.ignoredColumns.empty()) {
            std::wstring line = L"import: " + f.path + L": columns ignored:";
            for (size_t i = 0; i < f.ignoredColumns.size(); ++i)
                line += (i ? L", " : L" ") + wide(f.ignoredColumns[i]);
            lines.push_back(line);
        }
    }
    return lines;
}

std::wstring ImportReport::detailText() const {
    std::wstring text;
    size_t at = 0;
    const std::vector<std::wstring> lines = summaryLines();
    for (const FileImportReport& f : files) {
        // The file's own lines: its result, then its ignored columns when it has any.
        text += lines[at++] + L"\n";
        if (!f.ignoredColumns.empty())
            text += lines[at++] + L"\n";
        if (f.imported || !f.failure.empty())
            continue;
        for (const ImportError& e : f.errors)
            text += L"    " + errorText(e) + L"\n";
        if (f.errorCount > static_cast<int64_t>(f.errors.size()))
            text += L"    … " + count(f.errorCount) + L" errors in all\n";
    }
    return text;
}

bool ImportReport::allImported() const {
    for (const FileImportReport& f : files)
        if (!f.imported)
            return false;
    return !files.empty();
}
