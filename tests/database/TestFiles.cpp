#include "TestFiles.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const std::wstring& folder() {
    static const std::wstring dir = [] {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        std::wstring d =
            std::wstring(base) + L"af_database_tests_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(d.c_str(), nullptr);
        return d;
    }();
    return dir;
}

} // namespace

std::wstring TestFiles::path(const wchar_t* name) {
    return folder() + name;
}

std::string TestFiles::utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

sqlite3* TestFiles::openWritable(const std::wstring& file) {
    sqlite3* db = nullptr;
    EXPECT_EQ(SQLITE_OK,
              sqlite3_open_v2(utf8(file).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr));
    return db;
}

std::wstring TestFiles::makeDatabase(const wchar_t* name, const char* sql) {
    const std::wstring file = path(name);
    DeleteFileW(file.c_str());
    sqlite3* db = openWritable(file);
    char* message = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, &message)) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    return file;
}

void TestFiles::writeBytes(const std::wstring& file, const std::string& bytes) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string TestFiles::readBytes(const std::wstring& file) {
    std::string bytes;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

bool TestFiles::exists(const std::wstring& file) {
    return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}
