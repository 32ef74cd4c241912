#include "FileWriter.h"

#include "FilePaths.h"
#include "HeldFiles.h"

namespace {

// ".<process>-<counter>.tmp" at its longest.
constexpr size_t kSuffixRoom = 1 + 10 + 1 + 11 + 4;

std::wstring longForm(const wchar_t* path) {
    const std::wstring full = FilePaths::fullPath(path);
    if (full.compare(0, 4, L"\\\\?\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

} // namespace

bool FileWriter::open(const wchar_t* path, int mode) {
    discard(); // an earlier file that was never closed is abandoned, not committed
    error_ = 0;
    if (!path || !*path || mode != FileModeCreateWrite)
        return fail(ERROR_INVALID_PARAMETER);
    // The client's database or settings replaced by an export would be lost, or later read as
    // corrupt and moved aside.
    if (HeldFiles::holds(path))
        return fail(ERROR_SHARING_VIOLATION);
    const bool opened = openOwnFile(path);
    durable_ = false;
    return opened;
}

bool FileWriter::openOwnFile(const wchar_t* path) {
    discard();
    if (!path || !*path)
        return fail(ERROR_INVALID_PARAMETER);
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return fail(ERROR_ACCESS_DENIED);
    // Beside the target, so the final rename stays on one volume and is atomic. A target close
    // to MAX_PATH characters leaves no room for the suffix in an ordinary path; the long form
    // ("\\?\") has no such limit.
    static LONG counter = 0;
    const std::wstring base = wcslen(path) + kSuffixRoom >= MAX_PATH ? longForm(path) : std::wstring(path);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 16 && handle_ == INVALID_HANDLE_VALUE; ++attempt) {
        wchar_t suffix[64];
        wsprintfW(suffix, L".%lu-%ld.tmp", GetCurrentProcessId(), InterlockedIncrement(&counter));
        std::wstring candidate = base + suffix;
        handle_ = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
        if (handle_ != INVALID_HANDLE_VALUE)
            temporary_ = candidate;
        else if ((error = GetLastError()) != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (handle_ == INVALID_HANDLE_VALUE)
        return fail(error);
    target_ = path;
    failed_ = false;
    durable_ = true;
    error_ = 0;
    return true;
}

bool FileWriter::fail(DWORD error) {
    error_ = error ? error : ERROR_GEN_FAILURE;
    return false;
}

bool FileWriter::write(const void* bytes, int64_t length) {
    if (handle_ == INVALID_HANDLE_VALUE)
        return fail(ERROR_INVALID_HANDLE);
    if (failed_)
        return false; // the first failure's reason stays
    if (length < 0 || (length > 0 && !bytes)) {
        failed_ = true;
        return fail(ERROR_INVALID_PARAMETER);
    }
    const char* p = static_cast<const char*>(bytes);
    while (length > 0) {
        DWORD chunk = length > (1 << 30) ? DWORD(1 << 30) : DWORD(length);
        DWORD written = 0;
        if (!WriteFile(handle_, p, chunk, &written, nullptr) || written != chunk) {
            failed_ = true;
            // A short write without an error is a full disk.
            return fail(written != chunk && GetLastError() == 0 ? ERROR_DISK_FULL : GetLastError());
        }
        p += chunk;
        length -= chunk;
    }
    return true;
}

bool FileWriter::close() {
    if (handle_ == INVALID_HANDLE_VALUE)
        return fail(ERROR_INVALID_HANDLE);
    // The rename alone keeps the target whole through a failure or a crash of the process. The
    // host's own stores are also flushed, so that they survive a power cut; an export or a dump
    // is the client's to make again, and the flush would cost it twice the writing.
    bool ok = !failed_;
    if (ok && durable_ && !FlushFileBuffers(handle_))
        ok = fail(GetLastError());
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (ok &&
        !MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = fail(GetLastError());
    if (!ok)
        DeleteFileW(temporary_.c_str());
    temporary_.clear();
    target_.clear();
    failed_ = false;
    if (ok)
        error_ = 0;
    return ok;
}

void FileWriter::discard() {
    if (handle_ == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    DeleteFileW(temporary_.c_str());
    temporary_.clear();
    target_.clear();
}

bool FileWriter::writeAll(const wchar_t* path, const void* bytes, int64_t length) {
    FileWriter file;
    return file.openOwnFile(path) && file.write(bytes, length) && file.close();
}
