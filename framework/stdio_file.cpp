#include "framework/afxfile.h"

#include <string>

namespace {
int CauseOf(DWORD osError) {
    switch (osError) {
    case ERROR_FILE_NOT_FOUND: return CFileException::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return CFileException::badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return CFileException::tooManyOpenFiles;
    case ERROR_ACCESS_DENIED: return CFileException::accessDenied;
    case ERROR_INVALID_HANDLE: return CFileException::invalidFile;
    case ERROR_SHARING_VIOLATION: return CFileException::sharingViolation;
    case ERROR_LOCK_VIOLATION: return CFileException::lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return CFileException::diskFull;
    default: return CFileException::genericException;
    }
}
}  // namespace

CStdioFile::~CStdioFile() { Close(); }

BOOL CStdioFile::Open(LPCWSTR fileName, UINT openFlags, CFileException *error) {
    Close();
    DWORD access = 0;
    switch (openFlags & 0x3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (openFlags & modeCreate) disposition = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    m_hFile = ::CreateFileW(fileName, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) {
        if (error) {
            error->m_lOsError = static_cast<LONG>(::GetLastError());
            error->m_cause = CauseOf(static_cast<DWORD>(error->m_lOsError));
        }
        return FALSE;
    }
    m_textMode = !(openFlags & typeBinary);
    return TRUE;
}

UINT CStdioFile::Read(void *buffer, UINT count) {
    DWORD read = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !::ReadFile(m_hFile, buffer, count, &read, nullptr)) return 0;
    return read;
}

void CStdioFile::Write(const void *buffer, UINT count) {
    DWORD written = 0;
    if (m_hFile != INVALID_HANDLE_VALUE) ::WriteFile(m_hFile, buffer, count, &written, nullptr);
}

void CStdioFile::WriteString(LPCWSTR text) {
    if (!text) return;
    if (!m_textMode) {
        Write(text, static_cast<UINT>(wcslen(text) * sizeof(wchar_t)));
        return;
    }
    // The C locale's conversion: one byte per character; beyond 8 bits there is none.
    std::string bytes;
    for (const wchar_t *p = text; *p; ++p) {
        if (*p == L'\n')
            bytes += "\r\n";
        else
            bytes += *p <= 0xFF ? static_cast<char>(*p) : '?';
    }
    Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

ULONGLONG CStdioFile::SeekToEnd() {
    LARGE_INTEGER zero = {}, position = {};
    if (m_hFile == INVALID_HANDLE_VALUE || !::SetFilePointerEx(m_hFile, zero, &position, FILE_END)) return 0;
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CStdioFile::GetLength() const {
    LARGE_INTEGER size = {};
    if (m_hFile == INVALID_HANDLE_VALUE || !::GetFileSizeEx(m_hFile, &size)) return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CStdioFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}
