#include "ImportTextFile.h"

#include <algorithm>
#include <cstring>
#include "Gb18030.h"

namespace {

constexpr size_t kRawChunk = 1 << 18;

std::string systemError(const char* what) {
    return std::string(what) + " (system error " + std::to_string(GetLastError()) + ")";
}

} // namespace

ImportTextFile::~ImportTextFile() {
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
}

const char* ImportTextFile::encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
        return "UTF-8";
    case Encoding::Gb18030:
        return "GB18030";
    case Encoding::Utf16Le:
        return "UTF-16LE";
    case Encoding::Utf16Be:
        return "UTF-16BE";
    }
    return "";
}

bool ImportTextFile::open(const std::wstring& path, std::string& error) {
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        error = GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                    ? "no such file"
                    : systemError("cannot open the file");
        return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file_, &size);
    size_ = static_cast<uint64_t>(size.QuadPart);
    return seekStart(error);
}

bool ImportTextFile::seekStart(std::string& error) {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file_, zero, nullptr, FILE_BEGIN)) {
        error = systemError("cannot read the file");
        return false;
    }
    consumed_ = 0;
    raw_.clear();
    pending_.clear();
    pendingAt_ = 0;
    const Encoding wanted = encoding_;
    unsigned char mark[3] = {};
    DWORD got = 0;
    if (!ReadFile(file_, mark, 3, &got, nullptr)) {
        error = systemError("cannot read the file");
        return false;
    }
    size_t skip = 0;
    if (got >= 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
        encoding_ = Encoding::Utf8Bom;
        skip = 3;
    } else if (got >= 2 && mark[0] == 0xFF && mark[1] == 0xFE) {
        encoding_ = Encoding::Utf16Le;
        skip = 2;
    } else if (got >= 2 && mark[0] == 0xFE && mark[1] == 0xFF) {
        encoding_ = Encoding::Utf16Be;
        skip = 2;
    } else {
        encoding_ = wanted == Encoding::Gb18030 ? Encoding::Gb18030 : Encoding::Utf8;
    }
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(skip);
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) {
        error = systemError("cannot read the file");
        return false;
    }
    consumed_ = skip;
    return true;
}

bool ImportTextFile::restartAsGb18030(std::string& error) {
    encoding_ = Encoding::Gb18030;
    return seekStart(error);
}

bool ImportTextFile::readRaw(char* buffer, size_t max, size_t& got, std::string& error) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(max > (1u << 30) ? (1u << 30) : max);
    if (!ReadFile(file_, buffer, want, &n, nullptr)) {
        error = systemError("reading the file failed");
        return false;
    }
    got = n;
    consumed_ += n;
    return true;
}

bool ImportTextFile::read(char* buffer, size_t max, size_t& got, std::string& error) {
    got = 0;
    if (encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be)
        return readUtf16(buffer, max, got, error);
    return readRaw(buffer, max, got, error);
}

bool ImportTextFile::readUtf16(char* buffer, size_t max, size_t& got, std::string& error) {
    const bool little = encoding_ == Encoding::Utf16Le;
    while (pendingAt_ == pending_.size()) {
        pending_.clear();
        pendingAt_ = 0;
        const size_t kept = raw_.size();
        raw_.resize(kept + kRawChunk);
        size_t n = 0;
        if (!readRaw(raw_.data() + kept, kRawChunk, n, error))
            return false;
        raw_.resize(kept + n);
        const bool atEnd = n == 0;
        const auto* bytes = reinterpret_cast<const unsigned char*>(raw_.data());
        size_t i = 0;
        auto unit = [&](size_t at) -> char32_t {
            return little ? bytes[at] | (bytes[at + 1] << 8) : (bytes[at] << 8) | bytes[at + 1];
        };
        while (i + 1 < raw_.size()) {
            const char32_t u = unit(i);
            if (u >= 0xD800 && u <= 0xDBFF) {
                if (i + 3 >= raw_.size() && !atEnd)
                    break; // the pair's second half comes with the next read
                const char32_t low = i + 3 < raw_.size() ? unit(i + 2) : 0;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    Gb18030::appendUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), pending_);
                    i += 4;
                    continue;
                }
            }
            if (u >= 0xD800 && u <= 0xDFFF)
                pending_ += '\xFF'; // never valid UTF-8: the line is reported as not UTF-16 text
            else
                Gb18030::appendUtf8(u, pending_);
            i += 2;
        }
        raw_.erase(raw_.begin(), raw_.begin() + static_cast<std::ptrdiff_t>(i));
        if (atEnd) {
            if (!raw_.empty()) {
                pending_ += '\xFF'; // an odd byte at the end
                raw_.clear();
            }
            if (pending_.empty())
                return true;
        }
    }
    got = std::min(max, pending_.size() - pendingAt_);
    std::memcpy(buffer, pending_.data() + pendingAt_, got);
    pendingAt_ += got;
    return true;
}
