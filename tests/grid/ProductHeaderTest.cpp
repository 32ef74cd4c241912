// The product header with the host's grid control: assembly, what a user's change saves, reset.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windowsx.h>
#include "FakeHost.h"
#include "grid/AssembleFinanceGrid.h"
#include "tests/gridframe/FakeTheme.h"

namespace {

class ProductHeader : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        grid = std::make_unique<AssembleFinanceGrid>();
        app = new FakeApp;
        grid->SetApp(app.get());
        theme = new FakeTheme;
        const char* keys[5] = {"fntn_font_name", "fntn_font_bold", "fntn_font_regular", "fntn_font_digital",
                               "fntn_font_digital_bold"};
        for (int i = 0; i < 5; ++i) {
            FontInfo font;
            font.attributes =
                XStringW::format(L"font-family=\"Face%d\" font-size=\"%d\" font-style=\"bold\"", i, 9 + i);
            theme->fonts[keys[i]] = font;
        }
        ASSERT_TRUE(grid->Create(nullptr, XRect(0, 0, 900, 300), WS_POPUP, 0, 0));
    }
    void TearDown() override {
        grid.reset();
        CoUninitialize();
    }
    std::wstring header() { return grid->GetHeader().c_str(); }
    std::wstring saved() { return app->userConf->values[AssembleFinanceGrid::kHeaderKey]; }
    HeaderInfo2 visibleColumn(const wchar_t* name) {
        for (int i = 0; i < grid->GetColumnCount(); ++i)
            if (grid->GetColumn(i).name == name)
                return grid->GetColumn(i);
        return HeaderInfo2();
    }
    // Drags the right border of the first visible column by dx, as the user would.
    void widenFirstColumn(int dx) {
        int edge = 1 + grid->GetColumn(0).width;
        for (int y = 1; y < 80; ++y) {
            int column = -1, area = 0;
            grid->HitTest(edge, y, &column, &area);
            if (area != XDataGrid::HitHeaderBorder)
                continue;
            SendMessageW(grid->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge, y));
            SendMessageW(grid->GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge + dx, y));
            SendMessageW(grid->GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(edge + dx, y));
            return;
        }
        ADD_FAILURE() << "no header border found";
    }

    std::unique_ptr<AssembleFinanceGrid> grid;
    XComPtr<FakeApp> app;
    XComPtr<FakeTheme> theme;
};

TEST_F(ProductHeader, RefusedBeforeAnyTheme) {
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    EXPECT_EQ(grid->AssembleHeader(), 0);
    EXPECT_EQ(grid->GetColumnCount(), 0);
    EXPECT_EQ(grid->CachedColumnCount(), 0u);
}

TEST_F(ProductHeader, DefaultHeaderWithDatesAndThemeFonts) {
    grid->SetTheme(theme.get());
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    ASSERT_NE(grid->AssembleHeader(), 0);
    EXPECT_STREQ(visibleColumn(L"value").group.c_str(), L"2024-05-31");
    EXPECT_STREQ(visibleColumn(L"previousvalue").group.c_str(), L"2024-04-30");
    // _font_digital_bold and _font_digital each get their own face.
    EXPECT_STREQ(visibleColumn(L"value").fontFamily.c_str(), L"Face4");
    EXPECT_STREQ(visibleColumn(L"aliascode").fontFamily.c_str(), L"Face3");
    EXPECT_STREQ(visibleColumn(L"name").fontFamily.c_str(), L"Face0");
    EXPECT_TRUE(visibleColumn(L"_index").name.isEmpty()); // hidden

    // No begin date (none before the end date): the group says "--" as its cells do, and a
    // header the user changes meanwhile is saved with the placeholder, not with "--".
    grid->SetDateTitles(L"", L"2024-05-31");
    ASSERT_NE(grid->AssembleHeader(), 0);
    EXPECT_STREQ(visibleColumn(L"previousvalue").group.c_str(), L"--");
    widenFirstColumn(5);
    EXPECT_NE(saved().find(L"title=\"beg_date\""), std::wstring::npos) << saved();
    EXPECT_EQ(saved().find(L"title=\"--\""), std::wstring::npos);
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    ASSERT_NE(grid->AssembleHeader(), 0);
    EXPECT_STREQ(visibleColumn(L"previousvalue").group.c_str(), L"2024-04-30");
}

TEST_F(ProductHeader, UserChangeIsSavedWithoutFontsAndComesBack) {
    grid->SetTheme(theme.get());
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    ASSERT_NE(grid->AssembleHeader(), 0);
    ASSERT_STREQ(grid->GetColumn(0).name.c_str(), L"index_rank");
    widenFirstColumn(25);
    ASSERT_EQ(app->userConf->values.count(AssembleFinanceGrid::kHeaderKey), 1u);
    std::wstring text = saved();
    EXPECT_EQ(text.find(L"font-family"), std::wstring::npos) << text;
    EXPECT_EQ(text.find(L"font-size"), std::wstring::npos);
    EXPECT_EQ(text.find(L"font-style"), std::wstring::npos);
    EXPECT_EQ(text.find(L"2024-"), std::wstring::npos);
    EXPECT_NE(text.find(L"title=\"end_date\""), std::wstring::npos);
    EXPECT_NE(text.find(L"title=\"beg_date\""), std::wstring::npos);
    EXPECT_NE(text.find(L"font=\"_font_digital_bold\""), std::wstring::npos);

    // The next assembly (new dates) shows the saved width.
    grid->SetDateTitles(L"2024-05-31", L"2024-06-28");
    ASSERT_NE(grid->AssembleHeader(), 0);
    EXPECT_EQ(visibleColumn(L"index_rank").width, 75);
    EXPECT_STREQ(visibleColumn(L"value").group.c_str(), L"2024-06-28");
    EXPECT_STREQ(visibleColumn(L"value").fontFamily.c_str(), L"Face4");

    // Equal dates: each group still comes back as its own placeholder.
    grid->SetDateTitles(L"2024-05-31", L"2024-05-31");
    ASSERT_NE(grid->AssembleHeader(), 0);
    widenFirstColumn(5);
    text = saved();
    EXPECT_NE(text.find(L"title=\"end_date\""), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"title=\"beg_date\""), std::wstring::npos);

    grid->OnResetHeader();
    EXPECT_EQ(app->userConf->values.count(AssembleFinanceGrid::kHeaderKey), 0u);
    EXPECT_EQ(visibleColumn(L"index_rank").width, 50);
    EXPECT_STREQ(visibleColumn(L"value").group.c_str(), L"2024-05-31");
}

TEST_F(ProductHeader, ASavedHeaderWithoutAShownColumnGivesWayToTheDefault) {
    grid->SetTheme(theme.get());
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    ASSERT_NE(grid->AssembleHeader(), 0);
    widenFirstColumn(25);
    const std::wstring good = saved();
    const std::wstring broken[] = {
        L"<header><item name=\"code\" width=\"80\"", // not well-formed
        good.substr(0, good.size() / 2),             // cut short in the store
        L"<header><item name=\"code\" visible=\"false\"/><item title=\"end_date\"><item "
        L"name=\"value\" visible=\"false\"/></item></header>", // every column hidden
        L"<header/>",                                          // no column at all
        L"",                                                   // an empty value
    };
    for (const std::wstring& text : broken) {
        SCOPED_TRACE(testing::Message() << "saved: " << XStringW(text.c_str()).toUtf8().c_str());
        app->userConf->values[AssembleFinanceGrid::kHeaderKey] = text;
        // Start from a grid without columns, as at the first load.
        grid->SetHeader(L"<header><item name=\"x\" visible=\"false\"/></header>");
        EXPECT_NE(grid->AssembleHeader(), 0);
        EXPECT_EQ(visibleColumn(L"index_rank").width, 50);
        EXPECT_STREQ(visibleColumn(L"value").group.c_str(), L"2024-05-31");
        EXPECT_EQ(saved(), text);
    }
    // The user's next change saves the header shown.
    widenFirstColumn(5);
    EXPECT_NE(saved().find(L"width=\"55\""), std::wstring::npos) << saved();
    ASSERT_NE(grid->AssembleHeader(), 0);
    EXPECT_EQ(visibleColumn(L"index_rank").width, 55);
}

// The item tag of the named column in a header text, or empty.
std::wstring itemTag(const std::wstring& header, const wchar_t* name) {
    size_t at = header.find(std::wstring(L"name=\"") + name + L"\"");
    if (at == std::wstring::npos)
        return std::wstring();
    size_t begin = header.rfind(L"<item", at), end = header.find(L">", at);
    return header.substr(begin, end - begin);
}

TEST_F(ProductHeader, ACaptionSortIsSavedWithTheHeaderAndResetBringsBackTheDefaultOrder) {
    grid->SetTheme(theme.get());
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    ASSERT_NE(grid->AssembleHeader(), 0);
    int x = 1, v = 0;
    for (; v < grid->GetColumnCount() && grid->GetColumn(v).name != L"name"; ++v)
        x += grid->GetColumn(v).width;
    ASSERT_LT(v, grid->GetColumnCount());
    x += 10;
    SendMessageW(grid->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 30));
    SendMessageW(grid->GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, 30));

    // The next load assembles the header from what was saved: sorted by name, not by growth.
    std::wstring text = saved();
    EXPECT_NE(itemTag(text, L"name").find(L"sort=\"asc\""), std::wstring::npos) << text;
    EXPECT_EQ(itemTag(text, L"percent").find(L"sort="), std::wstring::npos) << text;
    grid->SetDateTitles(L"2024-05-31", L"2024-06-28");
    ASSERT_NE(grid->AssembleHeader(), 0);
    EXPECT_NE(itemTag(header(), L"name").find(L"sort=\"asc\""), std::wstring::npos);

    grid->OnResetHeader();
    EXPECT_EQ(itemTag(header(), L"name").find(L"sort="), std::wstring::npos);
    EXPECT_NE(itemTag(header(), L"percent").find(L"sort=\"desc\""), std::wstring::npos);
}

TEST_F(ProductHeader, NoUserConfiguration) {
    grid->SetTheme(theme.get());
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    app->userConf = nullptr;
    // Neither the saved nor the default header: an empty text, which is no header.
    EXPECT_STREQ(grid->HeaderText().c_str(), L"");
    EXPECT_EQ(grid->AssembleHeader(), 0);
    EXPECT_EQ(grid->GetColumnCount(), 0);
    grid->OnResetHeader(); // the default still shows
    EXPECT_EQ(visibleColumn(L"index_rank").width, 50);
    grid->OnHeaderChange(); // nothing to save into
}

} // namespace
