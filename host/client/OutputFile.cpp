#include "OutputFile.h"

#include <windows.h>
#include "File.h"
#include "FilePaths.h"
#include "Kernel.h"

namespace Client {

bool isSameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return !a.empty() && !b.empty() && FilePaths::identity(a, first) && FilePaths::identity(b, second) &&
           FilePaths::sameIdentity(first, second);
}

bool writeFileReplacing(const std::wstring& path, const std::string& bytes, std::wstring& error) {
    XComPtr<IFile> file = createInstanceAs<IFile>("File.File");
    if (!file) {
        error = L"the host offers no file writer";
        return false;
    }
    if (!file->open(path.c_str(), FileModeCreateWrite)) {
        error = L"cannot write " + path;
        return false;
    }
    // Without close the writer drops its temporary file when released.
    if (!file->write(bytes.data(), int64_t(bytes.size())) || !file->close()) {
        error = L"cannot write " + path;
        return false;
    }
    return true;
}

std::string utf8(const std::wstring& w) {
    int n =
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

} // namespace Client
