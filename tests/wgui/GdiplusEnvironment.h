// The host starts GDI+ for the module; test programs that build animated indicators start it
// themselves, once for the whole program.
#pragma once

#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

namespace wguitest {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

} // namespace wguitest
