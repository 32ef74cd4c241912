// "File.File": a file written through a temporary file beside the target and renamed over it on
// close, so that a failed or interrupted write never leaves a truncated file under the target.
// Writes may come in any number of pieces; nothing reaches the target before close.
#pragma once

#include <cstdint>
#include "XUnknown.h"

enum : int { FileModeCreateWrite = 26 };

class IFile : public IXUnknown {
public:
    // False when the place cannot be written.
    virtual bool open(const wchar_t* path, int mode) = 0;
    virtual bool write(const void* bytes, int64_t length) = 0;
    // Commits the file; false (and the target untouched) when any write failed.
    virtual bool close() = 0;
    // Why the last call failed, as a system error code (0 when it did not fail), for telling the
    // user. A file the host holds for itself (its database, its settings) is refused at open with
    // ERROR_SHARING_VIOLATION.
    virtual uint32_t lastError() const = 0;

protected:
    ~IFile() = default;
};
