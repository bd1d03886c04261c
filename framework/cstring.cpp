#include "cstring.h"

#include <cwchar>
#include <vector>

namespace {
const std::wstring &EmptyText() {
    static const std::wstring empty;
    return empty;
}
}  // namespace

CString::CString(const wchar_t *text) {
    if (text && *text) m_data = std::make_shared<std::wstring>(text);
}

CString::CString(const wchar_t *text, int length) {
    if (text && length > 0) m_data = std::make_shared<std::wstring>(text, static_cast<size_t>(length));
}

CString::CString(wchar_t ch, int repeat) {
    if (repeat > 0) m_data = std::make_shared<std::wstring>(static_cast<size_t>(repeat), ch);
}

CString::CString(const char *ansiText) {
    if (!ansiText || !*ansiText) return;
    int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, ansiText, -1, nullptr, 0);
    if (needed <= 1) return;
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, ansiText, -1, &wide[0], needed);
    wide.resize(static_cast<size_t>(needed - 1));
    m_data = std::make_shared<std::wstring>(std::move(wide));
}

CString::CString(std::wstring &&text) {
    if (!text.empty()) m_data = std::make_shared<std::wstring>(std::move(text));
}

const std::wstring &CString::Str() const { return m_data ? *m_data : EmptyText(); }

std::wstring &CString::Mutable() {
    if (!m_data)
        m_data = std::make_shared<std::wstring>();
    else if (m_data.use_count() > 1)
        m_data = std::make_shared<std::wstring>(*m_data);
    return *m_data;
}

void CString::Format(const wchar_t *format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t *format, va_list args) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int written = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            *this = CString(buffer.data(), written);
            return;
        }
        buffer.resize(buffer.size() * 2);
    }
}

BOOL CString::LoadString(UINT id) {
    const wchar_t *resource = nullptr;
    int length = ::LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || !resource) return FALSE;
    *this = CString(resource, length);
    return TRUE;
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count < 0) count = 0;
    int length = GetLength();
    if (first >= length || count == 0) return CString();
    if (count > length - first) count = length - first;
    return CString(Str().substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
    int length = GetLength();
    if (count >= length) return *this;
    return Mid(length - count < 0 ? 0 : length - count);
}

int CString::Find(const wchar_t *sub, int start) const {
    if (!sub || start < 0 || start > GetLength()) return -1;
    size_t at = Str().find(sub, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(wchar_t ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    size_t at = Str().find(ch, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(const wchar_t *oldText, const wchar_t *newText) {
    if (!oldText || !*oldText || IsEmpty()) return 0;
    const std::wstring from(oldText), to(newText ? newText : L"");
    std::wstring result;
    const std::wstring &source = Str();
    int count = 0;
    size_t pos = 0;
    for (;;) {
        size_t hit = source.find(from, pos);
        if (hit == std::wstring::npos) break;
        result.append(source, pos, hit - pos);
        result += to;
        pos = hit + from.size();
        ++count;
    }
    if (count == 0) return 0;
    result.append(source, pos, std::wstring::npos);
    *this = CString(std::move(result));
    return count;
}

CString &CString::MakeLower() {
    if (IsEmpty()) return *this;
    for (wchar_t &c : Mutable())
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return *this;
}

CString &CString::MakeUpper() {
    if (IsEmpty()) return *this;
    for (wchar_t &c : Mutable())
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return *this;
}

int CString::Compare(const wchar_t *other) const { return Str().compare(other ? other : L""); }

CString &CString::operator=(const wchar_t *text) {
    *this = CString(text);
    return *this;
}

CString &CString::operator+=(const CString &other) {
    if (other.IsEmpty()) return *this;
    if (IsEmpty()) return *this = other;
    Mutable() += other.Str();
    return *this;
}

CString &CString::operator+=(const wchar_t *text) {
    if (text && *text) Mutable() += text;
    return *this;
}

CString &CString::operator+=(wchar_t ch) {
    Mutable() += ch;
    return *this;
}

CString operator+(const CString &a, const CString &b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString &a, const wchar_t *b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const wchar_t *a, const CString &b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString &a, wchar_t b) {
    CString result(a);
    result += b;
    return result;
}
