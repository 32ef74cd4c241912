#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>
#include <string>
#include "host/kernel/HostServices.h"
#include "module/host/Kernel.h"

namespace {

// Every key the module reads from a theme.
const char* const kColours[] = {"wnd_general_bg",
                                "list_bg",
                                "list_column_bg",
                                "list_border",
                                "list_border_inside",
                                "list_title",
                                "list_scroll_arrow",
                                "list_scroll_button",
                                "list_scroll_face",
                                "list_scroll_darkborder",
                                "list_scroll_lightborder",
                                "list_bg_evenLine",
                                "list_bg_oddLine",
                                "list_sel_bg",
                                "list_sel_text",
                                "list_name",
                                "list_prev_data",
                                "list_type",
                                "list_style",
                                "list_cur_data",
                                "list_melon",
                                "list_status",
                                "list_type2",
                                "list_company",
                                "list_value_zero",
                                "list_value_positive",
                                "list_value_negative",
                                "list_highlight"};
const char* const kFonts[] = {
    "default",           "fntn_font_header",  "fntn_font_name",        "fntn_font_bold",
    "fntn_font_regular", "fntn_font_digital", "fntn_font_digital_bold"};
const char* const kInts[] = {"list_list_row_heihgt", "list_header_row_heihgt"};
const char* const kFlags[] = {"list_horizontal_border", "list_vertical_border"};

std::wstring binFolder() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring tempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"af_theme_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void writeFile(const std::wstring& file, const std::string& bytes) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// Frame count and frame delays of a GIF as GDI+ decodes it (as the page's indicator does).
struct GifFacts {
    bool decoded = false;
    UINT frames = 0;
    UINT width = 0, height = 0;
    bool everyDelaySet = false;
};

GifFacts decodeGif(const unsigned char* bytes, int size) {
    GifFacts facts;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return facts;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(size));
    memcpy(GlobalLock(memory), bytes, size_t(size));
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) == S_OK) {
        Gdiplus::GpImage* image = nullptr;
        if (Gdiplus::DllExports::GdipLoadImageFromStream(stream, &image) == Gdiplus::Ok) {
            facts.decoded = true;
            GUID dimension;
            Gdiplus::DllExports::GdipImageGetFrameDimensionsList(image, &dimension, 1);
            Gdiplus::DllExports::GdipImageGetFrameCount(image, &dimension, &facts.frames);
            Gdiplus::DllExports::GdipGetImageWidth(image, &facts.width);
            Gdiplus::DllExports::GdipGetImageHeight(image, &facts.height);
            UINT propertySize = 0;
            Gdiplus::DllExports::GdipGetPropertyItemSize(image, 0x5100, &propertySize);
            if (propertySize > 0) {
                std::string buffer(propertySize, '\0');
                auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(&buffer[0]);
                if (Gdiplus::DllExports::GdipGetPropertyItem(image, 0x5100, propertySize, item) ==
                    Gdiplus::Ok) {
                    const auto* delays = static_cast<const UINT*>(item->value);
                    UINT count = item->length / sizeof(UINT);
                    facts.everyDelaySet = count == facts.frames;
                    for (UINT i = 0; i < count; ++i)
                        facts.everyDelaySet = facts.everyDelaySet && delays[i] > 0;
                }
            }
            Gdiplus::DllExports::GdipDisposeImage(image);
        }
        stream->Release();
    } else {
        GlobalFree(memory);
    }
    Gdiplus::GdiplusShutdown(token);
    return facts;
}

void expectEveryKey(ITheme* theme) {
    SCOPED_TRACE(theme->getName().toUtf8().c_str());
    for (const char* key : kColours) {
        COLORREF colour = 0xFF000000;
        EXPECT_TRUE(theme->getColor(key, colour)) << key;
        EXPECT_EQ(colour & 0xFF000000, 0u) << key;
    }
    for (const char* key : kFonts) {
        FontInfo font;
        EXPECT_TRUE(theme->getFont(key, font)) << key;
        EXPECT_FALSE(font.faceName.isEmpty()) << key;
        EXPECT_GT(font.size, 0) << key;
    }
    for (const char* key : kInts)
        EXPECT_GT(theme->getInt(key), 0) << key;
    for (const char* key : kFlags)
        EXPECT_NE(theme->getInt(key), 0) << key << " (grid lines on)";
    const unsigned char* bytes = nullptr;
    int size = 0;
    ASSERT_TRUE(theme->getData("refresh", &bytes, &size, 0));
    ASSERT_GT(size, 13);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 6), "GIF89a");
    GifFacts gif = decodeGif(bytes, size);
    EXPECT_TRUE(gif.decoded);
    EXPECT_EQ(gif.frames, 8u);
    EXPECT_EQ(gif.width, 16u);
    EXPECT_EQ(gif.height, 16u);
    EXPECT_TRUE(gif.everyDelaySet);
}

TEST(ShippedThemes, DefineEveryKeyTheModuleReads) {
    XComPtr<IThemeMgr> manager = createThemeManager((binFolder() + L"themes").c_str());
    ASSERT_EQ(manager->themeCount(), 2);
    EXPECT_FALSE(themeManagerUsesBuiltIn(manager));
    XComPtr<ITheme> current = manager->getCurrentTheme();
    ASSERT_TRUE(current);
    EXPECT_STREQ(current->getName().c_str(), L"dark") << "the dark theme is the default";
    for (int t = 0; t < manager->themeCount(); ++t)
        expectEveryKey(manager->getTheme(t));
}

// Without theme files the grids would refuse every header: the manager always has a theme.
TEST(BuiltInTheme, StandsInWhenNoThemeFileCanBeRead) {
    std::wstring empty = tempFolder() + L"\\empty";
    CreateDirectoryW(empty.c_str(), nullptr);
    for (const std::wstring& folder : {empty, empty + L"\\gone", std::wstring()}) {
        SCOPED_TRACE(XStringW(folder.c_str()).toUtf8().c_str());
        XComPtr<IThemeMgr> manager = createThemeManager(folder.c_str());
        ASSERT_EQ(manager->themeCount(), 1);
        EXPECT_TRUE(themeManagerUsesBuiltIn(manager));
        XComPtr<ITheme> theme = manager->getCurrentTheme();
        ASSERT_TRUE(theme);
        EXPECT_STREQ(theme->getName().c_str(), L"dark");
        expectEveryKey(theme.get());
        COLORREF colour = 0;
        EXPECT_TRUE(theme->getColor("list_bg", colour));
        EXPECT_EQ(colour, RGB(0x14, 0x14, 0x14)) << "the shipped dark theme's colours";
    }
    RemoveDirectoryW(empty.c_str());
    RemoveDirectoryW(tempFolder().c_str());
}

void onThemeChanged(void* argument, void* context) {
    *static_cast<ITheme**>(context) = static_cast<ITheme*>(argument);
}

TEST(ShippedThemes, SwitchingRaisesTheThemeEvent) {
    XComPtr<IThemeMgr> manager = createThemeManager((binFolder() + L"themes").c_str());
    ITheme* raised = nullptr;
    XComPtr<IEvent> event = createEvent("event_theme_changed");
    ASSERT_TRUE(event->subscribe(onThemeChanged, &raised));
    EXPECT_FALSE(manager->setCurrentTheme(L"sepia"));
    EXPECT_TRUE(manager->setCurrentTheme(L"dark"));
    EXPECT_EQ(raised, nullptr) << "already current: no event";
    EXPECT_TRUE(manager->setCurrentTheme(L"LIGHT"));
    ASSERT_NE(raised, nullptr);
    EXPECT_STREQ(raised->getName().c_str(), L"light");
    EXPECT_EQ(raised, manager->getCurrentTheme().get());
    event->unsubscribe(onThemeChanged, &raised);
}

TEST(ThemeFile, MissingKeysAndBadLinesAreHarmless) {
    std::wstring folder = tempFolder();
    writeFile(folder + L"\\b.theme", "# only here to be listed second\n[colors]\nlist_bg = #000000\n");
    writeFile(folder + L"\\a.theme",
              "\xEF\xBB\xBF[theme]\r\nname = 测试\r\n"
              "[colors]\r\nlist_bg = #102030\r\nlist_title = red\r\nno equals sign\r\nlist_BG_evenline = "
              "#ABCDEF\r\n"
              "[ints]\r\nlist_list_row_heihgt = 30\r\nlist_header_row_heihgt = 3x\r\n"
              "[fonts]\r\ndefault = Tahoma, 11, bold, italic\r\nfntn_font_name = A\"B & C, 9\r\n"
              "fntn_font_bold = Tahoma\r\nfntn_font_regular = Tahoma, 9, wide\r\n"
              "[data]\r\nrefresh = ..\\outside.gif\r\nmissing = nothing.gif\r\n"
              "[nonsense\r\nlist_sel_bg = #FFFFFF\r\n");
    XComPtr<IThemeMgr> manager = createThemeManager(folder.c_str());
    ASSERT_EQ(manager->themeCount(), 2);
    XComPtr<ITheme> theme = manager->getCurrentTheme();
    EXPECT_STREQ(theme->getName().c_str(), L"测试") << "no theme is marked default: the first file";
    EXPECT_STREQ(manager->getTheme(1)->getName().c_str(), L"b") << "no name: the file name";

    COLORREF colour = 0x123456;
    EXPECT_TRUE(theme->getColor("list_bg", colour));
    EXPECT_EQ(colour, RGB(0x10, 0x20, 0x30));
    EXPECT_TRUE(theme->getColor("list_bg_evenLine", colour)) << "keys are matched without case";
    EXPECT_EQ(colour, RGB(0xAB, 0xCD, 0xEF));
    colour = 0x123456;
    EXPECT_FALSE(theme->getColor("list_title", colour));
    EXPECT_FALSE(theme->getColor("list_sel_bg", colour)) << "lines after a broken section header";
    EXPECT_FALSE(theme->getColor("wnd_general_bg", colour));
    EXPECT_EQ(colour, 0x123456u) << "a missing colour leaves the target unchanged";

    EXPECT_EQ(theme->getInt("list_list_row_heihgt"), 30);
    EXPECT_EQ(theme->getInt("list_header_row_heihgt"), 0);
    EXPECT_EQ(theme->getInt("no_such_key"), 0);

    FontInfo font;
    ASSERT_TRUE(theme->getFont("default", font));
    EXPECT_STREQ(font.faceName.c_str(), L"Tahoma");
    EXPECT_EQ(font.size, 11);
    EXPECT_EQ(font.bold, 1);
    EXPECT_EQ(font.italic, 1);
    EXPECT_EQ(font.underline, 0);
    EXPECT_STREQ(font.attributes.c_str(),
                 L"font-family=\"Tahoma\" font-size=\"11\" font-style=\"bold italic\"");
    ASSERT_TRUE(theme->getFont("fntn_font_name", font));
    EXPECT_STREQ(font.attributes.c_str(),
                 L"font-family=\"A&quot;B &amp; C\" font-size=\"9\" font-style=\"normal\"");
    EXPECT_FALSE(theme->getFont("fntn_font_bold", font)) << "no size";
    EXPECT_FALSE(theme->getFont("fntn_font_regular", font)) << "unknown style word";

    const unsigned char* bytes = nullptr;
    int size = -1;
    EXPECT_FALSE(theme->getData("refresh", &bytes, &size, 0)) << "no reading outside the theme folder";
    EXPECT_FALSE(theme->getData("missing", &bytes, &size, 0));
    EXPECT_EQ(size, -1);

    manager = nullptr;
    theme = nullptr;
    DeleteFileW((folder + L"\\a.theme").c_str());
    DeleteFileW((folder + L"\\b.theme").c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
