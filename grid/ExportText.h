// The text of an exported product list, kept apart from the grid's window so that it can be
// checked alone: which header items become columns and under which captions, how one field is
// written, and the bytes of the finished file.
#pragma once

#include <memory>
#include <string>
#include <vector>
#include "gridframe/XmlDom.h"
#include "module/host/XString.h"

struct ExportColumn {
    XStringW caption; // the title, or "<group caption> <title>" for a column inside a group
    XStringW name;
    // The column's item, from which its formatting is read whether the grid drew it or not.
    ComRef<IXMLDOMNode> node;
};

// The columns of a header definition, in document order: items shown for the export (no
// `visible`, or exactly "true") with both `title` and `name`. The columns of a shown group come
// in its place, captioned with the group's caption, a blank and their own title. An item that
// cannot be read is skipped. False (and no columns) when the definition cannot be read at all.
bool ExportColumns(const XStringW& header, std::vector<ExportColumn>& columns);

class ExportText {
public:
    // The file's body in its encoding, UTF-16 or with utf8 UTF-8, written as each field comes.
    // The export writes it out and clears it every few rows, so it never holds more than a piece
    // of the file.
    explicit ExportText(wchar_t separator, bool utf8 = false) : separator_(separator), utf8_(utf8) {}

    // Appends the text quoted, then the separator. A quote inside is doubled so the field does
    // not end early, and a text a spreadsheet would run as a formula gets a leading apostrophe.
    void field(const wchar_t* text, int length);
    void field(const XStringW& text) { field(text.c_str(), text.length()); }
    void endLine();
    // Forgets the text written so far, keeping its memory for the next piece.
    void clear() { used_ = 0; }
    // Room for this many bytes, so that pieces of about that size never grow the memory.
    void reserve(size_t bytes);
    // The UTF-16 text (empty in UTF-8 mode).
    std::wstring text() const;
    // The file's body in its encoding, without the mark.
    const void* data() const { return buffer_.get(); }
    size_t byteCount() const { return used_; }

    // After any leading blanks, starts with "=", "+", "-", "@", a tab, a carriage return or one
    // of the full-width signs "＝", "＋", "－", "＠"; unless the whole text is a number as the
    // grid shows one (an optional minus, digits, point and grouping marks, an optional exponent
    // and "%"), or "--", the grid's text of a missing value.
    static bool RunsAsFormula(const wchar_t* text, int length);

    // The byte order mark of the encoding: FF FE for UTF-16 little-endian, EF BB BF for UTF-8.
    static std::string ByteOrderMark(bool utf8);
    // The text in the file's encoding, without the mark.
    static std::string Encode(const std::wstring& text, bool utf8);

private:
    // Where the next bytes go, with room for at least bytes of them.
    char* room(size_t bytes);

    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    size_t capacity_ = 0;
    wchar_t separator_;
    bool utf8_;
};
