// Records and fields of a delimited text file as RFC 4180 has them: fields apart by one
// separator; a field in double quotes may hold separators, line ends and doubled quotes; CR LF,
// LF and CR each end a line. The text is read in chunks, so memory stays bounded whatever the
// file's size: a record longer than kMaxRecordBytes stops the reading.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "ImportTextFile.h"

class CsvRecordReader final {
public:
    static constexpr size_t kMaxRecordBytes = 1 << 20;

    explicit CsvRecordReader(ImportTextFile& source) : source_(source) {}

    enum class Result { Record, End, Failed };

    // Chooses the separator from the first line: whichever of tab, semicolon and comma occurs
    // most often outside quotes (comma when none does). Call before the first next().
    Result detectSeparator();
    char separator() const { return separator_; }

    // The next record. End after the last; Failed when the text cannot be read on (failure()
    // says why, line() where).
    Result next();
    // The record's fields; valid until the next call.
    const std::vector<std::string_view>& fields() const { return fields_; }
    // The line the record (or the failure) starts on, counting from 1.
    int64_t line() const { return recordLine_; }
    const std::string& failure() const { return failure_; }

private:
    enum class Parse { Done, NeedMore, Failed };
    Parse parse(bool atEnd);
    bool fill(bool& atEnd);
    Result fail(const std::string& why);
    Parse failed(const std::string& why);

    struct Span {
        size_t at;
        size_t length;
        bool inScratch;
    };

    ImportTextFile& source_;
    char separator_ = ',';
    std::string buffer_;
    size_t begin_ = 0; // first byte not yet taken
    size_t end_ = 0;   // bytes held
    bool atEnd_ = false;
    int64_t nextLine_ = 1;
    int64_t recordLine_ = 0;
    std::vector<Span> spans_;
    std::string scratch_;
    std::vector<std::string_view> fields_;
    std::string failure_;
};
