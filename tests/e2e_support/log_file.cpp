#include "tests/e2e_support/log_file.h"

#include <windows.h>

#include <cctype>

namespace e2e {

namespace {

constexpr size_t kStampLength = 23;  // "yyyy/mm/dd hh:mm:ss.mmm"
constexpr char kStampShape[] = "dddd/dd/dd dd:dd:dd.ddd";
constexpr char kSeparator[] = "        ";

bool StampShaped(const std::string &stamp) {
    if (stamp.size() != kStampLength) return false;
    for (size_t i = 0; i < kStampLength; ++i) {
        bool digit = std::isdigit(static_cast<unsigned char>(stamp[i])) != 0;
        if (kStampShape[i] == 'd' ? !digit : stamp[i] != kStampShape[i]) return false;
    }
    return true;
}

}  // namespace

std::vector<LogLine> ParseLog(const std::string &content) {
    std::vector<LogLine> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        bool ended = end != std::string::npos;
        std::string raw = content.substr(start, ended ? end - start : std::string::npos);
        bool crlf = ended && !raw.empty() && raw.back() == '\r';
        if (crlf) raw.pop_back();
        LogLine line;
        line.raw = raw;
        line.stamp = raw.substr(0, kStampLength);
        size_t messageAt = kStampLength + sizeof(kSeparator) - 1;
        line.message = raw.size() >= messageAt ? raw.substr(messageAt) : std::string();
        line.wellFormed = crlf && StampShaped(line.stamp) && raw.compare(kStampLength, 8, kSeparator) == 0;
        lines.push_back(line);
        start = ended ? end + 1 : content.size();
    }
    return lines;
}

std::vector<LogLine> ReadLog(const std::wstring &dir) {
    std::wstring path = dir + L"\\" + kLogFileName;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return ParseLog(content);
}

std::vector<std::string> ReadLogMessages(const std::wstring &dir) {
    std::vector<std::string> messages;
    for (const LogLine &line : ReadLog(dir)) messages.push_back(line.message);
    return messages;
}

}  // namespace e2e
