// Writes what a window shows on the screen to a PNG file with GDI+ (which must be started). The
// file is replaced only by a complete image.
#pragma once

#include <windows.h>
#include <string>

namespace Client {

bool saveWindowPng(HWND hwnd, const std::wstring& path, std::wstring& error);
// The same for a bitmap (not selected into any DC).
bool saveBitmapPng(HBITMAP bitmap, const std::wstring& path, std::wstring& error);

} // namespace Client
