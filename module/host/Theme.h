// Themes: colours, fonts, sizes and data items by narrow ASCII key.
#pragma once

#include <windows.h>
#include "XComPtr.h"
#include "XString.h"
#include "XUnknown.h"

struct FontInfo {
    XStringW faceName;
    int size = 0;
    int italic = 0;
    int bold = 0;
    int underline = 0;
    // The same font as header attributes: font-family="…" font-size="…" font-style="…".
    XStringW attributes;
};

class ITheme : public IXUnknown {
public:
    virtual XStringW getName() const = 0;
    // Writes colour and returns true when the theme has the key; otherwise leaves it unchanged.
    virtual bool getColor(const char* key, COLORREF& colour) = 0;
    virtual bool getFont(const char* key, FontInfo& font) = 0;
    // 0 for a missing key.
    virtual int getInt(const char* key) = 0;
    // Bytes owned by the theme, valid while the theme lives. False for a missing key.
    virtual bool getData(const char* key, const unsigned char** bytes, int* size, int flags) = 0;

protected:
    ~ITheme() = default;
};

class IThemeMgr : public IXUnknown {
public:
    virtual XComPtr<ITheme> getCurrentTheme() = 0;
    virtual int themeCount() const = 0;
    virtual XComPtr<ITheme> getTheme(int index) = 0;
    virtual bool setCurrentTheme(const wchar_t* name) = 0;

protected:
    ~IThemeMgr() = default;
};
