// What an import of data files did, file by file, and its summary lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include "ImportHeader.h"

struct ImportError {
    int64_t line = 0;
    std::string reason; // UTF-8
};

struct FileImportReport {
    // A report lists this many of a file's errors; errorCount counts them all.
    static constexpr size_t kListedErrors = 20;

    FileImportReport() = default;
    explicit FileImportReport(std::wstring file) : path(std::move(file)) {}

    std::wstring path;
    ImportKind kind = ImportKind::Unknown;
    bool imported = false;
    int64_t products = 0;
    int64_t values = 0; // value lines, of which changed replaced a stored value, unchanged found it
    int64_t changed = 0;
    int64_t unchanged = 0;
    int64_t dividends = 0;
    std::vector<std::string> ignoredColumns;
    std::vector<ImportError> errors;
    int64_t errorCount = 0;
    uint64_t bytesRead = 0; // of the file, before it was imported or refused
    // Why the file was not imported when no line is to blame (unreadable, the database busy,
    // the import cancelled); empty otherwise.
    std::string failure;

    void addError(int64_t line, std::string reason);
};

struct ImportReport {
    std::vector<FileImportReport> files; // in the order they were given
    bool cancelled = false;
    // Rows the committed import inserted or changed; 0 when nothing was written.
    int64_t rowsChanged = 0;

    // One line per file: "import: FILE: N products, M values (C changed, U unchanged), D
    // dividends" or "import failed: FILE: line L: reason (and K more errors); nothing imported",
    // and a line naming the ignored columns of a file that has any.
    std::vector<std::wstring> summaryLines() const;
    // The summary lines with every listed error of a failed file below it, for a message box.
    std::wstring detailText() const;
    bool allImported() const;
};
