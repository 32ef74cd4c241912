// The files the client writes on request (--dump, --screenshot): never over the open database,
// and never half-written over what was there before.
#pragma once

#include <string>

namespace Client {

// Whether both paths name one existing file (same volume, same file index), however they are
// spelt: case, "..", short names, links. False when either cannot be opened.
bool isSameFile(const std::wstring& a, const std::wstring& b);

// Writes bytes through the host's "File.File" (a temporary file beside the target, renamed over
// it once complete), so a failure leaves the old file as it was. error says what failed.
bool writeFileReplacing(const std::wstring& path, const std::string& bytes, std::wstring& error);

// A text as UTF-8 bytes, the encoding of the client's text outputs.
std::string utf8(const std::wstring& text);

} // namespace Client
