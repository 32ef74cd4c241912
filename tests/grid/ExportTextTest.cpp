// The export's text without a window: which header items become columns, how a field is written
// so that spreadsheets read it back as shown, and the bytes of each encoding.
#include <gtest/gtest.h>
#include <objbase.h>
#include "grid/ExportText.h"

namespace {

std::wstring written(const wchar_t* text, wchar_t separator = L',') {
    ExportText out(separator);
    out.field(XStringW(text));
    return out.text();
}

std::vector<std::wstring> captions(const wchar_t* header, bool* readable = nullptr) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<ExportColumn> columns;
    bool ok = ExportColumns(XStringW(header), columns);
    if (readable)
        *readable = ok;
    std::vector<std::wstring> out;
    for (const ExportColumn& c : columns)
        out.push_back(std::wstring(c.caption.c_str()) + L"|" + c.name.c_str());
    return out;
}

} // namespace

TEST(ExportText, FieldsAreQuotedWithInnerQuotesDoubled) {
    EXPECT_EQ(written(L"稳健一号"), L"\"稳健一号\",");
    EXPECT_EQ(written(L"", L'\t'), L"\"\"\t");
    EXPECT_EQ(written(L"他说\"好\",行"), L"\"他说\"\"好\"\",行\",");
    EXPECT_EQ(written(L"\"\""), L"\"\"\"\"\"\",");
    EXPECT_EQ(written(L"a\r\nb"), L"\"a\r\nb\",");
    ExportText line(L',');
    line.field(XStringW(L"a"));
    line.field(XStringW(L"b"));
    line.endLine();
    EXPECT_EQ(line.text(), L"\"a\",\"b\",\r\n");
}

// Each text with the field it must become, written out here rather than derived from the rule.
TEST(ExportText, FormulasGetAnApostropheNumbersAndTheMissingMarkDoNot) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        // Runs in a spreadsheet: gets the apostrophe.
        {L"=1+2", L"\"'=1+2\","},
        {L"+1", L"\"'+1\","},
        {L"@SUM(1)", L"\"'@SUM(1)\","},
        {L"-2+3", L"\"'-2+3\","},
        {L"-1+1", L"\"'-1+1\","},
        {L"-.5+1", L"\"'-.5+1\","},
        {L"-.5+cmd|' /C calc'!A0", L"\"'-.5+cmd|' /C calc'!A0\","},
        {L" =1+2", L"\"' =1+2\","},
        {L"\u3000 +1", L"\"'\u3000 +1\","},
        {L"\t=1", L"\"'\t=1\","},
        {L"\rx", L"\"'\rx\","},
        {L"\uFF1D1+2", L"\"'\uFF1D1+2\","}, // ＝
        {L"\uFF0B1", L"\"'\uFF0B1\","},     // ＋
        {L"\uFF0D1", L"\"'\uFF0D1\","},     // －
        {L"\uFF20A1", L"\"'\uFF20A1\","},   // ＠
        {L"-", L"\"'-\","},
        {L"---", L"\"'---\","},
        {L"-1e5+1", L"\"'-1e5+1\","},
        {L"=\"a\"", L"\"'=\"\"a\"\"\","},
        // A number as the grid shows one, the missing mark, and texts that do not start a formula.
        {L"-0.50%", L"\"-0.50%\","},
        {L"-12.3456", L"\"-12.3456\","},
        {L"-1,234.5", L"\"-1,234.5\","},
        {L"-1.5e-07", L"\"-1.5e-07\","},
        {L"-.5", L"\"-.5\","},
        {L"--", L"\"--\","},
        {L"1-2", L"\"1-2\","},
        {L"a=b", L"\"a=b\","},
        {L"", L"\"\","},
        {L"   ", L"\"   \","},
        {L"'x", L"\"'x\","},
    };
    for (const auto& c : cases)
        EXPECT_EQ(written(c.first), c.second) << XStringW(c.first).toUtf8().c_str();
}

TEST(ExportText, EncodingsCarryTheirMarkAndTheWholeText) {
    EXPECT_EQ(ExportText::ByteOrderMark(false), std::string("\xFF\xFE"));
    EXPECT_EQ(ExportText::ByteOrderMark(true), std::string("\xEF\xBB\xBF"));
    const std::wstring text = L"A净\U0001F600";
    EXPECT_EQ(ExportText::Encode(text, false), std::string("A\0\xC0\x51\x3D\xD8\x00\xDE", 8));
    EXPECT_EQ(ExportText::Encode(text, true), std::string("A\xE5\x87\x80\xF0\x9F\x98\x80"));
    EXPECT_TRUE(ExportText::Encode(L"", true).empty());
}

// UTF-8 files are encoded field by field as they are built; they must hold exactly what the
// system's conversion makes of the UTF-16 file, broken surrogates and long cells included.
TEST(ExportText, Utf8FieldsAreTheSystemsConversionOfTheUtf16Text) {
    const std::wstring longCell = std::wstring(300, L'净') + L"\"" + std::wstring(300, L'x');
    const std::wstring cells[] = {L"A净\U0001F600é\x7F\x80\x7FF\x800\xFFFF",
                                  L"=\"a\"",
                                  L"\xD800",
                                  L"x\xDC00y",
                                  L"\xDBFF\xDBFF\xDFFF\xD800",
                                  L"-0.50%",
                                  L"",
                                  longCell};
    for (wchar_t separator : {L',', L'\t'}) {
        ExportText wide(separator), narrow(separator, true);
        for (const std::wstring& cell : cells) {
            wide.field(cell.c_str(), int(cell.size()));
            narrow.field(cell.c_str(), int(cell.size()));
        }
        wide.endLine();
        narrow.endLine();
        const std::string expected = ExportText::Encode(wide.text(), true);
        EXPECT_EQ(std::string(static_cast<const char*>(narrow.data()), narrow.byteCount()), expected);
        EXPECT_TRUE(narrow.text().empty());
        EXPECT_EQ(wide.byteCount(), wide.text().size() * sizeof(wchar_t));
    }
}

TEST(ExportColumns, ShownItemsInDocumentOrderWithGroupsCaptioned) {
    EXPECT_EQ(captions(LR"(<header>
        <item title="序号" name="_index" visible="false"/>
        <item title="代码" name="aliascode" visible="true"/>
        <item title="大写" name="upper" visible="TRUE"/>
        <item title="空" name="empty" visible=""/>
        <item name="untitled"/>
        <item title="nameless"/>
        <!-- a comment is no column -->
        <item title="2024-03-05" font="_font_regular">
          <item title="单位净值" name="value"/>
          <item title="累计净值" name="totalvalue" visible="false"/>
          <item name="untitled2"/>
        </item>
        <item title="2024-03-04" visible="false"><item title="单位净值" name="previousvalue"/></item>
        <item><item title="无标题组" name="x"/></item>
        <item title="名称,简称" name="name"/>
      </header>)"),
              (std::vector<std::wstring>{L"代码|aliascode", L"2024-03-05 单位净值|value", L"无标题组|x",
                                         L"名称,简称|name"}));
    bool readable = true;
    EXPECT_TRUE(captions(L"<header/>", &readable).empty());
    EXPECT_TRUE(readable);
    EXPECT_TRUE(captions(L"<header><item title=", &readable).empty());
    EXPECT_FALSE(readable);
    EXPECT_TRUE(captions(L"", &readable).empty());
    EXPECT_FALSE(readable);
}
