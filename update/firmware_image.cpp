#include "update/firmware_image.h"

#include <new>

#include "framework/afxfile.h"

namespace {
constexpr wchar_t kImagePattern[] = L"*.bin";
// Far beyond the flash of any lighting controller's microcontroller (a few hundred KiB, a
// couple of MiB at the most), yet small enough to hold in a 32-bit process and to read byte
// by byte in seconds. A larger first "*.bin" is not an image for the controller.
constexpr ULONGLONG kMaxImageBytes = 16 * 1024 * 1024;
}  // namespace

bool FindFirmwareImage(CString &fileName) {
    CFileFind finder;
    if (!finder.FindFile(kImagePattern))
        return false;
    finder.FindNextFile();  // the first match either way: its result says only whether more follow
    fileName = finder.GetFileName();
    return true;
}

bool ReadFirmwareImage(const CString &path, std::vector<BYTE> &bytes) {
    bytes.clear();
    CStdioFile file;
    CFileException openError;
    if (!file.Open(path, CStdioFile::modeReadWrite | CStdioFile::typeBinary, &openError))
        return false;

    const ULONGLONG length = file.GetLength();
    if (length > kMaxImageBytes)
        return false;
    try {
        bytes.reserve(static_cast<size_t>(length));
        BYTE byte = 0;
        // Bounded also while reading: the file may grow under us.
        while (bytes.size() <= kMaxImageBytes && file.Read(&byte, 1) != 0)
            bytes.push_back(byte);
    } catch (const std::bad_alloc &) {
        bytes.clear();
        return false;
    }
    // A failing read ends the loop as the end of the file would: only the length tells them apart.
    const bool complete = file.GetLength() == bytes.size() && bytes.size() <= kMaxImageBytes;
    file.Close();
    return complete;
}
