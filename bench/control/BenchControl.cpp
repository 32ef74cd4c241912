// One full paint of a 1600x900 grid (about 40 rows of 18 columns) against the floor of drawing
// the same texts with ExtTextOutW into a memory DC, measured in the same run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "DataGrid.h"
#include "bench/BenchReport.h"

namespace {
const int kColumns = 18;
const int kWidth = 1600, kHeight = 900;
const int kRowHeight = 20;
const int kRounds = 7;
const int kRunsPerRound = 9;

const wchar_t* const kNames[] = {L"华夏成长混合",       L"易方达稳健收益债券A", L"南方现金增利",
                                 L"嘉实沪深300ETF联接", L"广发聚丰混合",        L"博时主题行业",
                                 L"招商安泰偏股"};

std::wstring cellText(int row, int column) {
    wchar_t buf[64];
    switch (column % 6) {
    case 0:
        swprintf(buf, 64, L"%06d", 100000 + row * 7);
        break;
    case 1:
        return kNames[row % 7];
    case 2:
        swprintf(buf, 64, L"%.4f", 1.0 + (row * 37 % 1000) / 997.0);
        break;
    case 3:
        swprintf(buf, 64, L"%.2f%%", ((row * 53) % 400 - 200) / 100.0);
        break;
    case 4:
        return row % 3 ? L"开放申购" : L"暂停申购";
    default:
        swprintf(buf, 64, L"2024-%02d-%02d", 1 + row % 12, 1 + row % 28);
        break;
    }
    return buf;
}

class BenchGrid final : public DataGridEx {
public:
    std::vector<std::vector<XStringW>> texts;
    int GetRowsCount() override { return int(texts.size()); }
    void GetItemText(int row, const HeaderInfo2& column, XStringW& text) override {
        text = texts[row][column.index];
    }
    void GetRowBkColor(int row, bool selected, COLORREF& color) override {
        color = selected ? RGB(40, 60, 110) : (row % 2 ? RGB(20, 20, 20) : RGB(8, 8, 8));
    }
    void GetItemColor(int, const HeaderInfo2& column, const XStringW& text, COLORREF& color) override {
        if (column.index % 6 == 3)
            color = text[0] == L'-' ? RGB(0, 200, 0) : RGB(255, 60, 60);
    }
};

using bench::fastest;
using bench::nowMs;
} // namespace

int wmain(int argc, wchar_t** argv) {
    // The face both sides draw with; Chinese texts need a face that has them.
    const wchar_t* face = argc > 1 ? argv[1] : L"WenQuanYi Micro Hei";
    CoInitialize(nullptr);
    BenchGrid grid;
    std::wstring header = L"<header>";
    for (int c = 0; c < kColumns; ++c)
        header += L"<item title=\"列" + std::to_wstring(c) + L"\" name=\"c" + std::to_wstring(c) +
                  L"\" width=\"86\" align=\"" + (c % 6 == 1 ? L"left" : L"right") + L"\"/>";
    header += L"</header>";
    for (int r = 0; r < 2000; ++r) {
        std::vector<XStringW> row;
        for (int c = 0; c < kColumns; ++c)
            row.push_back(cellText(r, c).c_str());
        grid.texts.push_back(row);
    }
    if (!grid.Create(nullptr, XRect(0, 0, kWidth, kHeight), WS_POPUP, 0, 0) ||
        !grid.SetHeader(header.c_str())) {
        std::printf("grid could not be created\n");
        return 1;
    }
    grid.SetHeaderFont(face, 9);
    grid.SetRowHight(kRowHeight);
    grid.SetHeaderRowHight(23);
    grid.SetCurrSel(5);

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    LOGFONTW lf = {};
    lf.lfHeight = -12;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);

    // Warm both paths: fonts, glyph caches, the grid's measurements.
    grid.Render(mem);
    int rows = (kHeight - 2 - 23) / kRowHeight + 1;
    std::vector<double> floorTimes, gridTimes;
    long long cells = 0;
    // The two take turns run by run; each round's ratio compares the fastest of its runs.
    for (int round = 0; round < kRounds; ++round) {
        std::vector<double> roundFloor, roundGrid;
        for (int run = 0; run < kRunsPerRound; ++run) {
            double t0 = nowMs();
            HGDIOBJ oldFont = SelectObject(mem, font);
            SetBkMode(mem, TRANSPARENT);
            cells = 0;
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < kColumns; ++c) {
                    RECT rc = {1 + c * 86, 24 + r * kRowHeight, 1 + (c + 1) * 86, 24 + (r + 1) * kRowHeight};
                    const XStringW& t = grid.texts[r][c];
                    ExtTextOutW(mem, rc.left + 4, rc.top + 3, ETO_CLIPPED, &rc, t.c_str(), t.length(),
                                nullptr);
                    ++cells;
                }
            }
            SelectObject(mem, oldFont);
            GdiFlush();
            double t1 = nowMs();
            grid.Render(mem);
            GdiFlush();
            double t2 = nowMs();
            roundFloor.push_back(t1 - t0);
            roundGrid.push_back(t2 - t1);
        }
        bench::result("full paint 1600 x 900", "ExtTextOutW of the same texts", 1.2,
                      fastest(roundGrid) / fastest(roundFloor));
        floorTimes.insert(floorTimes.end(), roundFloor.begin(), roundFloor.end());
        gridTimes.insert(gridTimes.end(), roundGrid.begin(), roundGrid.end());
    }
    double f = fastest(floorTimes), g = fastest(gridTimes);
    std::printf("%ls: ", face);
    std::printf("grid paint %dx%d, %d columns, %lld cells: ExtTextOutW floor %.3f ms, grid paint %.3f ms, "
                "ratio %.2f\n",
                kWidth, kHeight, kColumns, cells, f, g, g / f);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteObject(font);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return 0;
}
