#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "host/kernel/HostServices.h"
#include "module/host/Kernel.h"

namespace {

const wchar_t kUser[] = L"/Client2/UserConfig/";
const wchar_t kHeaderKey[] = L"/Client2/UserConfig/mod_AssembleFinance/Custom_Header_8";
// A value with everything the file format must escape or carry.
const wchar_t kAwkward[] = L"<header a=\"1\">\r\n\t<item name=\"代码\"/>\\n = \\</header>";

std::wstring tempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder =
        std::wstring(base) + L"af_conf_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::vector<std::wstring> filesIn(const std::wstring& folder) {
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

void removeFolder(const std::wstring& folder) {
    for (const std::wstring& name : filesIn(folder))
        DeleteFileW((folder + L"\\" + name).c_str());
    RemoveDirectoryW(folder.c_str());
}

bool writeRaw(const std::wstring& file, const std::string& bytes) {
    HANDLE h =
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return written == bytes.size();
}

std::string readRaw(const std::wstring& file) {
    std::string bytes;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(h);
    return bytes;
}

bool setText(Conf::IConfManager* store, const wchar_t* path, const wchar_t* text) {
    XComPtr<Conf::IConfKey> key = store->openKey(path);
    XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    if (!key || !value)
        return false;
    value->setString(text);
    return key->setValue(value);
}

XStringW getText(Conf::IConfManager* store, const wchar_t* path) {
    XComPtr<Conf::IConfKey> key = store->getKey(path);
    return key ? key->getValue()->getString() : XStringW(L"<missing>");
}

// Run by the parent test in a second process: writes the store named in the environment.
TEST(ConfChild, WritesTheStore) {
    const char* file = std::getenv("AF_CONF_CHILD_STORE");
    if (!file)
        GTEST_SKIP() << "only run as the child of ConfStore.SurvivesAProcessRestart";
    XComPtr<Conf::IConfManager> store = createConfManager(XStringW::fromUtf8(file).c_str(), kUser);
    ASSERT_TRUE(setText(store, kHeaderKey, kAwkward));
    ASSERT_TRUE(setText(store, L"/Client2/UserConfig/FontSize", L"1.25"));
    ASSERT_TRUE(setText(store, L"/Client2/UserConfig/Gone", L"x"));
    ASSERT_TRUE(store->removeKey(L"/Client2/UserConfig/Gone"));
}

TEST(ConfStore, SurvivesAProcessRestart) {
    std::wstring folder = tempFolder(L"restart");
    std::wstring file = folder + L"\\sub\\user.conf"; // the store makes its own folders
    SetEnvironmentVariableW(L"AF_CONF_CHILD_STORE", file.c_str());
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + exe + L"\" --gtest_filter=ConfChild.* --gtest_brief=1";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableW(L"AF_CONF_CHILD_STORE", nullptr);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(code, 0u);

    XComPtr<Conf::IConfManager> store = createConfManager(file.c_str(), kUser);
    EXPECT_STREQ(getText(store, kHeaderKey).c_str(), kAwkward);
    XComPtr<Conf::IConfKey> zoom = store->getKey(L"/Client2/UserConfig/FontSize");
    ASSERT_TRUE(zoom);
    EXPECT_EQ(zoom->getValue()->getDouble(), 1.25);
    EXPECT_FALSE(store->getKey(L"/Client2/UserConfig/Gone"));
    EXPECT_EQ(filesIn(folder + L"\\sub"), std::vector<std::wstring>{L"user.conf"})
        << "no temporary file left";
    store = nullptr;
    DeleteFileW(file.c_str());
    RemoveDirectoryW((folder + L"\\sub").c_str());
    removeFolder(folder);
}

TEST(ConfStore, UnreadableFileIsMovedAsideNotOverwritten) {
    std::wstring folder = tempFolder(L"corrupt");
    std::wstring file = folder + L"\\system.conf";
    const std::string garbage = "Client2/System/Top_Default=code=1\nthis line has no equals sign\n";
    ASSERT_TRUE(writeRaw(file, garbage));
    XComPtr<Conf::IConfManager> store = createConfManager(file.c_str(), L"Client2/System/");
    EXPECT_FALSE(store->getKey(L"Client2/System/Top_Default")) << "the store starts empty";
    XStringW aside = confStoreMovedAside(store);
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_EQ(readRaw(aside.c_str()), garbage);

    EXPECT_TRUE(setText(store, L"Client2/System/Top_Always", L"code=2"));
    EXPECT_EQ(readRaw(aside.c_str()), garbage) << "a new save leaves the moved file alone";
    store = createConfManager(file.c_str(), L"Client2/System/");
    EXPECT_STREQ(getText(store, L"Client2/System/Top_Always").c_str(), L"code=2");
    EXPECT_TRUE(confStoreMovedAside(store).isEmpty());

    // Bytes that are not UTF-8 are no store either.
    store = nullptr;
    ASSERT_TRUE(writeRaw(file, "# configuration store 1\r\nClient2/System/a=\xC3\x28\r\n"));
    store = createConfManager(file.c_str(), L"Client2/System/");
    EXPECT_FALSE(confStoreMovedAside(store).isEmpty());
    store = nullptr;
    removeFolder(folder);
}

TEST(ConfStore, KeysValuesAndPrefixes) {
    std::wstring folder = tempFolder(L"keys");
    XComPtr<Conf::IConfManager> store = createConfManager((folder + L"\\user.conf").c_str(), kUser);
    EXPECT_FALSE(store->getKey(L"/Client2/UserConfig/FontSize"));
    EXPECT_FALSE(store->openKey(L"Client2/System/Top_Default")) << "the other store's path";
    XComPtr<Conf::IConfKey> key = store->openKey(L"/Client2/UserConfig/FontSize");
    ASSERT_TRUE(key);
    EXPECT_STREQ(key->getPath().c_str(), L"/Client2/UserConfig/FontSize");
    EXPECT_TRUE(key->getValue()->getString().isEmpty());
    EXPECT_TRUE(store->getKey(L"/Client2/UserConfig/FontSize")) << "openKey created it";

    XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    value->setString(L" 2.5 ");
    EXPECT_EQ(value->getDouble(), 2.5);
    value->setString(L"large");
    EXPECT_EQ(value->getDouble(), 0.0);
    EXPECT_TRUE(key->setValue(value));
    value->setString(L"changed after saving");
    EXPECT_STREQ(key->getValue()->getString().c_str(), L"large") << "the key keeps a copy";

    EXPECT_TRUE(store->removeKey(L"/Client2/UserConfig/FontSize"));
    EXPECT_FALSE(store->removeKey(L"/Client2/UserConfig/FontSize"));
    EXPECT_TRUE(key->getValue()->getString().isEmpty());
    store = nullptr;
    key = nullptr;
    removeFolder(folder);
}

TEST(ConfStore, UnwritablePlaceReportsFailureButKeepsTheValue) {
    std::wstring folder = tempFolder(L"locked");
    std::wstring file = folder + L"\\user.conf";
    ASSERT_TRUE(writeRaw(file, "# configuration store 1\r\n"));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    XComPtr<Conf::IConfManager> store = createConfManager(file.c_str(), kUser);
    // The client asks before any change is made, so the user hears it in time.
    EXPECT_FALSE(confStoreKeepsChanges(store));
    EXPECT_TRUE(confStoreReadFromFile(store));
    EXPECT_EQ(filesIn(folder), std::vector<std::wstring>{L"user.conf"}) << "asking leaves no file behind";
    EXPECT_FALSE(setText(store, L"/Client2/UserConfig/FontSize", L"2"));
    EXPECT_STREQ(getText(store, L"/Client2/UserConfig/FontSize").c_str(), L"2");
    EXPECT_EQ(filesIn(folder), std::vector<std::wstring>{L"user.conf"});
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(confStoreKeepsChanges(store)) << "a failed save is remembered";
    EXPECT_TRUE(setText(store, L"/Client2/UserConfig/FontSize", L"3"));
    EXPECT_TRUE(confStoreKeepsChanges(store));

    // A profile "folder" that is a file takes no store at all.
    store = createConfManager((file + L"\\user.conf").c_str(), kUser);
    EXPECT_FALSE(confStoreKeepsChanges(store));
    EXPECT_FALSE(confStoreReadFromFile(store));

    // An unreadable store another program holds (without letting it be renamed) stays where it
    // is, unread and unwritten; changes are not kept.
    const std::string garbage = "not a store\n";
    ASSERT_TRUE(writeRaw(file, garbage));
    HANDLE holder =
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    store = createConfManager(file.c_str(), kUser);
    CloseHandle(holder);
    EXPECT_TRUE(confStoreMovedAside(store).isEmpty());
    EXPECT_FALSE(confStoreReadFromFile(store));
    EXPECT_FALSE(confStoreKeepsChanges(store));
    EXPECT_FALSE(setText(store, L"/Client2/UserConfig/FontSize", L"4"));
    EXPECT_EQ(readRaw(file), garbage);

    store = createConfManager((folder + L"\\fresh.conf").c_str(), kUser);
    EXPECT_TRUE(confStoreKeepsChanges(store)) << "a missing file in a writable folder";
    EXPECT_FALSE(confStoreReadFromFile(store));
    store = nullptr;
    removeFolder(folder);
}

} // namespace
