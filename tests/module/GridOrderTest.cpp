// The order and the picture of the product grid in the client's main frame: columns of numbers
// sorted from their captions as a user clicks them, on a generated database where some net
// values are 10 or more, and a repaint after the filter bar's conditions are cleared.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include "host/client/FilterBarDriver.h"
#include "host/sampledata/SampleFile.h"
#include "tests/module/CommandHost.h"
#include "tests/wgui/TestWindows.h"

using commandtest::CommandHost;

namespace {

// A point on the named column's caption, a few pixels above its bottom edge: under any group
// title, which the hit test does not tell apart from the caption.
bool captionPoint(AssembleFinanceGrid& grid, const wchar_t* name, POINT& point) {
    RECT client{};
    GetClientRect(grid.GetHwnd(), &client);
    for (int y = 80; y >= 0; --y) {
        int left = -1, right = -1;
        for (int x = 0; x < client.right; ++x) {
            int column = -1, area = 0;
            grid.HitTest(x, y, &column, &area);
            if (area == XDataGrid::HitHeader && column >= 0 && grid.GetColumn(column).name == name) {
                left = left < 0 ? x : left;
                right = x;
            }
        }
        if (left >= 0) {
            point = POINT{(left + right) / 2, y - 4};
            return true;
        }
    }
    return false;
}

void clickCaption(AssembleFinanceGrid& grid, POINT at) {
    SendMessageW(grid.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(grid.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

std::wstring sampleWithHighValues() {
    SampleOptions options;
    options.products = 60;
    options.days = 30;
    options.highValueProducts = 12;
    const std::wstring file = commandtest::scratch(L"high_values.db");
    std::string error;
    EXPECT_TRUE(writeSampleFile(file, options, nullptr, &error)) << error;
    return file;
}

} // namespace

TEST(GridOrder, NetValueAndGrowthColumnsSortByValueFromTheirCaptions) {
    CommandHost host(sampleWithHighValues(), 1300);
    host.start();
    AssembleFinanceGrid& grid = host.grid();
    Data::IDataView* view = grid.GetDisplayView();
    ASSERT_GT(view->rowCount(), 40);
    for (const wchar_t* column :
         {L"value", L"totalvalue", L"previousvalue", L"previoustotalvalue", L"updown"}) {
        SCOPED_TRACE(XStringW(column).toUtf8().c_str());
        POINT caption{};
        ASSERT_TRUE(captionPoint(grid, column, caption));
        // The first click sorts up, the second down.
        for (bool descending : {false, true}) {
            clickCaption(grid, caption);
            std::vector<double> values;
            int nulls = 0;
            for (int i = 0; i < view->rowCount(); ++i) {
                Data::IDataItem& cell = view->getRow(i).getItem(column);
                if (cell.isNull()) {
                    ++nulls;
                    continue;
                }
                EXPECT_EQ(nulls, 0) << "a value after an empty one, row " << i;
                values.push_back(cell.getDouble());
            }
            ASSERT_GT(values.size(), 30u);
            for (size_t i = 1; i < values.size(); ++i)
                ASSERT_TRUE(descending ? values[i - 1] >= values[i] : values[i - 1] <= values[i])
                    << values[i - 1] << " then " << values[i] << (descending ? " going down" : " going up");
            if (XStringW(column) != L"updown") {
                // The database holds what the old text order got wrong: values on both sides of 10.
                EXPECT_GE(std::max(values.front(), values.back()), 10.0);
                EXPECT_LT(std::min(values.front(), values.back()), 10.0);
            } else {
                EXPECT_LT(std::min(values.front(), values.back()), 0.0);
                EXPECT_GT(std::max(values.front(), values.back()), 0.0);
            }
        }
    }
}

TEST(GridOrder, ClearingTheConditionsRepaintsTheWholeGrid) {
    CommandHost host(sampleWithHighValues(), 1300);
    host.start();
    AssembleFinanceGrid& grid = host.grid();
    Data::IDataView* view = grid.GetDisplayView();
    const int all = view->rowCount();
    // A row clicked, then a company chosen: the row's product stays selected through both changes.
    RECT client{};
    GetClientRect(grid.GetHwnd(), &client);
    int y = 0;
    for (int area = 0; y < client.bottom && area != XDataGrid::HitCell; ++y)
        grid.HitTest(20, y, nullptr, &area);
    SendMessageW(grid.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, y + 2));
    SendMessageW(grid.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, y + 2));
    const int selected = grid.GetCurrSel();
    ASSERT_GE(selected, 0);
    const std::wstring company = view->getRow(selected).getItem(L"company").getText().c_str();
    const std::wstring code = view->getRow(selected).getItem(L"code").getText().c_str();
    HWND bar = Client::findFilterBar(host.page().hwnd);
    ASSERT_TRUE(Client::chooseFilterValue(bar, L"基金公司", company));
    ASSERT_LT(view->rowCount(), all);

    // Everything drawn, then all conditions cleared from the menu: the whole grid waits to be
    // drawn again from what the view now holds, whichever row the product landed on.
    UpdateWindow(grid.GetHwnd());
    ASSERT_TRUE(Client::chooseMenuItem(GetDlgItem(bar, FilterWnd::kMoreButtonId), {L"清除所有条件(D)"}));
    EXPECT_EQ(view->rowCount(), all);
    ASSERT_GE(grid.GetCurrSel(), 0);
    EXPECT_EQ(std::wstring(view->getRow(grid.GetCurrSel()).getItem(L"code").getText().c_str()), code);
    RECT invalid{};
    ASSERT_TRUE(GetUpdateRect(grid.GetHwnd(), &invalid, FALSE));
    EXPECT_TRUE(EqualRect(&invalid, &client))
        << invalid.left << "," << invalid.top << " " << invalid.right << "," << invalid.bottom;
}
