#include "framework/afxfile.h"

CFileFind::~CFileFind() { Close(); }

BOOL CFileFind::FindFile(LPCWSTR pattern) {
    Close();
    m_current = {};  // no name of an earlier search survives a new one
    m_search = ::FindFirstFileW(pattern ? pattern : L"*.*", &m_next);
    m_hasNext = m_search != INVALID_HANDLE_VALUE;
    return m_hasNext;
}

BOOL CFileFind::FindNextFile() {
    if (!m_hasNext) return FALSE;
    m_current = m_next;
    m_hasNext = ::FindNextFileW(m_search, &m_next) != FALSE;
    return m_hasNext;
}

CString CFileFind::GetFileName() const { return CString(m_current.cFileName); }

void CFileFind::Close() {
    if (m_search != INVALID_HANDLE_VALUE) ::FindClose(m_search);
    m_search = INVALID_HANDLE_VALUE;
    m_hasNext = false;
}
