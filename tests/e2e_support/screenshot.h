// Pictures of what the program shows: the screen area of a window, as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Copies the window's rectangle from the screen (so the picture shows what a user sees,
// frame and caption included) into `bmpPath`.
bool SaveWindowScreenshot(HWND window, const std::wstring &bmpPath);
// The same for the whole screen.
bool SaveScreenScreenshot(const std::wstring &bmpPath);

}  // namespace e2e
