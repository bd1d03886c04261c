// Files: CStdioFile (text or binary, on the Win32 file API), CFileFind and CFileException.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class CFileException {
public:
    enum {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    int m_cause = none;
    LONG m_lOsError = 0;
};

class CStdioFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,  // the only sharing offered: none
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,  // the default: "\n" is written as CR LF, wide text as 8-bit bytes
        typeBinary = 0x8000,
    };

    CStdioFile() = default;
    CStdioFile(const CStdioFile &) = delete;
    CStdioFile &operator=(const CStdioFile &) = delete;
    ~CStdioFile();

    BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException *error = nullptr);
    // Raw bytes in either mode; returns the count read, 0 at the end of the file.
    UINT Read(void *buffer, UINT count);
    void Write(const void *buffer, UINT count);
    void WriteString(LPCWSTR text);
    ULONGLONG SeekToEnd();
    ULONGLONG GetLength() const;
    void Close();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

private:
    bool m_textMode = true;
};

// A directory search. After FindFile, each FindNextFile moves onto the next match and returns
// whether another one follows it.
class CFileFind {
public:
    CFileFind() = default;
    CFileFind(const CFileFind &) = delete;
    CFileFind &operator=(const CFileFind &) = delete;
    ~CFileFind();

    BOOL FindFile(LPCWSTR pattern = L"*.*");
    BOOL FindNextFile();
    CString GetFileName() const;
    void Close();

private:
    HANDLE m_search = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW m_next = {};     // the match FindNextFile moves onto
    WIN32_FIND_DATAW m_current = {};  // the match GetFileName reports
    bool m_hasNext = false;
};
