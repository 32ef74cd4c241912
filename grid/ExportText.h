// The text of an exported product list, kept apart from the grid's window so that it can be
// checked alone: which header items become columns and under which captions, how one field is
// written, and the bytes of the finished file.
#pragma once

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
    // UTF-16 text, or with utf8 the file's UTF-8 bytes written as each field comes. The export
    // writes it out and clears it every few rows, so it never holds more than a piece of the file.
    explicit ExportText(wchar_t separator, bool utf8 = false) : separator_(separator), utf8_(utf8) {}

    // Appends the text quoted, then the separator. A quote inside is doubled so the field does
    // not end early, and a text a spreadsheet would run as a formula gets a leading apostrophe.
    void field(const wchar_t* text, int length);
    void field(const XStringW& text) { field(text.c_str(), text.length()); }
    void endLine();
    // Forgets the text written so far, keeping its memory for the next piece.
    void clear();
    // Room for this many characters (UTF-16) or bytes (UTF-8).
    void reserve(size_t units);
    // The UTF-16 text (empty in UTF-8 mode).
    const std::wstring& text() const { return text_; }
    // The file's body in its encoding, without the mark.
    const void* data() const;
    size_t byteCount() const;

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
    std::wstring text_;
    std::string bytes_;
    wchar_t separator_;
    bool utf8_;
};
