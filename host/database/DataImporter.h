// Imports products, net values and dividends from data files into the host's local database,
// in one transaction: a file with any error adds nothing, and a crash, a kill or a cancel leaves
// the database as it was before or with the whole import in it. Files are read as streams;
// memory does not grow with a file's size beyond a few bytes per value line (the keys that find
// a (code, date) given twice).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "ImportReport.h"

struct ImportRequest {
    std::wstring path;
    // The code of a values file without a code column; empty: the file's name without its
    // extension ("200010.csv").
    std::string code;
};

class DataImporter final {
public:
    // How long an import waits for another program that holds the database.
    static constexpr int kDefaultBusyTimeoutMs = 5000;

    explicit DataImporter(std::wstring databasePath);
    ~DataImporter();

    void setBusyTimeout(int ms) { busyTimeoutMs_ = ms; }
    // Called on the importing thread about every MiB read, with the bytes read of all files and
    // their total; returning false cancels the import.
    void setProgress(std::function<bool(uint64_t done, uint64_t total)> progress) {
        progress_ = std::move(progress);
    }

    // Products files first, then values files (so a values file may name a product a products
    // file of the same import adds); the report keeps the order given. The database file is
    // created when missing and given the tables it lacks.
    ImportReport run(const std::vector<ImportRequest>& files);

private:
    class Session;
    class FileImport;

    std::wstring databasePath_;
    int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
    std::function<bool(uint64_t, uint64_t)> progress_;
};
