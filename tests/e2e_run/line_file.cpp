#include "tests/e2e_run/line_file.h"

#include <fstream>

namespace e2e {

std::vector<std::string> ReadLines(const std::wstring &path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace e2e
