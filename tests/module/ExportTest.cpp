// The grid's export as a user runs it: right click, "数据导出", the real save dialog filled in
// and confirmed by a timer. Files are compared byte for byte with fixtures; the files of a wider
// export are left, with the cells the grid shows, for export_readback.py to read back with
// Python's csv module.
#include <gtest/gtest.h>
#include <windows.h>
#include "host/client/ClientServices.h"
#include "host/client/ModalAnswers.h"
#include "host/client/RefCounted.h"
#include "module/host/Kernel.h"
#include "tests/module/CommandHost.h"
#include "tests/wgui/TestWindows.h"

namespace {

using Client::ModalAnswers;
using commandtest::CommandHost;
using commandtest::readBytes;
using commandtest::scratch;

// Texts a spreadsheet would misread: quotes, formulas, a negative growth, a company whose short
// name holds quotes, a product never valued.
const char kTrickyRows[] = R"sql(
insert into tb_investadvisor values ('g3', '丙资产-丙"引号"资产', 0);
insert into tb_fund values
  ('100007', '100007', '=1+2', '混合型', '+进取', '集合理财产品', '2020-01-02', 'g3', 'A', 0, 0),
  ('100008', '100008', '他说"好",行', '-负面', '@SUM(A1)', '集合理财产品', '2020-01-02', 'g1', 'B', 0, 0);
insert into tb_valuelist values ('100007', '2024-03-04', 1.0, 1.0, 0), ('100007', '2024-03-05', 0.995, 0.995, 0);
)sql";

// Hidden columns (by "false" and by "TRUE"), a title with a comma, a group with one hidden
// column, a formatted column that is drawn and one that never is (it lies right of a very wide
// column).
const wchar_t kSmallHeader[] = LR"(<header>
<item title="代码" name="code" width="60"/>
<item title="名称,简称" name="name" width="120"/>
<item title="类型" name="fundtype" visible="false"/>
<item title="投资类型" name="investtype" visible="TRUE"/>
<item title="end_date"><item title="单位净值" name="value" width="70"/><item title="累计净值" name="totalvalue" visible="false"/></item>
<item title="增长率" name="percent" data_type="d" text_format="%.02f%%:*100" width="70"/>
<item title="风格" name="investstyle" width="70"/>
<item title="基金公司" name="company" width="3000"/>
<item title="成立日期" name="createdate" text_format=":::0001-01-01=--" width="80"/>
</header>)";

void setUser(CommandHost& host, const wchar_t* path, const wchar_t* value) {
    XComPtr<Conf::IConfValue> text = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    text->setString(value);
    host.app->getUserConfManager()->openKey(path)->setValue(text.get());
}

// Right click on the first row, "数据导出", the dialog answered with name and filter.
void exportAs(CommandHost& host, ModalAnswers& answers, const std::wstring& name, int filter,
              bool cancel = false) {
    ASSERT_TRUE(host.select(L"100001"));
    answers.chooseMenuItem(L"数据导出");
    answers.answerSaveDialog(name, filter, cancel);
    host.rightClickSelected();
    ASSERT_TRUE(answers.menuItemFound);
    ASSERT_TRUE(answers.saveDialog.seen);
}

std::wstring fixture(const wchar_t* name) {
    return Client::programDirectory() + L"\\fixtures\\" + name;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string jsonText(const XStringW& text) {
    std::string out = "\"";
    const XStringA utf8 = text.toUtf8();
    for (const char* p = utf8.c_str(); *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

class KeepNone final : public Client::RefCounted<Data::IDataFilter> {
public:
    void filter(Data::IDataContainer*, int*, int* count) override { *count = 0; }
};

struct Combination {
    const wchar_t* name;
    int filter;
    const wchar_t* fixture;
};

const Combination kCombinations[] = {
    {L"products.csv", 1, L"export-utf16-comma.csv"},
    {L"products.csv", 2, L"export-utf8-comma.csv"},
    {L"products.xls", 3, L"export-utf16-tab.xls"},
    {L"products.XLS", 2, L"export-utf8-tab.xls"},
};

} // namespace

TEST(GridExport, FilesHoldTheShownColumnsAndTextsByteForByte) {
    CommandHost host(kTrickyRows);
    setUser(host, AssembleFinanceGrid::kHeaderKey, kSmallHeader);
    host.start();
    for (const Combination& c : kCombinations) {
        SCOPED_TRACE(XStringW(c.fixture).toUtf8().c_str());
        const std::wstring path = scratch(c.name);
        DeleteFileW(path.c_str());
        ModalAnswers answers;
        exportAs(host, answers, path, c.filter);
        EXPECT_EQ(answers.saveDialog.initialName, L"集合理财产品净值");
        EXPECT_EQ(answers.saveDialog.filters,
                  (std::vector<std::wstring>{L"使用逗号分隔的unicode编码CSV文件 (*.csv)",
                                             L"使用逗号分隔的utf8编码CSV文件 (*.csv)",
                                             L"Microsoft Office Excel 工作簿(*.xls)"}));
        EXPECT_FALSE(answers.saveDialog.readOnlyBoxShown);
        EXPECT_EQ(answers.overwritePrompts, 0);
        EXPECT_EQ(answers.otherWindows, 0);
        const std::string written = readBytes(path);
        const std::string expected = readBytes(fixture(c.fixture));
        ASSERT_FALSE(expected.empty());
        if (written != expected)
            writeFile(scratch(c.fixture), written); // for a look at the difference
        EXPECT_TRUE(written == expected)
            << "written to " << XStringW(scratch(c.fixture).c_str()).toUtf8().c_str();
        DeleteFileW(path.c_str());
    }

    // Nothing shown: the mark and the header line still.
    XComPtr<KeepNone> none(new KeepNone);
    host.page().changeFilters(nullptr, none.get(), nullptr, nullptr);
    const std::wstring empty = scratch(L"empty.csv");
    ASSERT_TRUE(host.grid().ExportTo(empty.c_str(), AssembleFinanceGrid::ExportUtf8Csv));
    const std::string bytes = readBytes(empty);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 1);
    EXPECT_EQ(bytes.substr(bytes.size() - 3), ",\r\n");
    host.page().changeFilters(none.get(), nullptr, nullptr, nullptr);
    DeleteFileW(empty.c_str());
}

TEST(GridExport, CancelOrAnUnwritableFileLeavesTheOldFileAlone) {
    CommandHost host;
    host.start();
    const std::wstring folder = scratch(L"exports");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\kept.csv";
    const std::string old = "old contents\r\n";
    writeFile(path, old);

    {
        // Cancel: nothing written, neither at the path nor under the dialog's initial name.
        for (const wchar_t* initial : {L"集合理财产品净值", L"集合理财产品净值.csv"})
            DeleteFileW(initial);
        ModalAnswers answers;
        exportAs(host, answers, path, 1, true);
        EXPECT_EQ(readBytes(path), old);
        for (const wchar_t* initial : {L"集合理财产品净值", L"集合理财产品净值.csv"})
            EXPECT_EQ(GetFileAttributesW(initial), INVALID_FILE_ATTRIBUTES);
    }
    {
        // Replacing it is refused; the dialog then stays and is cancelled.
        ModalAnswers answers;
        answers.answerOverwrite(false);
        answers.answerSaveDialog(path, 1);
        answers.answerSaveDialog(L"", 0, true);
        answers.chooseMenuItem(L"数据导出");
        host.rightClickSelected();
        EXPECT_EQ(answers.overwritePrompts, 1);
        EXPECT_EQ(readBytes(path), old);
    }
    {
        // A read-only file: confirmed, but the file cannot be replaced; nothing is shown.
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        ModalAnswers answers;
        exportAs(host, answers, path, 1);
        EXPECT_EQ(answers.overwritePrompts, 1);
        EXPECT_EQ(answers.otherWindows, 0);
        wguitest::pumpFor(100);
        EXPECT_EQ(answers.otherWindows, 0);
        EXPECT_EQ(readBytes(path), old);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    {
        // Confirmed: replaced whole.
        ModalAnswers answers;
        exportAs(host, answers, path, 2);
        EXPECT_EQ(answers.overwritePrompts, 1);
        EXPECT_EQ(readBytes(path).substr(0, 3), "\xEF\xBB\xBF");
    }
    {
        // A name without extension takes the default one.
        ModalAnswers answers;
        exportAs(host, answers, folder + L"\\plain", 1);
        EXPECT_EQ(readBytes(folder + L"\\plain.csv").substr(0, 2), "\xFF\xFE");
    }
    // No temporary file is left beside them.
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    std::vector<std::wstring> names;
    do {
        if (found.cFileName[0] != L'.')
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"kept.csv", L"plain.csv"}));
    for (const std::wstring& name : names)
        DeleteFileW((folder + L"\\" + name).c_str());
    RemoveDirectoryW(folder.c_str());
}

// Leaves the four files and what the grid shows in them for export_readback.py.
TEST(GridExport, FilesForReadingBack) {
    CommandHost host(kTrickyRows, 1800);
    host.start();
    AssembleFinanceGrid& grid = host.grid();
    // Every column drawn, so the file holds the grid's formatted texts.
    RedrawWindow(host.gridWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    std::string cells = "[";
    std::string header = "[";
    for (int c = 0; c < grid.GetColumnCount(); ++c) {
        HeaderInfo2 column = grid.GetColumn(c);
        header += (c ? "," : "") +
                  jsonText(column.group.isEmpty() ? column.title : column.group + L" " + column.title);
    }
    cells += header + "]";
    for (int row = 0; row < grid.GetRowsCount(); ++row) {
        cells += ",[";
        for (int c = 0; c < grid.GetColumnCount(); ++c) {
            XStringW text;
            grid.GetItemText(row, grid.GetColumn(c), text);
            cells += (c ? "," : "") + jsonText(text);
        }
        cells += "]";
    }
    cells += "]";

    const std::wstring folder = Client::programDirectory() + L"\\..\\test-output";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\export").c_str(), nullptr);
    int index = 0;
    for (const Combination& c : kCombinations) {
        const std::wstring name = std::to_wstring(++index) + L"-" + c.name;
        const std::wstring path = folder + L"\\export\\" + name;
        DeleteFileW(path.c_str());
        ModalAnswers answers;
        exportAs(host, answers, path, c.filter);
        ASSERT_FALSE(readBytes(path).empty());
        const bool tabs = c.filter == 3 || std::wstring(c.name).find(L".XLS") != std::wstring::npos;
        std::string json = "{\"file\":" + jsonText(name.c_str()) + ",\"encoding\":\"" +
                           (c.filter == 2 ? "utf-8" : "utf-16") + "\",\"delimiter\":\"" +
                           (tabs ? "\\t" : ",") + "\",\"cells\":" + cells + "}\n";
        writeFile(path + L".json", json);
    }
}
