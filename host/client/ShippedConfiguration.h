// The system configuration the client ships with (system.conf beside the program): a profile
// without system settings starts from it.
#pragma once

#include <string>

namespace Client {

// Copies programDir\system.conf into profileDir when the profile has no system.conf yet; never
// overwrites. note says what happened when a copy was made or failed, and is empty otherwise.
void installShippedConfiguration(const std::wstring& profileDir, const std::wstring& programDir,
                                 std::wstring& note);

} // namespace Client
