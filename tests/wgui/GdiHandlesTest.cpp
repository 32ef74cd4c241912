#include <gtest/gtest.h>
#include <windows.h>
#include <utility>
#include "wgui/GdiHandles.h"

TEST(GdiHandlesTest, OwnerDeletesOnceAndMovesItsHandle) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        WGUI::UniqueBrush first(raw);
        WGUI::UniqueBrush second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        WGUI::UniqueBrush third;
        third = std::move(second);
        EXPECT_EQ(third.get(), raw);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);

    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    {
        WGUI::UniquePen owner(pen);
        EXPECT_EQ(owner.release(), pen); // handed over: not deleted
    }
    EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
    DeleteObject(pen);
}

TEST(GdiHandlesTest, SelectGuardRestoresThePreviousObject) {
    WGUI::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_FONT);
    WGUI::UniqueFont font(CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    {
        WGUI::SelectObjectGuard select(dc.get(), font.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
        WGUI::SelectObjectGuard none(dc.get(), nullptr); // a null font selects nothing
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), original);
}
