#include "QueryResult.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>

namespace {

bool containsNoCase(const char* text, const char* needle) {
    const size_t n = std::strlen(needle);
    for (const char* p = text; *p; ++p) {
        size_t i = 0;
        while (i < n && p[i] && (p[i] | 0x20) == (needle[i] | 0x20))
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

// Writes UTF-8 text as UTF-16 plus a terminating zero at buffer[used] and returns the units
// used after it. Malformed bytes become U+FFFD. UTF-16 never needs more units than UTF-8 has
// bytes; the buffer only grows (doubling), so a reload writes into units already there.
size_t appendUtf16(std::vector<wchar_t>& buffer, size_t used, const unsigned char* s, int length) {
    const size_t need = used + static_cast<size_t>(length) + 1;
    if (buffer.size() < need)
        buffer.resize(std::max(need, buffer.size() * 2));
    wchar_t* out = buffer.data() + used;
    const unsigned char* end = s + length;
    while (s < end) {
        // Eight ASCII bytes at a time: codes, dates and letters are most of a product's text.
        uint64_t eight;
        while (end - s >= 8 && (std::memcpy(&eight, s, 8), (eight & 0x8080808080808080ull) == 0)) {
            for (int i = 0; i < 8; ++i)
                out[i] = static_cast<wchar_t>(s[i]);
            out += 8;
            s += 8;
        }
        if (s == end)
            break;
        unsigned c = *s;
        if (c < 0x80) {
            *out++ = static_cast<wchar_t>(c);
            ++s;
            continue;
        }
        // Three bytes: the Chinese characters of names, types and companies.
        if ((c & 0xF0) == 0xE0 && end - s >= 3 && (s[1] & 0xC0) == 0x80 && (s[2] & 0xC0) == 0x80) {
            const unsigned code = ((c & 0x0F) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
            if (code >= 0x800 && (code < 0xD800 || code >= 0xE000)) {
                *out++ = static_cast<wchar_t>(code);
                s += 3;
                continue;
            }
        }
        const int extra = c >= 0xC2 && c < 0xE0   ? 1
                          : c >= 0xE0 && c < 0xF0 ? 2
                          : c >= 0xF0 && c < 0xF5 ? 3
                                                  : -1;
        if (extra < 0 || end - s <= extra) {
            *out++ = 0xFFFD;
            ++s;
            continue;
        }
        unsigned code = c & (0x3F >> extra);
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            if ((s[i] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            code = (code << 6) | (s[i] & 0x3F);
        }
        const unsigned minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (!ok || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            *out++ = 0xFFFD;
            ++s;
            continue;
        }
        s += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            *out++ = static_cast<wchar_t>(0xD800 + (code >> 10));
            *out++ = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            *out++ = static_cast<wchar_t>(code);
        }
    }
    *out++ = 0;
    return static_cast<size_t>(out - buffer.data());
}

} // namespace

int QueryResult::typeFromDeclared(const char* declared) {
    if (!declared || !*declared)
        return -1;
    if (containsNoCase(declared, "INT"))
        return Data::ValueInteger;
    if (containsNoCase(declared, "CHAR") || containsNoCase(declared, "CLOB") ||
        containsNoCase(declared, "TEXT"))
        return Data::ValueText;
    if (containsNoCase(declared, "BLOB"))
        return -1;
    if (containsNoCase(declared, "REAL") || containsNoCase(declared, "FLOA") ||
        containsNoCase(declared, "DOUB"))
        return Data::ValueReal;
    return -1;
}

bool QueryResult::read(sqlite3_stmt* stmt) {
    const int columns = sqlite3_column_count(stmt);
    names_.clear();
    declared_.clear();
    kinds_.clear();
    values_.clear();
    textUsed_ = 0;
    std::vector<wchar_t> name;
    for (int c = 0; c < columns; ++c) {
        const char* text = sqlite3_column_name(stmt, c);
        appendUtf16(name, 0, reinterpret_cast<const unsigned char*>(text ? text : ""),
                    text ? static_cast<int>(std::strlen(text)) : 0);
        names_.emplace_back(name.data());
        declared_.push_back(typeFromDeclared(sqlite3_column_decltype(stmt, c)));
    }
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE)
            return true;
        if (rc != SQLITE_ROW)
            return false;
        for (int c = 0; c < columns; ++c) {
            Kind kind = Kind::Null;
            Value value{};
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                kind = Kind::Integer;
                value.integer = sqlite3_column_int64(stmt, c);
                break;
            case SQLITE_FLOAT:
                kind = Kind::Real;
                value.real = sqlite3_column_double(stmt, c);
                break;
            case SQLITE_TEXT: {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                if (!text)
                    return false; // out of memory while converting
                kind = Kind::Text;
                const size_t offset = textUsed_;
                textUsed_ = appendUtf16(text_, textUsed_, text, sqlite3_column_bytes(stmt, c));
                if (textUsed_ > UINT32_MAX)
                    return false; // beyond what a result can hold
                value.text.offset = uint32_t(offset);
                value.text.length = uint32_t(textUsed_ - 1 - offset);
                break;
            }
            default: // NULL, and BLOBs, which no table column can show
                break;
            }
            kinds_.push_back(kind);
            values_.push_back(value);
        }
    }
}

int QueryResult::rowCount() const {
    return names_.empty() ? 0 : static_cast<int>(kinds_.size() / names_.size());
}

int QueryResult::columnType(int column) const {
    if (declared_[column] >= 0)
        return declared_[column];
    const size_t columns = names_.size();
    for (size_t i = static_cast<size_t>(column); i < kinds_.size(); i += columns) {
        switch (kinds_[i]) {
        case Kind::Integer:
            return Data::ValueInteger;
        case Kind::Real:
            return Data::ValueReal;
        case Kind::Text:
            return Data::ValueText;
        case Kind::Null:
            break;
        }
    }
    return Data::ValueText;
}

void QueryResult::writeCell(Kind kind, const Value& value, Data::IDataItem& item) const {
    switch (kind) {
    case Kind::Integer:
        if (value.integer >= INT_MIN && value.integer <= INT_MAX)
            item.setInt(static_cast<int>(value.integer));
        else
            item.setDouble(static_cast<double>(value.integer));
        break;
    case Kind::Real:
        item.setDouble(value.real);
        break;
    case Kind::Text:
        item.setText(text_.data() + value.text.offset);
        break;
    case Kind::Null:
        break; // a new row's cells are null already
    }
}

void QueryResult::fill(Data::IDataTable* table, bool firstFill) const {
    const int columns = columnCount();
    const int rows = rowCount();
    XComPtr<Data::IUpdateContext> update = table->beginUpdate();
    std::vector<int> target(static_cast<size_t>(columns));
    if (firstFill) {
        table->reset();
        for (int c = 0; c < columns; ++c)
            target[c] = table->addColumn(names_[c].c_str(), columnType(c));
    } else {
        table->clear(0);
        for (int c = 0; c < columns; ++c) {
            int index = table->getColumnIndex(names_[c].c_str());
            if (index < 0)
                index = table->addColumn(names_[c].c_str(), columnType(c));
            target[c] = index;
        }
    }
    table->reserveRows(rows);
    Data::RowBatch batch;
    batch.rows = rows;
    batch.columns = columns;
    batch.target = target.data();
    batch.kinds = kinds_.data();
    batch.values = values_.data();
    batch.texts = text_.data();
    if (rows > 0 && appendRowBatch(table, batch)) {
        if (update)
            update->commit();
        return;
    }
    // A table of another library takes its cells one by one.
    size_t cell = 0;
    for (int r = 0; r < rows; ++r) {
        Data::IDataRow& row = table->getRow(table->addRow());
        for (int c = 0; c < columns; ++c, ++cell) {
            if (kinds_[cell] != Kind::Null && target[c] >= 0)
                writeCell(kinds_[cell], values_[cell], row.getItem(target[c]));
        }
    }
    if (update)
        update->commit();
}
