// Stands in for the web browser in the command tests: appends each address it is asked to open
// (argv[2...]) as a line to the file argv[1].
#include <windows.h>
#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 1;
    FILE* log = _wfopen(argv[1], L"ab");
    if (!log)
        return 1;
    for (int i = 2; i < argc; ++i) {
        char line[4096];
        int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, line, sizeof(line) - 1, nullptr, nullptr);
        if (n > 0)
            std::fprintf(log, "%s\n", line);
    }
    std::fclose(log);
    return 0;
}
