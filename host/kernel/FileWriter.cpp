#include "FileWriter.h"

bool FileWriter::open(const wchar_t* path, int mode) {
    discard(); // an earlier file that was never closed is abandoned, not committed
    if (!path || !*path || mode != FileModeCreateWrite)
        return false;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return false;
    // Beside the target, so the final rename stays on one volume and is atomic.
    static LONG counter = 0;
    for (int attempt = 0; attempt < 16 && handle_ == INVALID_HANDLE_VALUE; ++attempt) {
        wchar_t suffix[64];
        wsprintfW(suffix, L".%lu-%ld.tmp", GetCurrentProcessId(), InterlockedIncrement(&counter));
        std::wstring candidate = std::wstring(path) + suffix;
        handle_ = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
        if (handle_ != INVALID_HANDLE_VALUE)
            temporary_ = candidate;
        else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (handle_ == INVALID_HANDLE_VALUE)
        return false;
    target_ = path;
    failed_ = false;
    return true;
}

bool FileWriter::write(const void* bytes, int64_t length) {
    if (handle_ == INVALID_HANDLE_VALUE || failed_)
        return false;
    if (length < 0 || (length > 0 && !bytes)) {
        failed_ = true;
        return false;
    }
    const char* p = static_cast<const char*>(bytes);
    while (length > 0) {
        DWORD chunk = length > (1 << 30) ? DWORD(1 << 30) : DWORD(length);
        DWORD written = 0;
        if (!WriteFile(handle_, p, chunk, &written, nullptr) || written != chunk) {
            failed_ = true;
            return false;
        }
        p += chunk;
        length -= chunk;
    }
    return true;
}

bool FileWriter::close() {
    if (handle_ == INVALID_HANDLE_VALUE)
        return false;
    bool ok = !failed_ && FlushFileBuffers(handle_);
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (ok)
        ok = MoveFileExW(temporary_.c_str(), target_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        DeleteFileW(temporary_.c_str());
    temporary_.clear();
    target_.clear();
    failed_ = false;
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
    return file.open(path, FileModeCreateWrite) && file.write(bytes, length) && file.close();
}
