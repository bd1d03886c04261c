// The environment a test gives the program it starts: a copy of its own, plus the
// variables of this run (scenario files, the virtual clock's name).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

class ChildEnvironment {
public:
    ChildEnvironment();  // starts as a copy of this process's environment

    void Set(const std::wstring &name, const std::wstring &value);
    void Remove(const std::wstring &name);
    std::wstring Get(const std::wstring &name) const;  // empty when unset
    // A CREATE_UNICODE_ENVIRONMENT block for CreateProcessW.
    std::vector<wchar_t> Block() const;

private:
    struct NoCase {
        bool operator()(const std::wstring &a, const std::wstring &b) const;
    };
    std::map<std::wstring, std::wstring, NoCase> values_;
};

}  // namespace e2e
