#include "CsvRecordReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kChunk = 1 << 18;

std::string tooLong() {
    return "longer than " + std::to_string(CsvRecordReader::kMaxRecordBytes >> 20) +
           " MiB without a line end: not a data file";
}

} // namespace

CsvRecordReader::Parse CsvRecordReader::failed(const std::string& why) {
    failure_ = why;
    return Parse::Failed;
}

CsvRecordReader::Result CsvRecordReader::fail(const std::string& why) {
    failure_ = why;
    return Result::Failed;
}

bool CsvRecordReader::fill(bool& atEnd) {
    // The record being read moves to the front; what was taken before it is dropped.
    if (begin_ > 0) {
        std::memmove(&buffer_[0], buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (buffer_.size() < end_ + kChunk)
        buffer_.resize(end_ + kChunk);
    size_t got = 0;
    std::string error;
    if (!source_.read(&buffer_[end_], kChunk, got, error)) {
        failure_ = error;
        return false;
    }
    end_ += got;
    atEnd = got == 0;
    return true;
}

CsvRecordReader::Result CsvRecordReader::detectSeparator() {
    recordLine_ = nextLine_;
    for (;;) {
        int tabs = 0, commas = 0, semicolons = 0;
        bool quoted = false, lineEnd = false;
        size_t i = begin_;
        for (; i < end_ && i - begin_ <= kMaxRecordBytes && !lineEnd; ++i) {
            const char c = buffer_[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted)
                lineEnd = c == '\r' || c == '\n';
            if (!quoted) {
                tabs += c == '\t';
                commas += c == ',';
                semicolons += c == ';';
            }
        }
        // Text never holds a NUL byte (UTF-16 is UTF-8 here already): a binary file is told
        // from its first bytes, not from whatever its first "line" fails on.
        if (std::memchr(buffer_.data() + begin_, '\0', end_ - begin_))
            return fail("holds a NUL byte: not a text file");
        if (lineEnd || atEnd_) {
            separator_ = commas >= tabs && commas >= semicolons ? ',' : tabs >= semicolons ? '\t' : ';';
            return Result::Record;
        }
        if (i - begin_ > kMaxRecordBytes)
            return fail(tooLong());
        if (!fill(atEnd_))
            return Result::Failed;
    }
}

CsvRecordReader::Result CsvRecordReader::next() {
    for (;;) {
        recordLine_ = nextLine_;
        if (begin_ == end_ && atEnd_)
            return Result::End;
        switch (parse(atEnd_)) {
        case Parse::Done:
            return Result::Record;
        case Parse::Failed:
            return Result::Failed;
        case Parse::NeedMore:
            if (!fill(atEnd_))
                return Result::Failed;
            break;
        }
    }
}

// One record from begin_. NeedMore when the bytes held end inside it; the caller reads more
// and the record is parsed again from its start (records are short next to a chunk).
CsvRecordReader::Parse CsvRecordReader::parse(bool atEnd) {
    spans_.clear();
    scratch_.clear();
    const char* b = buffer_.data();
    const char sep = separator_;
    const size_t limit = std::min(end_, begin_ + kMaxRecordBytes + 1);
    auto tooLongAt = [&](size_t i) { return i > begin_ + kMaxRecordBytes; };
    int64_t breaks = 0; // line ends inside quoted fields
    size_t i = begin_;
    for (;;) {
        if (i < end_ && b[i] == '"') {
            const size_t start = ++i;
            bool copied = false;
            size_t scratchAt = 0;
            for (;;) {
                const void* found = std::memchr(b + i, '"', limit - std::min(i, limit));
                const size_t j = found ? static_cast<size_t>(static_cast<const char*>(found) - b) : limit;
                for (size_t k = i; k < j; ++k) {
                    const char c = b[k];
                    if (c == '\n' || (c == '\r' && (k + 1 >= end_ || b[k + 1] != '\n')))
                        ++breaks;
                    else if (c == '\0')
                        return failed("holds a NUL byte: not a text file");
                }
                if (!found) {
                    if (tooLongAt(j))
                        return failed(tooLong());
                    if (atEnd)
                        return failed("a quoted field is not closed before the end of the file");
                    return Parse::NeedMore;
                }
                if (j + 1 >= end_ && !atEnd)
                    return Parse::NeedMore; // a doubled quote or the closing one: the next byte tells
                if (j + 1 < end_ && b[j + 1] == '"') {
                    if (!copied) {
                        copied = true;
                        scratchAt = scratch_.size();
                    }
                    scratch_.append(b + i, j - i);
                    scratch_ += '"';
                    i = j + 2;
                    continue;
                }
                if (copied) {
                    scratch_.append(b + i, j - i);
                    spans_.push_back({scratchAt, scratch_.size() - scratchAt, true});
                } else {
                    spans_.push_back({start, j - start, false});
                }
                i = j + 1;
                break;
            }
            if (i < end_ && b[i] == sep) {
                ++i;
                continue;
            }
            if (i < end_ && b[i] != '\r' && b[i] != '\n')
                return failed("text follows the closing quote of a quoted field");
            if (i == end_ && !atEnd)
                return Parse::NeedMore;
        } else {
            const size_t start = i;
            while (i < limit) {
                const char c = b[i];
                if (c == sep || c == '\r' || c == '\n' || c == '\0')
                    break;
                ++i;
            }
            if (tooLongAt(i))
                return failed(tooLong());
            if (i == end_ && !atEnd)
                return Parse::NeedMore;
            if (i < end_ && b[i] == '\0')
                return failed("holds a NUL byte: not a text file");
            spans_.push_back({start, i - start, false});
            if (i < end_ && b[i] == sep) {
                ++i;
                continue;
            }
        }
        break;
    }
    // The line end: CR LF, LF or CR.
    if (i < end_) {
        if (b[i] == '\r') {
            if (i + 1 >= end_ && !atEnd)
                return Parse::NeedMore;
            ++i;
            if (i < end_ && b[i] == '\n')
                ++i;
        } else {
            ++i;
        }
        ++breaks;
    }
    nextLine_ += breaks;
    begin_ = i;
    fields_.clear();
    for (const Span& s : spans_)
        fields_.emplace_back((s.inScratch ? scratch_.data() : b) + s.at, s.length);
    return Parse::Done;
}
