// A theme read from a text file (see themes/README.md for the format).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>
#include "RefCounted.h"
#include "Theme.h"

class HostTheme final : public RefCounted<ITheme> {
public:
    // Reads the file; lines it cannot use are skipped. False when the file cannot be read.
    bool load(const std::wstring& file);
    // The same from text already in memory; data items are read relative to folder.
    void parse(const std::wstring& text, const std::wstring& folder);
    // The theme built into this library (the shipped dark theme), for a host whose theme
    // files are missing: without any theme the grids refuse their headers.
    bool loadBuiltIn();

    XStringW getName() const override { return XStringW(name_.c_str()); }
    bool getColor(const char* key, COLORREF& colour) override;
    bool getFont(const char* key, FontInfo& font) override;
    int getInt(const char* key) override;
    bool getData(const char* key, const unsigned char** bytes, int* size, int flags) override;

    bool isDefault() const { return default_; }

private:
    struct Font {
        std::wstring face;
        int size = 0;
        bool italic = false, bold = false, underline = false;
    };

    // Reads the bytes a [data] entry names; false when there are none.
    using DataReader = std::function<bool(const std::wstring& name, std::vector<unsigned char>& bytes)>;

    void parse(const std::wstring& text, const DataReader& readData);
    void setEntry(const std::string& section, const std::string& key, const std::wstring& value,
                  const DataReader& readData);

    std::wstring name_;
    bool default_ = false;
    std::map<std::string, COLORREF> colours_;
    std::map<std::string, int> ints_;
    std::map<std::string, Font> fonts_;
    std::map<std::string, std::vector<unsigned char>> data_;
};
