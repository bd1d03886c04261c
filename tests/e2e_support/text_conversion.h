// Wide text of the Windows side to UTF-8 bytes for files and the console, and back.
#pragma once

#include <string>

namespace e2e {

std::string ToUtf8(const std::wstring &text);
std::wstring FromUtf8(const std::string &text);

}  // namespace e2e
