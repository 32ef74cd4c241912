// A theme for tests: colours, fonts and integers set by the test.
#pragma once

#include <map>
#include <string>
#include <vector>
#include "module/host/Theme.h"

class FakeTheme final : public ITheme {
public:
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    XStringW getName() const override { return L"test"; }
    bool getColor(const char* key, COLORREF& colour) override {
        auto found = colors.find(key);
        if (found == colors.end())
            return false;
        colour = found->second;
        return true;
    }
    bool getFont(const char* key, FontInfo& font) override {
        auto found = fonts.find(key);
        if (found == fonts.end())
            return false;
        font = found->second;
        return true;
    }
    int getInt(const char* key) override {
        auto found = ints.find(key);
        return found == ints.end() ? 0 : found->second;
    }
    bool getData(const char* key, const unsigned char** bytes, int* size, int) override {
        auto found = data.find(key);
        if (found == data.end() || !bytes || !size)
            return false;
        *bytes = found->second.data();
        *size = int(found->second.size());
        return true;
    }

    std::map<std::string, COLORREF> colors;
    std::map<std::string, FontInfo> fonts;
    std::map<std::string, int> ints;
    std::map<std::string, std::vector<unsigned char>> data;

private:
    int refs_ = 0;
};
