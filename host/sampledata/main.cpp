// sampledata.exe: writes a sample database for the client. The client runs it on first start
// when its database is missing.
#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>
#include "SampleDataFiles.h"
#include "SampleFile.h"

namespace {

const char kUsage[] =
    "usage: sampledata.exe --out FILE [--files DIR] [--seed N] [--products N] [--days N]\n"
    "                      [--end YYYY-MM-DD] [--high-values N]\n"
    "       sampledata.exe --files DIR [options]   (the data files only)\n"
    "       sampledata.exe FILE       (the database with every default)\n"
    "\n"
    "Writes a new sample product database to FILE, replacing any file there in one step\n"
    "(the rows go to a temporary file in the same folder first). The same options always\n"
    "give the same database.\n"
    "\n"
    "  --out FILE        the database file to write\n"
    "  --files DIR       also write the data as the files the client imports:\n"
    "                    DIR\\products.csv and DIR\\values.csv (see docs/client.md)\n"
    "  --seed N          random seed (default 1)\n"
    "  --products N      collective wealth-management products, 20 to 90000 (default 300);\n"
    "                    products of other types come on top, a third as many\n"
    "  --days N          valuation dates, weekends and market holidays skipped (default 750)\n"
    "  --end DATE        the latest valuation date is the last one not after DATE\n"
    "                    (default 2026-11-30)\n"
    "  --high-values N   N of the collective products (after the first 17) issued at 10 or 100\n"
    "                    a unit in turn, so that some net values are 10 or more (default 0)\n"
    "\n"
    "Exit status: 0 written, 1 writing failed (FILE unchanged), 2 bad command line.\n";

bool parseNumber(const wchar_t* text, long long minimum, long long maximum, long long& out) {
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(text, &end, 10);
    if (errno || !end || *end || end == text || value < minimum || value > maximum)
        return false;
    out = value;
    return true;
}

int run(int argc, wchar_t** argv) {
    std::wstring out, files;
    SampleOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring flag = argv[i];
        if (flag == L"--help" || flag == L"-h" || flag == L"/?") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (out.empty() && flag.size() > 0 && flag[0] != L'-') {
            out = flag;
            continue;
        }
        if (i + 1 >= argc) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const wchar_t* value = argv[++i];
        long long number = 0;
        if (flag == L"--out") {
            out = value;
        } else if (flag == L"--files") {
            files = value;
        } else if (flag == L"--seed" && parseNumber(value, 0, LLONG_MAX, number)) {
            options.seed = static_cast<uint64_t>(number);
        } else if (flag == L"--products" &&
                   parseNumber(value, kMinSampleProducts, kMaxSampleProducts, number)) {
            options.products = static_cast<int>(number);
        } else if (flag == L"--days" && parseNumber(value, 2, 20000, number)) {
            options.days = static_cast<int>(number);
        } else if (flag == L"--high-values" && parseNumber(value, 0, kMaxSampleProducts, number)) {
            options.highValueProducts = static_cast<int>(number);
        } else if (flag == L"--end") {
            options.endDate.clear();
            for (const wchar_t* p = value; *p; ++p)
                options.endDate += static_cast<char>(*p < 128 ? *p : '?');
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (out.empty() && files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // The files alone come from a database made beside them and deleted after.
    const bool scratch = out.empty();
    if (scratch) {
        CreateDirectoryW(files.c_str(), nullptr);
        out = files + L"\\sampledata-scratch.db";
    }
    SampleSummary summary;
    std::string error;
    if (!writeSampleFile(out, options, &summary, &error)) {
        std::fprintf(stderr, "sampledata: %s\n", error.c_str());
        return 1;
    }
    std::printf("sampledata: %d collective and %d other products, %d companies, %lld values "
                "from %s to %s\n",
                summary.collectiveProducts, summary.otherProducts, summary.companies, summary.valueRows,
                summary.firstDate.c_str(), summary.lastDate.c_str());
    int rc = 0;
    if (!files.empty()) {
        SampleFilesSummary written;
        if (writeSampleDataFiles(out, files, &written, &error)) {
            std::printf("sampledata: data files written: %lld products, %lld values, %lld dividends "
                        "(%lld dividends on days without a value left out)\n",
                        written.products, written.values, written.dividends, written.dividendsLeftOut);
        } else {
            std::fprintf(stderr, "sampledata: %s\n", error.c_str());
            rc = 1;
        }
    }
    if (scratch)
        DeleteFileW(out.c_str());
    return rc;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 2;
    int rc = 2;
    try {
        rc = run(argc, argv);
    } catch (...) {
        std::fputs("sampledata: out of memory\n", stderr);
        rc = 1;
    }
    LocalFree(argv);
    return rc;
}
