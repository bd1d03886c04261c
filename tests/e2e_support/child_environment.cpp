#include "tests/e2e_support/child_environment.h"

#include <windows.h>

namespace e2e {

bool ChildEnvironment::NoCase::operator()(const std::wstring &a, const std::wstring &b) const {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_LESS_THAN;
}

ChildEnvironment::ChildEnvironment() {
    wchar_t *block = GetEnvironmentStringsW();
    for (const wchar_t *entry = block; entry && *entry; entry += wcslen(entry) + 1) {
        std::wstring text = entry;
        // Entries such as "=C:=C:\dir" start with '=': their name holds the first '='.
        size_t equals = text.find(L'=', 1);
        if (equals == std::wstring::npos) continue;
        values_[text.substr(0, equals)] = text.substr(equals + 1);
    }
    if (block) FreeEnvironmentStringsW(block);
}

void ChildEnvironment::Set(const std::wstring &name, const std::wstring &value) { values_[name] = value; }

void ChildEnvironment::Remove(const std::wstring &name) { values_.erase(name); }

std::wstring ChildEnvironment::Get(const std::wstring &name) const {
    auto found = values_.find(name);
    return found == values_.end() ? std::wstring() : found->second;
}

std::vector<wchar_t> ChildEnvironment::Block() const {
    std::vector<wchar_t> block;
    for (const auto &entry : values_) {
        std::wstring line = entry.first + L"=" + entry.second;
        block.insert(block.end(), line.begin(), line.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    if (block.size() == 1) block.push_back(L'\0');
    return block;
}

}  // namespace e2e
