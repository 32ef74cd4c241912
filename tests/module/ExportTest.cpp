// The grid's export as a user runs it: right click, "数据导出", the real save dialog filled in
// and confirmed by a timer. Files are compared byte for byte with fixtures; the files of a wider
// export are left, with the cells the grid shows, for export_readback.py to read back with
// Python's csv module. A save that fails is said in a message box, read back from its window.
#include <gtest/gtest.h>
#include <windows.h>
#include "host/client/ClientServices.h"
#include "host/client/GridExportDriver.h"
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

// Texts a spreadsheet would misread: quotes, formulas (some with leading blanks or full-width
// signs), texts that only look like them, a negative growth, a company whose short name holds
// quotes, a product never valued.
const char kTrickyRows[] = R"sql(
insert into tb_investadvisor values ('g3', '丙资产-丙"引号"资产', 0);
insert into tb_fund values
  ('100007', '100007', '=1+2', '混合型', '+进取', '集合理财产品', '2020-01-02', 'g3', 'A', 0, 0),
  ('100008', '100008', '他说"好",行', '-负面', '@SUM(A1)', '集合理财产品', '2020-01-02', 'g1', 'B', 0, 0),
  ('100009', '100009', '+1', '混合型', '-2+3', '集合理财产品', '2020-01-02', 'g1', 'C', 0, 0),
  ('100010', '100010', '-.5+1', '混合型', ' =1+2', '集合理财产品', '2020-01-02', 'g1', 'D', 0, 0),
  ('100011', '100011', char(9) || '=1', '混合型', '＝1+2', '集合理财产品', '2020-01-02', 'g1', 'E', 0, 0),
  ('100012', '100012', '－1', '混合型', '@SUM(1)', '集合理财产品', '2020-01-02', 'g1', 'F', 0, 0),
  ('100013', '100013', '-.5+cmd|'' /C calc''!A0', '混合型', '-0.50%', '集合理财产品', '2020-01-02', 'g1', 'G', 0, 0),
  ('100014', '100014', '-12.3456', '混合型', '1-2', '集合理财产品', '2020-01-02', 'g1', 'H', 0, 0),
  ('100015', '100015', 'a=b', '混合型', '--', '集合理财产品', '2020-01-02', 'g1', 'I', 0, 0);
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

// Pushed off screen by the wide name, the growth rate and the founding date are never drawn.
const wchar_t kFarHeader[] = LR"(<header>
<item title="代码" name="code" width="60"/>
<item title="名称" name="name" width="3000"/>
<item title="增长率" name="percent" data_type="d" text_format="%.02f%%:*100" width="70"/>
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

std::vector<std::wstring> namesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    std::vector<std::wstring> names;
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (found.cFileName[0] != L'.')
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring currentDirectory() {
    wchar_t folder[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, folder);
    return folder;
}

// The one message of a failed save: on the main frame, captioned "数据导出", the path on the first
// line and the system's reason on the next.
void expectFailureSaid(CommandHost& host, const ModalAnswers& answers, const std::wstring& path) {
    ASSERT_EQ(answers.messageBoxes.size(), 1u);
    const ModalAnswers::MessageBoxSeen& box = answers.messageBoxes[0];
    EXPECT_EQ(box.caption, L"数据导出");
    EXPECT_EQ(box.owner, host.frame->hwnd());
    const std::wstring head = L"文件未能保存：" + path + L"\n";
    EXPECT_EQ(box.text.substr(0, head.size()), head);
    EXPECT_GT(box.text.size(), head.size()) << "no reason given";
}

// Another program holding a file open without sharing, as a spreadsheet holds the file it shows.
class HeldOpen {
public:
    explicit HeldOpen(const std::wstring& path) {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId());
        ready_ = CreateEventW(nullptr, TRUE, FALSE, (L"af_export_ready_" + tag).c_str());
        release_ = CreateEventW(nullptr, TRUE, FALSE, (L"af_export_release_" + tag).c_str());
        std::wstring command = L"\"" + Client::programDirectory() + L"\\file_holder.exe\" \"" + path +
                               L"\" af_export_ready_" + tag + L" af_export_release_" + tag;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process_)) {
            CloseHandle(process_.hThread);
            HANDLE either[] = {ready_, process_.hProcess};
            holding_ = WaitForMultipleObjects(2, either, FALSE, 10000) == WAIT_OBJECT_0;
        }
    }
    ~HeldOpen() {
        SetEvent(release_);
        if (process_.hProcess) {
            WaitForSingleObject(process_.hProcess, 10000);
            CloseHandle(process_.hProcess);
        }
        CloseHandle(ready_);
        CloseHandle(release_);
    }
    bool holding() const { return holding_; }

private:
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool holding_ = false;
};

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
        EXPECT_TRUE(answers.messageBoxes.empty());
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

// A column the grid never drew is written as the grid would show it: the file is the same before
// and after the user scrolled through every column.
TEST(GridExport, ColumnsNeverDrawnAreWrittenAsTheGridShowsThem) {
    CommandHost host;
    setUser(host, AssembleFinanceGrid::kHeaderKey, kFarHeader);
    host.start();
    AssembleFinanceGrid& grid = host.grid();
    RedrawWindow(host.gridWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_EQ(grid.CachedColumnCount(), 2u) << "only code and name were drawn";
    const std::wstring path = scratch(L"far.csv");
    ASSERT_TRUE(grid.ExportTo(path.c_str(), AssembleFinanceGrid::ExportUtf8Csv));
    const std::string unseen = readBytes(path);

    for (int i = 0; i < 20; ++i) {
        SendMessageW(host.gridWindow(), WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 5), 0);
        RedrawWindow(host.gridWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    ASSERT_TRUE(grid.ExportTo(path.c_str(), AssembleFinanceGrid::ExportUtf8Csv));
    EXPECT_TRUE(readBytes(path) == unseen);
    EXPECT_NE(unseen.find("\"100001\",\"稳健一号\",\"10.00%\",\"2020-01-02\",\r\n"), std::string::npos)
        << unseen;
    EXPECT_NE(unseen.find("\"100003\",\"分红三号\",\"5.00%\",\"--\",\r\n"), std::string::npos) << unseen;

    // Other columns chosen: the next export follows them, captions and formats included.
    grid.SetHeader(LR"(<header>
<item title="增长率" name="percent" data_type="d" text_format="%.01f%%:*100" width="70"/>
<item title="代码" name="code" width="60"/>
</header>)");
    ASSERT_TRUE(grid.ExportTo(path.c_str(), AssembleFinanceGrid::ExportUtf8Csv));
    const std::string chosen = readBytes(path);
    EXPECT_EQ(chosen.substr(0, chosen.find('\n') + 1), "\xEF\xBB\xBF\"增长率\",\"代码\",\r\n");
    EXPECT_NE(chosen.find("\"10.0%\",\"100001\",\r\n"), std::string::npos) << chosen;
    DeleteFileW(path.c_str());
}

TEST(GridExport, CancelIsSilentAndAFailedSaveIsSaidWithTheOldFileKept) {
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
        EXPECT_TRUE(answers.messageBoxes.empty());
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
        EXPECT_TRUE(answers.messageBoxes.empty());
    }
    {
        // A read-only file: confirmed, but it cannot be replaced.
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        ModalAnswers answers;
        exportAs(host, answers, path, 1);
        EXPECT_EQ(answers.overwritePrompts, 1);
        expectFailureSaid(host, answers, path);
        EXPECT_EQ(readBytes(path), old);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    {
        // Held open by another program: the rename over it fails.
        HeldOpen holder(path);
        ASSERT_TRUE(holder.holding());
        ModalAnswers answers;
        exportAs(host, answers, path, 1);
        expectFailureSaid(host, answers, path);
    }
    EXPECT_EQ(readBytes(path), old);
    {
        // The client's own settings, named with other letter case: refused by the file's identity.
        setUser(host, L"/Client2/UserConfig/ExportTest", L"kept");
        const std::wstring store = scratch(L"profile") + L"\\user.conf";
        const std::string settings = readBytes(store);
        ASSERT_NE(settings.find("ExportTest"), std::string::npos);
        const std::wstring spelled = scratch(L"profile") + L"\\USER.conf";
        ModalAnswers answers;
        exportAs(host, answers, spelled, 1);
        expectFailureSaid(host, answers, spelled);
        EXPECT_EQ(readBytes(store), settings);
        EXPECT_EQ(namesIn(scratch(L"profile")), (std::vector<std::wstring>{L"system.conf", L"user.conf"}));
    }
    {
        // Confirmed: replaced whole.
        ModalAnswers answers;
        exportAs(host, answers, path, 2);
        EXPECT_EQ(answers.overwritePrompts, 1);
        EXPECT_EQ(readBytes(path).substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_TRUE(answers.messageBoxes.empty());
    }
    {
        // A name without extension takes the default one.
        ModalAnswers answers;
        exportAs(host, answers, folder + L"\\plain", 1);
        EXPECT_EQ(readBytes(folder + L"\\plain.csv").substr(0, 2), "\xFF\xFE");
    }
    // No temporary file is left beside them.
    const std::vector<std::wstring> names = namesIn(folder);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"kept.csv", L"plain.csv"}));
    for (const std::wstring& name : names)
        DeleteFileW((folder + L"\\" + name).c_str());
    RemoveDirectoryW(folder.c_str());
}

// However long the path typed into the dialog, the export ends in a file or in the message (the
// dialog itself would end the process past MAX_PATH), and the process keeps its current folder.
TEST(GridExport, LongPathsEndInAFileOrTheMessageAndTheCurrentFolderStays) {
    CommandHost host;
    host.start();
    const std::wstring before = currentDirectory();
    const std::wstring top = scratch(L"long");
    const std::wstring deep = top + L"\\" + std::wstring(100, L'a');
    CreateDirectoryW(top.c_str(), nullptr);
    CreateDirectoryW(deep.c_str(), nullptr);
    for (size_t length : {259, 260, 300, 1000}) {
        SCOPED_TRACE(length);
        const std::wstring path = deep + L"\\" + std::wstring(length - deep.size() - 5, L'x') + L".csv";
        ASSERT_EQ(path.size(), length);
        ModalAnswers answers;
        exportAs(host, answers, path, 1);
        if (length < MAX_PATH) {
            EXPECT_TRUE(answers.messageBoxes.empty());
            EXPECT_EQ(readBytes(path).substr(0, 2), "\xFF\xFE");
            DeleteFileW(path.c_str());
        } else {
            expectFailureSaid(host, answers, path);
        }
    }
    EXPECT_EQ(currentDirectory(), before);
    EXPECT_TRUE(namesIn(deep).empty());
    RemoveDirectoryW(deep.c_str());
    RemoveDirectoryW(top.c_str());
}

// The client's scripted export takes a path with "/" or "\\", and reports a name the dialog
// refuses instead of leaving the dialog waiting for ever.
TEST(GridExport, ScriptedExportsTakeEitherSlashAndReportRefusedNames) {
    CommandHost host;
    host.start();
    const std::wstring back = scratch(L"scripted.csv");
    std::wstring forward = back;
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    for (const std::wstring& path : {back, forward}) {
        DeleteFileW(back.c_str());
        std::wstring message;
        EXPECT_TRUE(Client::exportThroughGrid(host.page().hwnd, path, 1, message))
            << XStringW(message.c_str()).toUtf8().c_str();
        EXPECT_EQ(readBytes(back).substr(0, 2), "\xFF\xFE");
    }
    DeleteFileW(back.c_str());
    for (const wchar_t* name : {L"star*.csv", L"what?.csv", L"pipe|.csv"}) {
        std::wstring message;
        EXPECT_FALSE(Client::exportThroughGrid(host.page().hwnd, scratch(name), 1, message));
        EXPECT_EQ(message, Client::kInvalidPath) << XStringW(name).toUtf8().c_str();
    }
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
