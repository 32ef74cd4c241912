// A data file's text as the record reader takes it: bytes in UTF-8 or GB18030, which both keep
// ASCII bytes as they are, so separators, quotes and line ends are found before any decoding.
// A byte order mark decides the encoding; UTF-16 files are turned into UTF-8 as they are read.
// A file without a mark is read as UTF-8 until its bytes show otherwise; the reader then starts
// again as GB18030.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

class ImportTextFile final {
public:
    enum class Encoding { Utf8, Utf8Bom, Gb18030, Utf16Le, Utf16Be };

    ImportTextFile() = default;
    ~ImportTextFile();
    ImportTextFile(const ImportTextFile&) = delete;
    ImportTextFile& operator=(const ImportTextFile&) = delete;

    // Opens path for reading (others may read it too) and reads its byte order mark.
    bool open(const std::wstring& path, std::string& error);
    // Reads the file again from its start as GB18030.
    bool restartAsGb18030(std::string& error);

    // Fills buffer with up to max bytes of text; returns how many, 0 at the end of the file.
    // False on a read error (error says which).
    bool read(char* buffer, size_t max, size_t& got, std::string& error);

    Encoding encoding() const { return encoding_; }
    // Whether bytes that are not valid in the encoding may mean the file is GB18030 instead.
    bool mayBeGb18030() const { return encoding_ == Encoding::Utf8; }
    static const char* encodingName(Encoding encoding);
    uint64_t size() const { return size_; }
    // How many of the file's bytes were read so far.
    uint64_t consumed() const { return consumed_; }

private:
    bool readRaw(char* buffer, size_t max, size_t& got, std::string& error);
    bool readUtf16(char* buffer, size_t max, size_t& got, std::string& error);
    bool seekStart(std::string& error);

    HANDLE file_ = INVALID_HANDLE_VALUE;
    Encoding encoding_ = Encoding::Utf8;
    uint64_t size_ = 0;
    uint64_t consumed_ = 0;
    // UTF-16: the raw bytes read and not yet turned into text (an odd byte, half a surrogate
    // pair), and the text made but not yet handed out.
    std::vector<char> raw_;
    std::string pending_;
    size_t pendingAt_ = 0;
};
