// The fixed waits of a run as the simulator's trace shows them: each trace line starts with
// the time of its call ("t=812 call=..." over USB, "812 Corrant ..." on the SMBus), in real
// milliseconds when the shipped program runs.
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct FixedWait {
    std::string after;   // text of the line the wait follows
    std::string before;  // text of the first later line it precedes; empty: the very next line
    long long ms;
};

// Looks for each wait in turn, each after the line the previous one followed, and checks
// that at least its time passed between its two lines. Empty when all of them show, else
// what is missing or short.
std::string CheckWaitSpacing(const std::vector<std::string> &traceLines, const std::vector<FixedWait> &waits);

}  // namespace e2e
