// What the import tests share: data files written in any encoding, separator and line end from
// rows of UTF-8 fields, a fresh database per test, the import itself and the rows read back.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include <vector>
#include "DataImporter.h"
#include "ProductSchema.h"
#include "TestFiles.h"

namespace importtest {

enum class Encoding { Utf8Bom, Utf8, Gb18030, Utf16Le, Utf16Be };

inline std::wstring wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

// GB18030 from code page 936 for what it has, and the standard's own codes for the rest (the
// code page lacks those; they are what a GB18030 file holds).
inline std::string toGb18030(const std::wstring& text) {
    struct Special {
        char32_t c;
        const char* bytes;
    };
    static const Special kSpecial[] = {{0x20AC, "\xA2\xE3"},          {0x00E9, "\xA8\xA6"},
                                       {0x20000, "\x95\x32\x82\x36"}, {0x2122, "\x81\x36\xBE\x34"},
                                       {0x00D8, "\x81\x30\x89\x31"},  {0x2E81, "\xFE\x50"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        size_t units = 1;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            units = 2;
        }
        bool special = false;
        for (const Special& s : kSpecial)
            if (s.c == c) {
                out += s.bytes;
                special = true;
            }
        if (!special) {
            char bytes[8];
            BOOL defaulted = FALSE;
            const int n =
                WideCharToMultiByte(936, 0, &text[i], static_cast<int>(units), bytes, 8, nullptr, &defaulted);
            EXPECT_FALSE(defaulted) << "no GB18030 code in the test for U+" << std::hex << uint32_t(c);
            out.append(bytes, static_cast<size_t>(n));
        }
        i += units - 1;
    }
    return out;
}

inline std::string encode(const std::string& utf8, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + utf8;
    case Encoding::Utf8:
        return utf8;
    case Encoding::Gb18030:
        return toGb18030(wide(utf8));
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const std::wstring w = wide(utf8);
        std::string out = encoding == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
        for (wchar_t u : w) {
            const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
            out += encoding == Encoding::Utf16Le ? lo : hi;
            out += encoding == Encoding::Utf16Le ? hi : lo;
        }
        return out;
    }
    }
    return utf8;
}

// Rows of fields as delimited text: a field is quoted when it holds the separator, a quote or
// a line end, or when forceQuotes is set.
inline std::string delimited(const std::vector<std::vector<std::string>>& rows, char separator,
                             const std::string& lineEnd, bool forceQuotes = false) {
    std::string out;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            const std::string& f = row[i];
            if (i)
                out += separator;
            if (forceQuotes || f.find_first_of(std::string(1, separator) + "\"\r\n") != std::string::npos) {
                out += '"';
                for (char c : f)
                    out += c == '"' ? std::string("\"\"") : std::string(1, c);
                out += '"';
            } else {
                out += f;
            }
        }
        out += lineEnd;
    }
    return out;
}

// A fresh database per test: the product tables with the given rows, or no file at all.
class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        prefix_ = wide(std::string(info->test_suite_name()) + "_" + info->name());
        folder_ = TestFiles::path(prefix_.c_str()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
        database = folder_ + L"local.db";
        DeleteFileW(database.c_str());
        DeleteFileW((database + L"-journal").c_str());
    }

    void makeDatabase(const std::string& rowsSql) {
        sqlite3* db = TestFiles::openWritable(database);
        char* message = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, (std::string(kProductSchema) + rowsSql).c_str(), nullptr,
                                          nullptr, &message))
            << (message ? message : "");
        sqlite3_free(message);
        sqlite3_close(db);
    }

    std::wstring file(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = folder_ + name;
        TestFiles::writeBytes(path, bytes);
        return path;
    }

    ImportReport import(const std::vector<std::wstring>& files, const std::string& code = std::string()) {
        std::vector<ImportRequest> requests;
        for (const std::wstring& f : files)
            requests.push_back({f, code});
        DataImporter importer(database);
        importer.setBusyTimeout(busyTimeoutMs);
        return importer.run(requests);
    }

    // The rows of a query, each as its columns joined by "|" (null as "~").
    std::vector<std::string> rows(const std::string& sql) {
        std::vector<std::string> out;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(TestFiles::utf8(database).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK) {
            sqlite3_close(db);
            return out;
        }
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr)) << sqlite3_errmsg(db);
        while (s && sqlite3_step(s) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                const unsigned char* t = sqlite3_column_text(s, c);
                row +=
                    (c ? "|" : "") + (t ? std::string(reinterpret_cast<const char*>(t)) : std::string("~"));
            }
            out.push_back(row);
        }
        sqlite3_finalize(s);
        sqlite3_close(db);
        return out;
    }

    static std::string text(const std::wstring& w) { return TestFiles::utf8(w); }

    std::wstring database;
    int busyTimeoutMs = 2000;

private:
    std::wstring prefix_;
    std::wstring folder_; // the test's own: files keep the names a test gives them
};

} // namespace importtest
