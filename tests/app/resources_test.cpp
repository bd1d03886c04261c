#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/resource.h"
#include "dialog_template.h"

namespace {

constexpr WORD kChineseTaiwan = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);  // 1028
constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);               // 1033
const std::wstring kButton = L"#128", kStatic = L"#130";

std::wstring Lower(std::wstring text) {
    for (wchar_t &c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
}

void ExpectItem(const TemplateItem &item, int id, const std::wstring &className, const std::wstring &text,
                short x, short y, short cx, short cy, DWORD furtherStyle) {
    SCOPED_TRACE(testing::Message() << "control " << id);
    EXPECT_EQ(item.id, id);
    EXPECT_EQ(Lower(item.className), className);  // class names are case-insensitive
    EXPECT_EQ(item.text, text);
    EXPECT_EQ(item.x, x);
    EXPECT_EQ(item.y, y);
    EXPECT_EQ(item.cx, cx);
    EXPECT_EQ(item.cy, cy);
    EXPECT_EQ(item.style, WS_CHILD | WS_VISIBLE | furtherStyle);
    EXPECT_EQ(item.exStyle, 0u);
}

std::string ResourceBytes(LPCWSTR type, WORD id, WORD language) {
    HRSRC found = ::FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
    if (!found) return std::string();
    const char *data = static_cast<const char *>(::LockResource(::LoadResource(nullptr, found)));
    return std::string(data, ::SizeofResource(nullptr, found));
}

std::wstring VersionString(const std::vector<BYTE> &info, const wchar_t *name) {
    wchar_t *value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040404b0\\") + name;
    if (!::VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void **>(&value), &length)) return L"<none>";
    return value;
}

}  // namespace

TEST(Resources, MainDialogTemplate) {
    DialogTemplate dlg = ReadDialogTemplate(IDD_VANTOR_DIALOG, kChineseTaiwan);
    ASSERT_TRUE(dlg.found);
    EXPECT_EQ(dlg.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(dlg.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(dlg.x, 0);
    EXPECT_EQ(dlg.y, 0);
    EXPECT_EQ(dlg.cx, 159);
    EXPECT_EQ(dlg.cy, 138);
    EXPECT_EQ(dlg.title, L"Vantor");
    EXPECT_EQ(dlg.pointSize, 9);
    EXPECT_EQ(dlg.weight, 0);
    EXPECT_EQ(dlg.italic, 0);
    EXPECT_EQ(dlg.charset, DEFAULT_CHARSET);
    ASSERT_EQ(dlg.items.size(), 7u);
    ExpectItem(dlg.items[0], IDC_UPDATE, kButton, L"Update", 55, 94, 50, 14, BS_PUSHBUTTON | WS_TABSTOP);
    ExpectItem(dlg.items[1], IDC_CURRENT_VERSION, kStatic, L"Static", 14, 23, 127, 8, SS_CENTER | WS_GROUP);
    ExpectItem(dlg.items[2], IDC_OBJECT_VERSION, kStatic, L"Static", 14, 54, 127, 8, SS_CENTER | WS_GROUP);
    ExpectItem(dlg.items[3], -1, kStatic, L"Current:", 24, 10, 27, 8, SS_LEFT | WS_GROUP);
    ExpectItem(dlg.items[4], -1, kStatic, L"Object:", 24, 38, 23, 8, SS_LEFT | WS_GROUP);
    ExpectItem(dlg.items[5], IDC_PROGRESS, L"msctls_progress32", L"", 20, 72, 121, 14, WS_BORDER);
    ExpectItem(dlg.items[6], IDC_STATUS, kStatic, L"Static", 14, 112, 127, 19, SS_LEFT | WS_GROUP);
}

TEST(Resources, AboutBoxTemplate) {
    DialogTemplate dlg = ReadDialogTemplate(IDD_ABOUTBOX, kChineseTaiwan);
    ASSERT_TRUE(dlg.found);
    EXPECT_EQ(dlg.style,
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS));
    EXPECT_EQ(dlg.exStyle, 0u);
    EXPECT_EQ(dlg.cx, 170);
    EXPECT_EQ(dlg.cy, 62);
    EXPECT_EQ(dlg.title, L"\u95DC\u65BC Vantor");
    EXPECT_EQ(dlg.pointSize, 9);
    EXPECT_EQ(dlg.charset, DEFAULT_CHARSET);
    ASSERT_EQ(dlg.items.size(), 4u);
    ExpectItem(dlg.items[0], -1, kStatic, L"#128", 14, 14, 21, 20, SS_ICON);
    ExpectItem(dlg.items[1], -1, kStatic, L"Vantor, 1.0 \u7248", 42, 14, 114, 8, SS_LEFT | SS_NOPREFIX | WS_GROUP);
    EXPECT_EQ(dlg.items[2].style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP));
    ExpectItem(dlg.items[3], IDOK, kButton, L"\u78BA\u5B9A", 113, 41, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP);
}

TEST(Resources, AboutMenuString) {
    // String 101 lives in block 101 / 16 + 1.
    EXPECT_FALSE(ResourceBytes(RT_STRING, IDS_ABOUTBOX / 16 + 1, kChineseTaiwan).empty());
    wchar_t text[64] = {};
    ASSERT_GT(::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 0);
    EXPECT_STREQ(text, L"\u95DC\u65BC Vantor(&A)...");
}

TEST(Resources, IconIsOne128PixelImageOf32Bits) {
    std::string group = ResourceBytes(RT_GROUP_ICON, IDR_MAINFRAME, kChineseTaiwan);
    ASSERT_EQ(group.size(), 6u + 14u);  // header and one entry
    const BYTE *bytes = reinterpret_cast<const BYTE *>(group.data());
    EXPECT_EQ(bytes[4] | bytes[5] << 8, 1);             // image count
    EXPECT_EQ(bytes[6], 128);                           // width
    EXPECT_EQ(bytes[7], 128);                           // height
    EXPECT_EQ(bytes[6 + 6] | bytes[6 + 7] << 8, 32);    // bits per pixel
    EXPECT_NE(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)), nullptr);
}

TEST(Resources, VersionInformation) {
    EXPECT_FALSE(ResourceBytes(RT_VERSION, 1, kChineseTaiwan).empty());
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD size = ::GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, size, info.data()));

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(23, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(23, 0));

    EXPECT_EQ(VersionString(info, L"CompanyName"), L"QYX");
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"1.0.0.23");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"1.0.0.23");
    EXPECT_EQ(VersionString(info, L"InternalName"), L"Vantor");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"Vantor");
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Vantor.exe");

    WORD *translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation),
                                 &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0404);
    EXPECT_EQ(translation[1], 1200);
}

TEST(Resources, ManifestAsksForAdministratorWithoutCommonControls6) {
    std::string manifest = ResourceBytes(MAKEINTRESOURCEW(24), 1, kEnglishUs);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    const char *systems[] = {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                             "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"};
    size_t previous = 0;
    for (const char *id : systems) {
        size_t at = manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>");
        ASSERT_NE(at, std::string::npos) << id;
        EXPECT_GT(at, previous) << id;  // in this order
        previous = at;
    }
}
