// Renders a sample grid (dark theme, two grouped date columns, a sort indicator, a selected row,
// a cut text) into a PNG: grid_to_png.exe <out.png> [width height].
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DataGrid.h"

namespace {
const wchar_t kHeader[] =
    L"<header>"
    L"<item title=\"序号\" name=\"_index\" width=\"40\" align=\"center\" font-family=\"Microsoft YaHei\" "
    L"font-size=\"9\" font-style=\"bold\"/>"
    L"<item title=\"代码\" name=\"aliascode\" width=\"64\" align=\"center\"/>"
    L"<item title=\"名称\" name=\"name\" width=\"120\" align=\"left\"/>"
    L"<item title=\"2024-06-28\" align=\"center\">"
    L"<item title=\"单位净值\" name=\"value\" width=\"70\" align=\"right\" font-style=\"bold\"/>"
    L"<item title=\"累计净值\" name=\"totalvalue\" width=\"70\" align=\"right\" font-style=\"bold\"/>"
    L"</item>"
    L"<item title=\"2024-06-21\" align=\"center\">"
    L"<item title=\"单位净值\" name=\"previousvalue\" width=\"70\" align=\"right\"/>"
    L"<item title=\"累计净值\" name=\"previoustotalvalue\" width=\"70\" align=\"right\"/>"
    L"</item>"
    L"<item title=\"增长值\" name=\"updown\" width=\"64\" align=\"right\"/>"
    L"<item title=\"增长率\" name=\"percent\" width=\"64\" align=\"right\" sort=\"desc\"/>"
    L"<item title=\"申购\" name=\"buystate\" width=\"64\" align=\"center\"/>"
    L"<item title=\"管理人\" name=\"company\" width=\"110\" align=\"left\"/>"
    L"</header>";

struct Product {
    const wchar_t* code;
    const wchar_t* name;
    double value, total, prev, prevTotal;
    const wchar_t* buy;
    const wchar_t* company;
};

const Product kProducts[] = {
    {L"A10001", L"稳健增利一号", 1.2345, 1.5345, 1.2101, 1.5101, L"开放", L"华泰证券资产管理有限公司"},
    {L"A10002", L"双季红集合资产管理计划", 1.0812, 1.2012, 1.0840, 1.2040, L"开放", L"国泰君安资管"},
    {L"A10003", L"现金添利", 1.0003, 1.0803, 1.0003, 1.0803, L"暂停", L"招商资管"},
    {L"A10004", L"量化对冲三号", 0.9620, 0.9620, 0.9711, 0.9711, L"开放", L"中信证券"},
    {L"A10005", L"东方红睿丰", 2.3456, 2.8456, 2.2988, 2.7988, L"开放", L"东方证券资产管理"},
    {L"A10006", L"光大阳光集结号", 1.4410, 1.6410, 1.4410, 1.6410, L"暂停", L"光大资管"},
    {L"A10007", L"广发金管家理财", 1.1102, 1.3302, 1.0975, 1.3175, L"开放", L"广发证券资产管理"},
    {L"A10008", L"银河水星一号", 0.8875, 1.0875, 0.9015, 1.1015, L"开放", L"银河金汇"},
};
const int kProductCount = sizeof(kProducts) / sizeof(kProducts[0]);

class SampleGrid final : public DataGridEx {
public:
    int GetRowsCount() override { return 24; }
    void GetItemText(int row, const HeaderInfo2& column, XStringW& text) override {
        const Product& p = kProducts[row % kProductCount];
        const XStringW& n = column.name;
        double growth = p.value - p.prev;
        if (n == L"_index")
            text = XStringW::format(L"%d", row + 1);
        else if (n == L"aliascode")
            text = p.code;
        else if (n == L"name")
            text = p.name;
        else if (n == L"value")
            text = XStringW::format(L"%.4f", p.value);
        else if (n == L"totalvalue")
            text = XStringW::format(L"%.4f", p.total);
        else if (n == L"previousvalue")
            text = XStringW::format(L"%.4f", p.prev);
        else if (n == L"previoustotalvalue")
            text = XStringW::format(L"%.4f", p.prevTotal);
        else if (n == L"updown")
            text = XStringW::format(L"%.4f", growth);
        else if (n == L"percent")
            text = XStringW::format(L"%.2f%%", growth / p.prev * 100);
        else if (n == L"buystate")
            text = p.buy;
        else if (n == L"company")
            text = p.company;
    }
    void GetItemColor(int row, const HeaderInfo2& column, const XStringW& text, COLORREF& color) override {
        (void)row;
        const XStringW& n = column.name;
        if (n == L"updown" || n == L"percent")
            color = text[0] == L'-' ? RGB(0, 204, 0)
                                    : (text.toDouble() == 0 ? RGB(200, 200, 200) : RGB(255, 60, 60));
        else if (n == L"name" || n == L"aliascode")
            color = RGB(255, 255, 0);
        else if (n == L"company")
            color = RGB(120, 180, 255);
        else
            color = RGB(220, 220, 220);
    }
    // The sample is shown sorted as the definition says.
    bool sort(const XStringW&, bool) override { return true; }
    void GetRowBkColor(int row, bool selected, COLORREF& color) override {
        color = selected ? RGB(38, 60, 110) : (row % 2 ? RGB(20, 20, 24) : RGB(8, 8, 10));
    }
};

int encoderClsid(const wchar_t* mime, CLSID* clsid) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0)
        return -1;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, mime) == 0) {
            *clsid = codecs[i].Clsid;
            return int(i);
        }
    }
    return -1;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: grid_to_png <out.png> [width height]\n");
        return 2;
    }
    int width = argc >= 4 ? _wtoi(argv[2]) : 900;
    int height = argc >= 4 ? _wtoi(argv[3]) : 420;
    CoInitialize(nullptr);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int rc = 1;
    {
        SampleGrid grid;
        if (grid.Create(nullptr, XRect(0, 0, width, height), WS_POPUP, 0, 0) && grid.SetHeader(kHeader)) {
            grid.SetBkColor(RGB(0, 0, 0));
            grid.SetHeaderBkColor(RGB(36, 36, 40));
            grid.SetBdColor(RGB(80, 80, 90));
            grid.SetGridColor(RGB(48, 48, 56));
            grid.SetHeaderColor(RGB(230, 230, 230));
            grid.SetScrollArrowColor(RGB(200, 200, 200));
            grid.SetScrollButtonColor(RGB(70, 70, 78));
            grid.SetScrollFaceColor(RGB(28, 28, 32));
            grid.SetScrollDarkColor(RGB(20, 20, 20));
            grid.SetScrollLightColor(RGB(110, 110, 120));
            grid.SetHeaderFont(L"Microsoft YaHei", 9);
            grid.SetDrawGridLine(true, true);
            grid.SetHeaderRowHight(23);
            grid.SetRowHight(23);
            grid.SetCurrSel(2);
            HDC screen = GetDC(nullptr);
            HDC mem = CreateCompatibleDC(screen);
            HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
            HGDIOBJ old = SelectObject(mem, bitmap);
            grid.Render(mem);
            SelectObject(mem, old);
            {
                Gdiplus::Bitmap image(bitmap, nullptr);
                CLSID png;
                if (encoderClsid(L"image/png", &png) >= 0 &&
                    image.Save(argv[1], &png, nullptr) == Gdiplus::Ok)
                    rc = 0;
            }
            DeleteObject(bitmap);
            DeleteDC(mem);
            ReleaseDC(nullptr, screen);
        }
    }
    Gdiplus::GdiplusShutdown(token);
    CoUninitialize();
    if (rc != 0)
        std::fprintf(stderr, "grid_to_png: rendering or saving failed\n");
    return rc;
}
