#include "update/firmware_image.h"

#include "framework/afxfile.h"

namespace {
constexpr wchar_t kImagePattern[] = L"*.bin";
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

    BYTE byte = 0;
    while (file.Read(&byte, 1) != 0)
        bytes.push_back(byte);
    // A failing read ends the loop as the end of the file would: only the length tells them apart.
    const bool complete = file.GetLength() == bytes.size();
    file.Close();
    return complete;
}
