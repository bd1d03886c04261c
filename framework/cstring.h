// CString: the reference-counted wide string the application code passes around.
// Copies share one buffer until one of them is changed (copy on write).
#pragma once

#include <windows.h>

#include <cstdarg>
#include <memory>
#include <string>

class CString {
public:
    CString() = default;
    CString(const wchar_t *text);
    CString(const wchar_t *text, int length);
    CString(wchar_t ch, int repeat = 1);
    // 8-bit text converted with the thread's ANSI code page (null gives an empty text).
    explicit CString(const char *ansiText);

    int GetLength() const { return static_cast<int>(Str().size()); }
    bool IsEmpty() const { return Str().empty(); }
    void Empty() { m_data.reset(); }
    const wchar_t *GetString() const { return Str().c_str(); }
    operator const wchar_t *() const { return GetString(); }
    wchar_t GetAt(int index) const { return Str().at(static_cast<size_t>(index)); }
    wchar_t operator[](int index) const { return GetAt(index); }

    // printf-style formatting with the C runtime's wide rules (%s takes a wide text).
    void Format(const wchar_t *format, ...);
    void FormatV(const wchar_t *format, va_list args);
    // Loads a string resource of this module; FALSE (text unchanged) when there is none.
    BOOL LoadString(UINT id);

    // Characters from `first` on, at most `count` of them; out-of-range parts are cut off.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    // Position of the first match at or after `start`, or -1.
    int Find(const wchar_t *sub, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const;
    // Replaces every occurrence; returns how many were replaced.
    int Replace(const wchar_t *oldText, const wchar_t *newText);
    // ASCII-only case mapping, as the C runtime does in its default "C" locale.
    CString &MakeLower();
    CString &MakeUpper();
    int Compare(const wchar_t *other) const;

    CString &operator=(const wchar_t *text);
    CString &operator+=(const CString &other);
    CString &operator+=(const wchar_t *text);
    CString &operator+=(wchar_t ch);

    friend CString operator+(const CString &a, const CString &b);
    friend CString operator+(const CString &a, const wchar_t *b);
    friend CString operator+(const wchar_t *a, const CString &b);
    friend CString operator+(const CString &a, wchar_t b);
    friend bool operator==(const CString &a, const CString &b) { return a.Str() == b.Str(); }
    friend bool operator==(const CString &a, const wchar_t *b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t *a, const CString &b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString &a, const CString &b) { return !(a == b); }
    friend bool operator!=(const CString &a, const wchar_t *b) { return !(a == b); }
    friend bool operator<(const CString &a, const CString &b) { return a.Str() < b.Str(); }

    // Number of CString objects sharing this text's buffer (0 for an empty text).
    long ShareCount() const { return m_data ? m_data.use_count() : 0; }

private:
    const std::wstring &Str() const;
    std::wstring &Mutable();
    explicit CString(std::wstring &&text);

    std::shared_ptr<std::wstring> m_data;
};
