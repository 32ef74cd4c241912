// The grid control's table of virtual operations, slot by slot. Grids in other modules are built
// against this order; both sides compiling from one header would hide a reordering, so the
// expected slots are written out here as numbers.
#include <gtest/gtest.h>

#include "DataGrid.h"
#include "tests/control/VirtualSlot.h"

using layouttest::slotOf;

TEST(VirtualSlots, WindowBaseInContractOrder) {
    EXPECT_EQ(slotOf(static_cast<HWND (XWin::*)(HWND, const XRect&, UINT)>(&XWin::Create)), 0);
    EXPECT_EQ(slotOf(static_cast<HWND (XWin::*)(HWND, const XRect&, DWORD, DWORD, UINT)>(&XWin::Create)), 1);
    EXPECT_EQ(
        slotOf(static_cast<HWND (XWin::*)(HWND, int, int, int, int, DWORD, DWORD, UINT)>(&XWin::Create)), 2);
    EXPECT_EQ(slotOf(&XWin::Attach), 3);
    EXPECT_EQ(slotOf(&XWin::Detach), 4);
    EXPECT_EQ(slotOf(&XWin::WndProc), 5);
    EXPECT_EQ(slotOf(&XWin::ShowWindow), 6);
    EXPECT_EQ(slotOf(&XWin::SetFocus), 7);
    EXPECT_EQ(slotOf(static_cast<bool (XWin::*)(const XRect&, bool)>(&XWin::MoveWindow)), 8);
    EXPECT_EQ(slotOf(static_cast<bool (XWin::*)(int, int, int, int, bool)>(&XWin::MoveWindow)), 9);
    EXPECT_EQ(slotOf(&XWin::GetWindowRect), 10);
    EXPECT_EQ(slotOf(&XWin::GetClientRect), 11);
    EXPECT_EQ(slotOf(&XWin::ScreenToClient), 12);
    EXPECT_EQ(slotOf(&XWin::ClientToScreen), 13);
    EXPECT_EQ(slotOf(&XWin::Invalidate), 14);
    EXPECT_EQ(slotOf(&XWin::InvalidateRect), 15);
}

TEST(VirtualSlots, DataGridAppendsInContractOrder) {
    // Overrides keep the slot of the operation they override.
    EXPECT_EQ(slotOf(&XDataGrid::WndProc), 5);
    EXPECT_EQ(slotOf(&DataGridEx::WndProc), 5);

    EXPECT_EQ(slotOf(&XDataGrid::Render), 16);
    EXPECT_EQ(slotOf(&XDataGrid::DrawHeader), 17);
    EXPECT_EQ(slotOf(&XDataGrid::DrawHeaderItem), 18);
    EXPECT_EQ(slotOf(&XDataGrid::DrawHeaderBorder), 19);
    EXPECT_EQ(slotOf(&XDataGrid::DrawHeaderBackgound), 20);
    EXPECT_EQ(slotOf(&XDataGrid::DrawHeaderText), 21);
    EXPECT_EQ(slotOf(&XDataGrid::DrawHeaderSort), 22);
    EXPECT_EQ(slotOf(&XDataGrid::DrawBackground), 23);
    EXPECT_EQ(slotOf(&XDataGrid::DrawBorder), 24);
    EXPECT_EQ(slotOf(&XDataGrid::DrawCheckBox), 25);
    EXPECT_EQ(slotOf(&XDataGrid::DrawContent), 26);
    EXPECT_EQ(slotOf(&XDataGrid::DrawRowQuick), 27);
    EXPECT_EQ(slotOf(&XDataGrid::DrawRow), 28);
    EXPECT_EQ(slotOf(&XDataGrid::DrawItem), 29);
    EXPECT_EQ(slotOf(static_cast<void (XDataGrid::*)(HDC)>(&XDataGrid::DrawScrollBar)), 30);
    EXPECT_EQ(slotOf(static_cast<void (XDataGrid::*)(HDC, bool, const XRect&)>(&XDataGrid::DrawScrollBar)),
              31);
    EXPECT_EQ(slotOf(&XDataGrid::DrawScrollBarButton), 32);
    EXPECT_EQ(slotOf(&XDataGrid::GetRowsCount), 33);
    EXPECT_EQ(slotOf(&XDataGrid::GetCheckStatus), 34);
    EXPECT_EQ(slotOf(&XDataGrid::SetCheckStatus), 35);
    EXPECT_EQ(slotOf(&XDataGrid::GetRowBkColor), 36);
    EXPECT_EQ(slotOf(&XDataGrid::GetItemColor), 37);
    EXPECT_EQ(slotOf(&XDataGrid::GetItemText), 38);
    EXPECT_EQ(slotOf(&XDataGrid::sort), 39);
    EXPECT_EQ(slotOf(&XDataGrid::OnContextMenu), 40);
    EXPECT_EQ(slotOf(&XDataGrid::OnHeaderChange), 41);
    EXPECT_EQ(slotOf(&XDataGrid::OnResetHeader), 42);
    EXPECT_EQ(slotOf(&XDataGrid::OnEnterItem), 43);
    EXPECT_EQ(slotOf(static_cast<XStringW (XDataGrid::*)(int)>(&XDataGrid::DragItemToString)), 44);
    EXPECT_EQ(
        slotOf(static_cast<XStringW (XDataGrid::*)(int, const HeaderInfo2&)>(&XDataGrid::DragItemToString)),
        45);
    // Non-virtual operations are no slot at all.
    EXPECT_EQ(slotOf(&XDataGrid::Refresh), -1);
}
