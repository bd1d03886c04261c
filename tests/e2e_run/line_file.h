// A file the stand-ins append their events or trace to, read back line by line.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The file's lines without their line ends, blank ones left out; empty when there is no file.
std::vector<std::string> ReadLines(const std::wstring &path);

}  // namespace e2e
