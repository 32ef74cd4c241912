#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "module/host/File.h"
#include "module/host/Kernel.h"
#include "host/kernel/HostServices.h"

namespace {

class FileComponent : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        folder = std::wstring(base) + L"af_file_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        target = folder + L"\\导出.csv";
        file = createInstanceAs<IFile>("File.File");
        ASSERT_TRUE(file);
    }
    void TearDown() override {
        file = nullptr;
        for (const std::wstring& name : files()) {
            SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((folder + L"\\" + name).c_str());
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::vector<std::wstring> files() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileW(h, &found));
        FindClose(h);
        return names;
    }

    std::string contents() const {
        std::string bytes;
        HANDLE h =
            CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return "<none>";
        char buffer[256];
        DWORD read = 0;
        while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        CloseHandle(h);
        return bytes;
    }

    bool writeWhole(const std::string& text) {
        return file->open(target.c_str(), FileModeCreateWrite) &&
               file->write(text.data(), int64_t(text.size())) && file->close();
    }

    std::wstring folder, target;
    XComPtr<IFile> file;
};

TEST_F(FileComponent, TargetAppearsWholeOnlyAtClose) {
    ASSERT_TRUE(writeWhole("old"));
    ASSERT_TRUE(file->open(target.c_str(), FileModeCreateWrite));
    ASSERT_TRUE(file->write("new ", 4));
    ASSERT_TRUE(file->write("contents", 8));
    EXPECT_EQ(contents(), "old") << "the target is untouched while writing";
    EXPECT_EQ(files().size(), 2u);
    EXPECT_TRUE(file->close());
    EXPECT_EQ(contents(), "new contents");
    EXPECT_EQ(files(), std::vector<std::wstring>{L"导出.csv"});
    EXPECT_FALSE(file->close()) << "nothing open any more";
    EXPECT_FALSE(file->write("x", 1));
}

TEST_F(FileComponent, FailedOrAbandonedWritesLeaveNothingBehind) {
    ASSERT_TRUE(writeWhole("old"));
    ASSERT_TRUE(file->open(target.c_str(), FileModeCreateWrite));
    EXPECT_FALSE(file->write(nullptr, 5));
    EXPECT_FALSE(file->write("late", 4)) << "a failed file stays failed";
    EXPECT_FALSE(file->close());
    EXPECT_EQ(contents(), "old");
    EXPECT_EQ(files().size(), 1u);

    ASSERT_TRUE(file->open(target.c_str(), FileModeCreateWrite));
    ASSERT_TRUE(file->write("half", 4));
    file = nullptr; // released without close, as when the export is interrupted
    EXPECT_EQ(contents(), "old");
    EXPECT_EQ(files().size(), 1u);
}

TEST_F(FileComponent, UnwritablePlacesAreRefusedAtOpen) {
    EXPECT_FALSE(file->open((folder + L"\\no such folder\\out.csv").c_str(), FileModeCreateWrite));
    EXPECT_FALSE(file->open(folder.c_str(), FileModeCreateWrite)) << "a folder is no file";
    EXPECT_FALSE(file->open(target.c_str(), 1)) << "only create-for-writing is offered";
    EXPECT_FALSE(file->open(nullptr, FileModeCreateWrite));
    ASSERT_TRUE(writeWhole("kept"));
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(file->open(target.c_str(), FileModeCreateWrite));
    EXPECT_EQ(contents(), "kept");
    EXPECT_EQ(files().size(), 1u);

    // An empty file is a file.
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(file->open(target.c_str(), FileModeCreateWrite));
    EXPECT_TRUE(file->write("", 0));
    EXPECT_TRUE(file->close());
    EXPECT_EQ(contents(), "");
}

// A spreadsheet holding the target open, a read-only target, a full path close to MAX_PATH: each
// either writes the whole file or fails with the system's reason and leaves no trace.
TEST_F(FileComponent, FailuresCarryTheSystemsReasonAndLeaveTheOldBytes) {
    ASSERT_TRUE(writeWhole("old"));
    EXPECT_EQ(file->lastError(), 0u);
    HANDLE holder = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(file->open(target.c_str(), FileModeCreateWrite));
    ASSERT_TRUE(file->write("new", 3));
    EXPECT_FALSE(file->close()) << "the rename over a file open without sharing fails";
    EXPECT_NE(file->lastError(), 0u);
    CloseHandle(holder);
    EXPECT_EQ(contents(), "old");
    EXPECT_EQ(files(), std::vector<std::wstring>{L"导出.csv"});

    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(file->open(target.c_str(), FileModeCreateWrite));
    EXPECT_EQ(file->lastError(), uint32_t(ERROR_ACCESS_DENIED));
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(file->open((folder + L"\\no such folder\\out.csv").c_str(), FileModeCreateWrite));
    EXPECT_NE(file->lastError(), 0u);

    // 259 characters: the temporary name beside it is longer than MAX_PATH.
    std::wstring deep = folder + L"\\" + std::wstring(120, L'd');
    CreateDirectoryW(deep.c_str(), nullptr);
    const std::wstring longTarget =
        deep + L"\\" + std::wstring(MAX_PATH - 1 - deep.size() - 5, L'n') + L".csv";
    ASSERT_EQ(longTarget.size(), size_t(MAX_PATH - 1));
    EXPECT_TRUE(file->open(longTarget.c_str(), FileModeCreateWrite)) << file->lastError();
    EXPECT_TRUE(file->write("long", 4));
    EXPECT_TRUE(file->close()) << file->lastError();
    EXPECT_EQ(GetFileAttributesW(longTarget.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    DeleteFileW(longTarget.c_str());
    RemoveDirectoryW(deep.c_str());
}

// The client's own files (a configuration store, the database) are never replaced, however the
// path is spelt, and become writable again once let go.
TEST_F(FileComponent, FilesTheHostHoldsAreRefusedByIdentity) {
    const std::wstring store = folder + L"\\user.conf";
    {
        XComPtr<Conf::IConfManager> conf = createConfManager(store.c_str(), L"/Client2/UserConfig/");
        // Not written yet: refused by its name.
        EXPECT_FALSE(file->open(store.c_str(), FileModeCreateWrite));
        EXPECT_EQ(file->lastError(), uint32_t(ERROR_SHARING_VIOLATION));
        XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
        value->setString(L"kept");
        ASSERT_TRUE(conf->openKey(L"/Client2/UserConfig/x")->setValue(value.get()))
            << "the store writes its own file";
        const std::wstring spellings[] = {store, folder + L"\\USER.CONF", folder + L"\\.\\sub\\..\\user.conf",
                                          folder + L"/user.conf"};
        for (const std::wstring& path : spellings) {
            EXPECT_FALSE(file->open(path.c_str(), FileModeCreateWrite))
                << XStringW(path.c_str()).toUtf8().c_str();
            EXPECT_EQ(file->lastError(), uint32_t(ERROR_SHARING_VIOLATION));
        }
        EXPECT_EQ(files(), std::vector<std::wstring>{L"user.conf"});
    }
    EXPECT_TRUE(file->open(store.c_str(), FileModeCreateWrite)) << "released with its store";
    file->close();

    ASSERT_TRUE(writeWhole("database"));
    holdFile(target.c_str());
    holdFile(target.c_str());
    releaseFile(target.c_str());
    EXPECT_FALSE(file->open(target.c_str(), FileModeCreateWrite)) << "held twice, released once";
    releaseFile(target.c_str());
    EXPECT_TRUE(writeWhole("replaced"));
    EXPECT_EQ(contents(), "replaced");
}

} // namespace
