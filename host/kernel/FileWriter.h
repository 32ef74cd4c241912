// "File.File": writes through a temporary file beside the target and renames it over the target
// on close. A failed write, a failed rename, or a release without close deletes the temporary
// file, so the target is either the old file or the complete new one.
#pragma once

#include <windows.h>
#include <string>
#include "File.h"
#include "RefCounted.h"

class FileWriter final : public RefCounted<IFile> {
public:
    ~FileWriter() override { discard(); }

    // Only FileModeCreateWrite is supported; false for other modes, a target that is a folder,
    // read-only or a file the host holds (HeldFiles), or a folder where no file can be created.
    bool open(const wchar_t* path, int mode) override;
    bool write(const void* bytes, int64_t length) override;
    bool close() override;
    uint32_t lastError() const override { return error_; }

    // open for a file the host holds itself: a configuration store writing its own file. Such a
    // file also reaches the disk before it replaces the old one (see close).
    bool openOwnFile(const wchar_t* path);
    // The whole file in one call, with the same guarantees, through openOwnFile.
    static bool writeAll(const wchar_t* path, const void* bytes, int64_t length);

private:
    bool fail(DWORD error);
    void discard();

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::wstring target_;
    std::wstring temporary_;
    bool failed_ = false;
    bool durable_ = false;
    DWORD error_ = 0;
};
