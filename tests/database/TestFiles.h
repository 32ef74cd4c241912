// Scratch files for the database tests: a fresh folder per test program run, databases made
// with a writable SQLite connection of the test's own, and whole-file reads to prove that the
// module wrote nothing.
#pragma once

#include <string>

struct sqlite3;

class TestFiles final {
public:
    // A path in this run's scratch folder (not created).
    static std::wstring path(const wchar_t* name);
    // Creates (or replaces) a database file and runs sql in it. Fails the test on error.
    static std::wstring makeDatabase(const wchar_t* name, const char* sql);
    static void writeBytes(const std::wstring& file, const std::string& bytes);
    static std::string readBytes(const std::wstring& file);
    static bool exists(const std::wstring& file);
    static std::string utf8(const std::wstring& text);
    // A writable connection; the caller closes it.
    static sqlite3* openWritable(const std::wstring& file);
};
