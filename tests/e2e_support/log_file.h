// The run's log "Update Vantor.log" in the install directory, read back line by line.
#pragma once

#include <string>
#include <vector>

namespace e2e {

constexpr wchar_t kLogFileName[] = L"Update Vantor.log";

struct LogLine {
    std::string raw;      // the whole line without its line end
    std::string stamp;    // "yyyy/mm/dd hh:mm:ss.mmm"
    std::string message;  // what follows the stamp and its eight blanks
    bool wellFormed;      // stamp of that shape, eight blanks, and a CR LF line end
};

// The lines of the log file in `dir`; empty when there is none.
std::vector<LogLine> ReadLog(const std::wstring &dir);
// Only the messages, in order.
std::vector<std::string> ReadLogMessages(const std::wstring &dir);
// Splits a log's bytes into lines (exposed for the rig's own tests).
std::vector<LogLine> ParseLog(const std::string &content);

}  // namespace e2e
