// Reading the image when memory runs out: refused like any image that cannot be read.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/firmware_image.h"

namespace {

constexpr LONGLONG kImageBytes = 4 * 1024 * 1024;  // well within what a controller could take
constexpr SIZE_T kLargestTake = 256 * 1024 * 1024;
constexpr SIZE_T kSmallestTake = 1024 * 1024;
constexpr size_t kMostTakes = 8192;

TEST(ReadFirmwareImage, AnImageThatDoesNotFitInMemoryIsRefused) {
    if (sizeof(void *) > 4) GTEST_SKIP() << "a 64-bit address space is too large to fill in a test";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"vantor_image_" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = kImageBytes;
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);

    // Takes the process's address space, reserved but never committed, until no block of a
    // MiB is left; what the heap already holds stays usable.
    std::vector<void *> taken;
    taken.reserve(kMostTakes);
    for (SIZE_T size = kLargestTake; size >= kSmallestTake; size /= 2)
        while (taken.size() < kMostTakes)
            if (void *block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                taken.push_back(block);
            else
                break;
    std::vector<BYTE> bytes;
    const bool read = ReadFirmwareImage(path.c_str(), bytes);
    for (void *block : taken) VirtualFree(block, 0, MEM_RELEASE);
    DeleteFileW(path.c_str());

    EXPECT_FALSE(read);
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
