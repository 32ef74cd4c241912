// Renders the client's own windows into PNG files, for documentation and review:
//   client_png chart --database DB --code CODE --out FILE.png [--theme NAME] [--size WxH]
//                    [--date YYYY-MM-DD] [--hover YYYY-MM-DD] [--range 1M|3M|6M|YTD|1Y|3Y|ALL]
//                    [--percent yes] [--compare CODE,CODE,...]
//   client_png pool --database DB --codes CODE,CODE,... --out FILE.png [--size WxH] [--sort N[-]]
// The chart is drawn off screen exactly as the chart window paints it; --date stands for the
// page's picked date, --hover puts the crosshair on that day, --compare adds products to compare
// (in percent mode). The pool is a real funds pool
// window over an in-memory list, copied from the screen once it has painted.
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <cstdio>
#include <map>
#include <string>
#include "ChartData.h"
#include "ChartPainter.h"
#include "ChartView.h"
#include "ClientServices.h"
#include "HostDatabase.h"
#include "HostModules.h"
#include "HostServices.h"
#include "Screenshot.h"

using namespace Client;

namespace {

int fail(const std::wstring& message) {
    fwprintf(stderr, L"client_png: %ls\n", message.c_str());
    return 1;
}

void pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

std::vector<std::wstring> splitCodes(const std::wstring& codes) {
    std::vector<std::wstring> out;
    for (size_t start = 0; start <= codes.size();) {
        size_t comma = codes.find(L',', start);
        if (comma == std::wstring::npos)
            comma = codes.size();
        if (comma > start)
            out.push_back(codes.substr(start, comma - start));
        start = comma + 1;
    }
    return out;
}

int renderChart(std::map<std::wstring, std::wstring>& a, IDatabase* db, int width, int height) {
    XComPtr<IThemeMgr> themes = createThemeManager((programDirectory() + L"\\themes").c_str());
    if (!a[L"--theme"].empty() && !themes->setCurrentTheme(a[L"--theme"].c_str()))
        return fail(L"no theme " + a[L"--theme"]);
    XComPtr<ITheme> theme = themes->getCurrentTheme();
    ChartView view;
    FigureRange range = FigureRange::All;
    if (!a[L"--range"].empty() && !parseRangeKey(a[L"--range"], range))
        return fail(L"--range wants 1M, 3M, 6M, YTD, 1Y, 3Y or ALL");
    view.setRange(range);
    view.choosePercent(a[L"--percent"] == L"yes");
    view.setProduct(loadChartData(db, a[L"--code"], a[L"--date"]));
    for (const std::wstring& code : splitCodes(a[L"--compare"]))
        if (!view.addProduct(loadChartData(db, code, a[L"--date"])))
            return fail(L"too many products to compare");
    const ChartData& data = view.main().data;
    int hover = -1;
    for (size_t i = 0; i < data.points.size(); ++i)
        if (data.points[i].date == a[L"--hover"])
            hover = static_cast<int>(i);
    UniqueFont font(createChartFont(theme.get()));
    std::wstring error;
    if (!renderChartPng(view, chartColors(theme.get()), width, height, hover, font.get(), a[L"--out"], error))
        return fail(error);
    wprintf(L"%ls: %zu days, %zu dividends, end %ls, begin %ls%ls%ls\n", data.code.c_str(),
            data.points.size(), data.dividends.size(), data.endDate.empty() ? L"-" : data.endDate.c_str(),
            data.beginDate.empty() ? L"-" : data.beginDate.c_str(), data.message.empty() ? L"" : L", ",
            data.message.c_str());
    return 0;
}

int renderPool(std::map<std::wstring, std::wstring>& a, IDatabase* db, int width, int height) {
    XComPtr<Conf::IConfManager> store = createConfManager(nullptr, L"/Client2/UserConfig/");
    XComPtr<FundsPoolModule> pool(new FundsPoolModule(store.get()));
    pool->setDatabase(db);
    for (const std::wstring& code : splitCodes(a[L"--codes"]))
        pool->addFund(code.c_str());
    if (!pool->showWindow(nullptr))
        return fail(L"cannot open the funds pool window");
    HWND w = pool->window().hwnd();
    SetWindowPos(w, HWND_TOP, 20, 20, width, height, SWP_SHOWWINDOW);
    // --sort COLUMN[-]: sorted by that column (0 code ... 7 今年以来), "-" descending.
    if (!a[L"--sort"].empty())
        pool->window().sortBy(_wtoi(a[L"--sort"].c_str()), a[L"--sort"].back() != L'-');
    ListView_SetItemState(pool->window().listView(), 1, LVIS_SELECTED, LVIS_SELECTED);
    pump(600);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pump(200);
    std::wstring error;
    if (!saveWindowPng(w, a[L"--out"], error))
        return fail(error);
    wprintf(L"funds pool: %zu products\n", pool->window().rows().size());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || (std::wstring(argv[1]) != L"chart" && std::wstring(argv[1]) != L"pool"))
        return fail(L"usage: client_png chart|pool --database DB (--code CODE | --codes A,B) --out FILE.png");
    std::map<std::wstring, std::wstring> a;
    for (int i = 2; i + 1 < argc; i += 2)
        a[argv[i]] = argv[i + 1];
    if (a[L"--database"].empty() || a[L"--out"].empty())
        return fail(L"--database and --out are needed");
    int width = 900, height = 600;
    if (!a[L"--size"].empty() && swscanf(a[L"--size"].c_str(), L"%dx%d", &width, &height) != 2)
        return fail(L"--size wants WxH");
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int rc;
    {
        XComPtr<IDatabase> db = openDatabase(a[L"--database"].c_str(), kDefaultBusyTimeoutMs);
        if (!db || !db->isOpen())
            rc = fail(L"cannot open " + a[L"--database"]);
        else if (std::wstring(argv[1]) == L"chart")
            rc = renderChart(a, db.get(), width, height);
        else
            rc = renderPool(a, db.get(), width, height);
    }
    Gdiplus::GdiplusShutdown(token);
    return rc;
}
