#include "SampleFile.h"

#include <windows.h>
#include <sqlite3.h>

std::string sampleUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

namespace {

// Deletes the temporary file unless it was handed over.
class TemporaryFile final {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty())
            DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& path() const { return path_; }
    void keep() { path_.clear(); }

private:
    std::wstring path_;
};

std::string lastErrorText(const char* what) {
    return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

} // namespace

bool writeSampleFile(const std::wstring& path, const SampleOptions& options, SampleSummary* summary,
                     std::string* error) {
    wchar_t full[MAX_PATH * 2];
    wchar_t* namePart = nullptr;
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, &namePart);
    if (length == 0 || length >= MAX_PATH * 2 || !namePart) {
        if (error)
            *error = "bad output path";
        return false;
    }
    const std::wstring folder(full, namePart);
    wchar_t temporary[MAX_PATH * 2 + 16];
    if (!GetTempFileNameW(folder.c_str(), L"sdb", 0, temporary)) {
        if (error)
            *error = lastErrorText("creating the temporary file");
        return false;
    }
    TemporaryFile scratch(temporary);

    sqlite3* db = nullptr;
    bool ok =
        sqlite3_open_v2(sampleUtf8(scratch.path()).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    if (!ok && error)
        *error = db ? sqlite3_errmsg(db) : "cannot open the temporary file";
    ok = ok && generateSample(db, options, summary, error);
    if (sqlite3_close(db) != SQLITE_OK && ok) {
        ok = false;
        if (error)
            *error = "closing the database failed";
    }
    if (!ok)
        return false;
    if (!MoveFileExW(scratch.path().c_str(), full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (error)
            *error = lastErrorText("replacing the output file");
        return false;
    }
    scratch.keep();
    return true;
}
