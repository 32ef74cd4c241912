// A host without a data-view component: the page cannot build its grid, and its window creation
// fails cleanly instead of an exception running through Windows.
#include <gtest/gtest.h>
#include "module/host/Kernel.h"
#include "page/AssembleFinancePage.h"
#include "tests/wgui/TestWindows.h"

TEST(PageWithoutDataView, WindowCreationFails) {
    // This process's registry loses the view component before any page exists.
    ASSERT_TRUE(registerComponent("Data.DataView", []() -> IXUnknown* { return nullptr; }));
    ASSERT_EQ(createInstance("Data.DataView").get(), nullptr);

    wguitest::HostWindow parent;
    AssembleFinancePage page;
    EXPECT_EQ(page.productGrid().GetDisplayView(), nullptr);
    EXPECT_EQ(page.create(parent.hwnd, nullptr), nullptr);
    EXPECT_FALSE(page.isCreated());
    // Nothing that needs the window breaks afterwards.
    page.loadProductTable(false);
    page.applyTheme(nullptr);
    EXPECT_EQ(page.getTitle().compare(L"集合理财产品"), 0);
}
