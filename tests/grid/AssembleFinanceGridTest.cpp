#include <gtest/gtest.h>
#include <objbase.h>
#include "FakeHost.h"
#include "grid/AssembleFinanceGrid.h"
#include "tests/gridframe/FakeTheme.h"

namespace {

class ProductGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        grid = std::make_unique<AssembleFinanceGrid>();
        app = new FakeApp;
        grid->SetApp(app.get());
    }
    void TearDown() override {
        grid.reset();
        CoUninitialize();
    }

    std::unique_ptr<AssembleFinanceGrid> grid;
    XComPtr<FakeApp> app;
};

TEST_F(ProductGridTest, CompanyLosesItsLeadingPart) {
    EXPECT_STREQ(AssembleFinanceGrid::ShortCompany(L"ABC-DEF").c_str(), L"DEF");
    EXPECT_STREQ(AssembleFinanceGrid::ShortCompany(L"ABC-DEF-GHI").c_str(), L"DEF-GHI");
    EXPECT_STREQ(AssembleFinanceGrid::ShortCompany(L"ABC").c_str(), L"ABC");
    EXPECT_STREQ(AssembleFinanceGrid::ShortCompany(L"-ABC").c_str(), L"-ABC");
    EXPECT_STREQ(AssembleFinanceGrid::ShortCompany(L"").c_str(), L"");
    EXPECT_STREQ(AssembleFinanceGrid::ShortCompany(L"--").c_str(), L"--");
}

TEST_F(ProductGridTest, SavedHeaderLosesThemeFontsAndDates) {
    const wchar_t* shown =
        L"<header><item title=\"2024-05-31\" font=\"_font_regular\" font-family=\"A\" font-size=\"9\" "
        L"font-style=\"\" tip=\"2024-05-31\"><item name=\"value\" width=\"120\" font-family=\"A\"/></item>"
        L"<item title=\"2024-05-31\" font=\"_font_regular\" font-style=\"bold\"><item name=\"previousvalue\" "
        L"font-size=\"9\"/></item><item name=\"code\" font=\"_font_digital\" font-family=\"B\" "
        L"width=\"80\"/></header>";
    XStringW saved = AssembleFinanceGrid::HeaderToSave(shown, L"2024-05-31", L"2024-05-31");
    // The parser may lay the written document out anew.
    for (const wchar_t* blank : {L"\t", L"\r", L"\n"})
        saved.replace(blank, L"");
    EXPECT_EQ(saved.find(L"font-family"), -1) << saved.c_str();
    EXPECT_EQ(saved.find(L"font-size"), -1);
    EXPECT_EQ(saved.find(L"font-style"), -1);
    // Equal dates stay apart, and a date elsewhere survives.
    EXPECT_GE(saved.find(L"<item title=\"end_date\" font=\"_font_regular\" tip=\"2024-05-31\">"), 0)
        << saved.c_str();
    EXPECT_GE(saved.find(L"<item title=\"beg_date\" font=\"_font_regular\"><item name=\"previousvalue\"/>"),
              0)
        << saved.c_str();
    EXPECT_GE(saved.find(L"<item name=\"value\" width=\"120\"/>"), 0);
    EXPECT_GE(saved.find(L"<item name=\"code\" font=\"_font_digital\" width=\"80\"/>"), 0);

    // A text the parser refuses is saved as it is, with the dates turned back as text.
    XStringW broken = AssembleFinanceGrid::HeaderToSave(L"<header title=\"2024-05-31\" font-size=\"9\">",
                                                        L"2024-04-30", L"2024-05-31");
    EXPECT_STREQ(broken.c_str(), L"<header title=\"end_date\" font-size=\"9\">");
}

TEST_F(ProductGridTest, FontZoomFromUserConfiguration) {
    grid->LoadFontZoom();
    EXPECT_EQ(grid->FontZoom(), 1.0);
    app->userConf->values[AssembleFinanceGrid::kFontSizeKey] = L"1.25";
    grid->LoadFontZoom();
    EXPECT_EQ(grid->FontZoom(), 1.25);
}

TEST_F(ProductGridTest, RandomHeaderTextsNeverCrash) {
    const wchar_t* attributes[] = {L"name=\"a\" ",
                                   L"name=\"percent\" ",
                                   L"title=\"beg_date\" ",
                                   L"font=\"_font_bold\" ",
                                   L"font-size=\"9\" ",
                                   L"width=\"-5\" ",
                                   L"text_format=\"%.2f:/0:;0,x:a=b\" ",
                                   L"data_type=\"i\" ",
                                   L"sort=\"desc\" ",
                                   L"visible=\"false\" ",
                                   L"sortable=\"false\" ",
                                   L"text_color=\"%n%s\" "};
    const wchar_t* junk[] = {L"<!DOCTYPE x>", L"&amp;", L"\"", L"<", L"</item>", L"<?xml ?>", L"\x4e2d"};
    unsigned seed = 1;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    XComPtr<FakeTheme> theme(new FakeTheme); // without a theme no text would reach the control
    theme->fonts["fntn_font_bold"].attributes = L"font-family=\"x\" font-size=\"9\"";
    grid->SetTheme(theme.get());
    grid->SetDateTitles(L"2024-04-30", L"2024-05-31");
    int applied = 0;
    for (int i = 0; i < 300; ++i) {
        XStringW text(L"<header>");
        for (unsigned item = next(6); item > 0; --item) {
            text += L"<item ";
            for (unsigned a = next(4); a > 0; --a)
                text += attributes[next(12)];
            if (next(3) == 0)
                text += L"><item name=\"b\" font=\"_font_bold\"/></item>";
            else
                text += L"/>";
            if (next(8) == 0)
                text += junk[next(7)];
        }
        if (next(10) != 0)
            text += L"</header>";
        applied += grid->SetHeader(text) != 0;
        AssembleFinanceGrid::HeaderToSave(text, L"2024-04-30", L"2024-05-31");
        grid->OnHeaderChange();
    }
    EXPECT_GT(applied, 0);
}

} // namespace
