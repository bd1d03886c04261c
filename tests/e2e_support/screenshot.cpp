#include "tests/e2e_support/screenshot.h"

#include <vector>

namespace e2e {

namespace {

bool SaveScreenRect(const RECT &area, const std::wstring &bmpPath) {
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (picture) {
        HGDIOBJ old = SelectObject(memory, picture);
        copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied) {
        if (picture) DeleteObject(picture);
        return false;
    }

    DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageBytes;
    info.bmiHeader.biSizeImage = imageBytes;

    HANDLE file = CreateFileW(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool saved = false;
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        saved = WriteFile(file, &header, sizeof(header), &written, nullptr) &&
                WriteFile(file, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr) &&
                WriteFile(file, bits, imageBytes, &written, nullptr) && written == imageBytes;
        CloseHandle(file);
    }
    DeleteObject(picture);
    return saved;
}

}  // namespace

bool SaveWindowScreenshot(HWND window, const std::wstring &bmpPath) {
    RECT area = {};
    if (!IsWindow(window) || !GetWindowRect(window, &area)) return false;
    return SaveScreenRect(area, bmpPath);
}

bool SaveScreenScreenshot(const std::wstring &bmpPath) {
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return SaveScreenRect(area, bmpPath);
}

}  // namespace e2e
