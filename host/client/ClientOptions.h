// The client's command line.
#pragma once

#include <string>
#include <vector>

namespace Client {

struct ClientOptions {
    std::wstring databasePath;   // --database FILE (default: sample.db beside the program)
    std::wstring profileDir;     // --profile DIR (default: profile\ beside the program)
    std::wstring endDate;        // --end-date YYYY-MM-DD, applied through the page's picker
    std::wstring screenshotPath; // --screenshot FILE.png, then exit
    std::wstring dumpPath;       // --dump FILE: the product table as tab-separated UTF-8
    std::wstring modulePath;     // --module DLL (default: mod_AssembleFinance.dll)
    std::wstring exportPath;     // --export FILE: the grid's export command, run as a user would
    int exportFilter = 0;        // --export-filter 1|2|3; 0: by the name (3 for ".xls", else 1)
    double exitAfterSeconds = 0; // --exit-after SECONDS; 0 keeps running
    std::wstring chartCode;      // --chart CODE: the product's chart, after the page has loaded
    std::wstring chartRange;     // --chart-range 1M|3M|6M|YTD|1Y|3Y|ALL
    std::wstring chartStatsPath; // --chart-stats FILE: the chart's figures, tab-separated UTF-8
    // The simulated data feed's report after start (no option; tests shorten it).
    unsigned dataFeedDelayMs = 3000;
    // --keyword TEXT and --filter COLUMN=VALUE (both repeatable), applied through the page's
    // filter bar in the order given, after the page has loaded.
    struct FilterStep {
        bool keyword = false;
        std::wstring column; // the column's title as the bar shows it
        std::wstring text;   // the keywords, or the value
    };
    std::vector<FilterStep> filterSteps;
    // --import FILE (repeatable): data files imported into the database before the page loads;
    // --import-code CODE names the product of the values files without a code column given
    // after it (until the next --import-code).
    struct ImportStep {
        std::wstring path;
        std::wstring code;
    };
    std::vector<ImportStep> imports;
    bool ok = true;
    std::wstring error; // set when ok is false

    // Reads the arguments (without the program name). Unknown options and missing values make
    // ok false with a message; nothing is guessed.
    static ClientOptions parse(const std::vector<std::wstring>& args);
    static std::wstring usage();
};

// Splits "YYYY-MM-DD" into its parts; false unless the text has exactly that form and names a
// real calendar day.
bool parseIsoDate(const std::wstring& text, int& year, int& month, int& day);

} // namespace Client
