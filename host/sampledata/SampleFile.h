// Writes a sample database to a file as a whole: the rows go into a temporary file beside it,
// which then replaces the target in one step, so a reader never sees a half-written database
// and a failed run leaves the old file as it was.
#pragma once

#include <string>
#include "SampleGenerator.h"

// A path as SQLite's open takes it (UTF-8).
std::string sampleUtf8(const std::wstring& text);

bool writeSampleFile(const std::wstring& path, const SampleOptions& options, SampleSummary* summary,
                     std::string* error);
