#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <thread>
#include "tests/wgui/TestWindows.h"
#include "wgui/DateTimePicker.h"
#include "wgui/DropDownButton.h"
#include "wgui/Edit.h"
#include "wgui/FileDialog.h"
#include "wgui/GdiHandles.h"
#include "wgui/TextEdit.h"

using wguitest::HostWindow;

namespace {

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

void initCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
}

// True when any pixel of the rectangle differs from the reference colour.
bool anyPixelDiffers(HDC dc, int left, int top, int right, int bottom, COLORREF reference) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (GetPixel(dc, x, y) != reference)
                return true;
    return false;
}

} // namespace

TEST(ControlsTest, PlainWrappersSendTheirMessages) {
    initCommonControls();
    HostWindow host;
    WGUI::Edit edit;
    ASSERT_TRUE(edit.create(WS_CHILD | WS_VISIBLE, 0, L"Edit", L"", RECT{0, 0, 100, 20}, host.hwnd, 1,
                            instance(), nullptr));
    edit.limitText(12);
    EXPECT_EQ(edit.sendMessage(EM_GETLIMITTEXT), 12);

    WGUI::DateTimePicker picker;
    ASSERT_TRUE(picker.create(WS_CHILD | WS_VISIBLE, 0, DATETIMEPICK_CLASSW, L"", RECT{0, 30, 150, 55},
                              host.hwnd, 2, instance(), nullptr));
    EXPECT_TRUE(picker.setFormat(L"yyyy-MM-dd"));
    SYSTEMTIME chosen{};
    chosen.wYear = 2020;
    chosen.wMonth = 2;
    chosen.wDay = 29;
    EXPECT_TRUE(picker.setTime(chosen));
    SYSTEMTIME read{};
    EXPECT_EQ(picker.sendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&read)), GDT_VALID);
    EXPECT_EQ(read.wYear, 2020);
    EXPECT_EQ(read.wMonth, 2);
    EXPECT_EQ(read.wDay, 29);
}

TEST(ControlsTest, DropDownButtonTooltipFollowsItsText) {
    initCommonControls();
    HostWindow host;
    DropDownButton button;
    ASSERT_TRUE(button.create(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, host.hwnd, 11, instance()));
    EXPECT_EQ(button.textLength(), 0);

    button.refreshTooltip(); // no text yet: no tooltip window
    EXPECT_EQ(button.tooltipWindow(), nullptr);

    button.setTooltipText(L"基金公司");
    button.refreshTooltip();
    HWND tip = button.tooltipWindow();
    ASSERT_TRUE(tip && IsWindow(tip));
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    button.refreshTooltip(); // refreshing replaces the tool instead of adding a second one
    EXPECT_EQ(button.tooltipWindow(), tip);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    button.setTooltipText(L"");
    button.refreshTooltip();
    EXPECT_EQ(button.tooltipWindow(), nullptr);
    EXPECT_FALSE(IsWindow(tip));
}

TEST(ControlsTest, DropDownButtonDrawsItsArrowRowsAndKeepsNoWindowText) {
    initCommonControls();
    HostWindow host;
    DropDownButton button;
    ASSERT_TRUE(button.create(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, host.hwnd, 12, instance()));
    button.setCaption(L"Type");
    button.move(RECT{10, 10, 130, 40});
    button.invalidate(true);
    UpdateWindow(button.hwnd);

    RECT client = button.clientRect();
    const int m = (client.bottom - client.top) / 2;
    const int r = client.right;
    const COLORREF black = RGB(0, 0, 0);
    WGUI::WindowDc dc(button.hwnd);
    ASSERT_TRUE(dc);
    for (int row = 0; row < 5; ++row) {
        int y = m - 1 + row;
        int from = r - 16 + row;
        int to = r - 7 - row; // not included
        for (int x = from; x < to; ++x)
            EXPECT_EQ(GetPixel(dc.get(), x, y), black) << "row " << row << " x " << x;
        EXPECT_NE(GetPixel(dc.get(), from - 1, y), black) << "row " << row;
        EXPECT_NE(GetPixel(dc.get(), to, y), black) << "row " << row;
    }
    // Nothing above or below the five rows.
    for (int x = r - 17; x < r - 5; ++x) {
        EXPECT_NE(GetPixel(dc.get(), x, m - 2), black);
        EXPECT_NE(GetPixel(dc.get(), x, m + 4), black);
    }
    // The caption is painted from 10 pixels in, though the window holds no text.
    EXPECT_EQ(button.textLength(), 0);
    COLORREF face = GetPixel(dc.get(), r - 30, 3);
    EXPECT_TRUE(anyPixelDiffers(dc.get(), 10, 4, 60, client.bottom - 4, face));
    EXPECT_FALSE(anyPixelDiffers(dc.get(), 3, 4, 9, client.bottom - 4, face));
}

namespace {

// Counts the background erasures the edit is asked for.
class CountingTextEdit : public TextEdit {
public:
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (msg == WM_ERASEBKGND)
            ++erasures;
        return TextEdit::onMessage(msg, wParam, lParam, result);
    }
    int erasures = 0;
};

} // namespace

TEST(ControlsTest, TextEditShowsTheHintOnlyWhileEmpty) {
    HostWindow host;
    CountingTextEdit edit;
    EXPECT_STREQ(edit.getHint().c_str(), L"请输入关键字，多个关键字用空格分开");
    edit.setHint(L"Enter keywords separated by blanks");
    ASSERT_TRUE(edit.create(WS_CHILD | WS_VISIBLE, 0, RECT{0, 0, 360, 24}, host.hwnd, 3, instance()));
    UpdateWindow(edit.hwnd);

    auto hintVisible = [&] {
        WGUI::WindowDc dc(edit.hwnd);
        COLORREF background = GetPixel(dc.get(), 355, 20);
        // Right of where a one-letter text ends and inside where the hint runs.
        return anyPixelDiffers(dc.get(), 40, 2, 160, 16, background);
    };
    EXPECT_TRUE(hintVisible());

    // The first character removes the hint.
    edit.sendMessage(WM_CHAR, L'k', 1);
    UpdateWindow(edit.hwnd);
    EXPECT_EQ(edit.textLength(), 1);
    EXPECT_FALSE(hintVisible());
    // Painting a field with text leaves nothing to paint: no repaint loop on the UI thread.
    EXPECT_FALSE(GetUpdateRect(edit.hwnd, nullptr, FALSE));
    // A paint that asked for no erasing is followed by one over an erased ground, and ends.
    InvalidateRect(edit.hwnd, nullptr, FALSE);
    edit.erasures = 0;
    UpdateWindow(edit.hwnd);
    EXPECT_EQ(edit.erasures, 1);
    EXPECT_FALSE(GetUpdateRect(edit.hwnd, nullptr, FALSE));
    EXPECT_FALSE(hintVisible());

    edit.setText(L"");
    UpdateWindow(edit.hwnd);
    EXPECT_TRUE(hintVisible());
    EXPECT_FALSE(GetUpdateRect(edit.hwnd, nullptr, FALSE));
}

namespace {

// Cancels (or confirms) the first common dialog that appears, from a second thread.
class DialogCloser {
public:
    explicit DialogCloser(WPARAM command) {
        worker_ = std::thread([this, command] {
            DWORD start = GetTickCount();
            while (!stop_ && GetTickCount() - start < 60000) {
                HWND dialog = FindWindowW(L"#32770", nullptr);
                if (dialog && IsWindowVisible(dialog)) {
                    PostMessageW(dialog, WM_COMMAND, command, 0);
                    found_ = true;
                    return;
                }
                Sleep(50);
            }
        });
    }
    ~DialogCloser() {
        stop_ = true;
        worker_.join();
    }
    bool found() const { return found_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> found_{false};
    std::thread worker_;
};

const wchar_t kFilter[] = L"CSV (*.csv)\0*.csv\0All files\0*.*\0";

} // namespace

TEST(ControlsTest, FileDialogCancelReturnsTwoAndKeepsTheBuffer) {
    HostWindow host;
    WGUI::FileDialog dialog(instance(), false, L"csv", L"products.csv", OFN_HIDEREADONLY, kFilter, nullptr);
    EXPECT_EQ(dialog.openFileName().lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(dialog.openFileName().Flags & (OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING),
              static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING));
    EXPECT_EQ(dialog.openFileName().lCustData, reinterpret_cast<LPARAM>(&dialog));
    int answer = 0;
    {
        DialogCloser closer(IDCANCEL);
        answer = dialog.choose(host.hwnd);
        EXPECT_TRUE(closer.found());
    }
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_STREQ(dialog.fileName(), L"products.csv");
    EXPECT_EQ(dialog.openFileName().hwndOwner, host.hwnd);
}

TEST(ControlsTest, FileDialogConfirmedReturnsOneWithThePath) {
    HostWindow host;
    WGUI::FileDialog dialog(instance(), false, L"csv", L"products.csv", OFN_HIDEREADONLY, kFilter, host.hwnd);
    int answer = 0;
    {
        DialogCloser closer(IDOK);
        answer = dialog.choose(nullptr);
    }
    EXPECT_EQ(answer, IDOK);
    std::wstring path = dialog.fileName();
    ASSERT_GE(path.size(), 12u);
    EXPECT_EQ(path.substr(path.size() - 12), L"products.csv");
    EXPECT_STREQ(dialog.fileTitle(), L"products.csv");
}
