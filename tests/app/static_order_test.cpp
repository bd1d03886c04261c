// The order the program's own static objects are made in shows in the order they end in, the
// reverse one. This test program holds the application object and the process-wide state as
// the program does, the application object's file linked first; a run of it as a separate
// program records at its exit which of their texts is released when.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "app/globals.h"
#include "app/vantor_app.h"

namespace {

constexpr wchar_t kOrderFileVariable[] = L"VANTOR_STATIC_ORDER_FILE";

// What is watched, in the order it must end in: the reverse of the order it was made in.
constexpr std::array<const char *, 14> kExpectedEnds = {
    "g_companionWorkDir", "g_lightingWorkDir", "g_lastErrorText", "g_smbiosTable", "g_toolVersion",
    "g_loaderVersion",    "g_ledVersion",      "g_logText",       "g_imageLedVerS", "g_imageLedVerF",
    "g_imageLoaderVerS",  "g_imageLoaderVerF", "g_programDir",    "theApp"};

// Each watched object owns one heap block that goes when it ends. No allocation happens in
// here: the watch runs inside operator delete.
struct ReleaseWatch {
    std::array<const void *, kExpectedEnds.size()> blocks{};
    std::array<size_t, kExpectedEnds.size()> order{};
    size_t released = 0;

    void Released(const void *block) {
        for (size_t i = 0; block && i < blocks.size(); ++i)
            if (blocks[i] == block && released < order.size()) order[released++] = i;
    }
};
ReleaseWatch g_watch;

// Made before everything else of this program and so ended after it: writes what it saw.
struct OrderReport {
    ~OrderReport() {
        wchar_t path[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(kOrderFileVariable, path, MAX_PATH)) return;
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        for (size_t i = 0; i < g_watch.released; ++i) {
            const char *name = kExpectedEnds[g_watch.order[i]];
            DWORD written = 0;
            WriteFile(file, name, static_cast<DWORD>(strlen(name)), &written, nullptr);
            WriteFile(file, "\n", 1, &written, nullptr);
        }
        CloseHandle(file);
    }
} g_orderReport __attribute__((init_priority(101)));

// Gives each watched object a heap block of its own and notes it.
void WatchEveryObject() {
    size_t next = 0;
    auto watch = [&next](CString &text) {
        text = L"a text long enough for the heap";
        g_watch.blocks[next++] = text.GetString();
    };
    for (CString *text : {&g_companionWorkDir, &g_lightingWorkDir, &g_lastErrorText}) watch(*text);
    g_smbiosTable.data = new BYTE[64];
    g_smbiosTable.length = 64;
    g_watch.blocks[next++] = g_smbiosTable.data;
    for (CString *text : {&g_toolVersion, &g_loaderVersion, &g_ledVersion, &g_logText, &g_imageLedVerS,
                          &g_imageLedVerF, &g_imageLoaderVerS, &g_imageLoaderVerF, &g_programDir})
        watch(*text);
    watch(theApp.m_strRegistryKey);
}

std::string ReadText(const std::wstring &path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(StaticOrder, TheApplicationObjectComesFirstAndEndsLast) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring orderFile = std::wstring(temp) + L"vantor_static_order.txt";
    DeleteFileW(orderFile.c_str());

    SetEnvironmentVariableW(kOrderFileVariable, orderFile.c_str());
    std::wstring command = std::wstring(L"\"") + self + L"\" --gtest_filter=StaticOrderChild.*";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    SetEnvironmentVariableW(kOrderFileVariable, nullptr);

    std::string expected;
    for (const char *name : kExpectedEnds) expected += std::string(name) + "\n";
    EXPECT_EQ(ReadText(orderFile), expected);
    DeleteFileW(orderFile.c_str());
}

// The program run of the test above; skipped unless that test started it.
TEST(StaticOrderChild, Run) {
    if (!GetEnvironmentVariableW(kOrderFileVariable, nullptr, 0)) GTEST_SKIP();
    WatchEveryObject();
}

}  // namespace

// Every heap block of the program goes through these: the watched ones are noted on the way.
void operator delete(void *block) noexcept {
    g_watch.Released(block);
    std::free(block);
}
void operator delete(void *block, std::size_t) noexcept { operator delete(block); }
void operator delete[](void *block) noexcept { operator delete(block); }
void operator delete[](void *block, std::size_t) noexcept { operator delete(block); }
