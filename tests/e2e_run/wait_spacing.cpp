#include "tests/e2e_run/wait_spacing.h"

#include <cstdlib>

namespace e2e {

namespace {

long long TimeOf(const std::string &line) {
    const size_t digits = line.rfind("t=", 0) == 0 ? 2 : 0;
    return std::strtoll(line.c_str() + digits, nullptr, 10);
}

size_t FindFrom(const std::vector<std::string> &lines, size_t from, const std::string &text) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return i;
    return lines.size();
}

}  // namespace

std::string CheckWaitSpacing(const std::vector<std::string> &traceLines, const std::vector<FixedWait> &waits) {
    std::string problems;
    size_t from = 0;
    for (const FixedWait &wait : waits) {
        const std::string name = std::to_string(wait.ms) + " ms after \"" + wait.after + "\"";
        const size_t after = FindFrom(traceLines, from, wait.after);
        const size_t before = wait.before.empty() ? after + 1 : FindFrom(traceLines, after + 1, wait.before);
        if (before >= traceLines.size()) {
            problems += name + ": no such lines\n";
            break;
        }
        const long long spent = TimeOf(traceLines[before]) - TimeOf(traceLines[after]);
        if (spent < wait.ms) problems += name + ": " + std::to_string(spent) + " ms\n";
        from = after + 1;
    }
    return problems;
}

}  // namespace e2e
