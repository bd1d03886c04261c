#include "sim/wmi/smbios_scenario.h"

#include <cstdlib>
#include <initializer_list>

namespace {

void AppendStructure(std::vector<BYTE> &table, std::initializer_list<BYTE> formatted,
                     const std::vector<std::string> &strings) {
    table.insert(table.end(), formatted);
    for (const std::string &text : strings) {
        table.insert(table.end(), text.begin(), text.end());
        table.push_back(0);
    }
    if (strings.empty()) table.push_back(0);
    table.push_back(0);
}

// Adds a non-empty text to the string set and returns its number; an empty text gets 0.
BYTE AddString(std::vector<std::string> &strings, const std::string &text) {
    if (text.empty()) return 0;
    strings.push_back(text);
    return static_cast<BYTE>(strings.size());
}

bool ParseHexBytes(const std::string &text, std::vector<BYTE> &bytes) {
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == ',') {
            if (high >= 0) return false;  // half a byte
            continue;
        }
        int nibble;
        if (c >= '0' && c <= '9') nibble = c - '0';
        else if (c >= 'a' && c <= 'f') nibble = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') nibble = c - 'A' + 10;
        else return false;
        if (high < 0) {
            high = nibble;
        } else {
            bytes.push_back(static_cast<BYTE>(high << 4 | nibble));
            high = -1;
        }
    }
    return high < 0;
}

// Decimal, or hexadecimal after 0x (a leading 0 alone does not mean octal).
bool ParseNumber(const std::string &text, LONG &number) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty()) return false;
    char *end = nullptr;
    long value = std::strtol(digits.c_str(), &end, hex ? 16 : 10);
    if (*end != 0) return false;
    number = value;
    return true;
}

bool ParseFailingCall(const std::string &name, SmbiosScenario::FailingCall &call) {
    using Call = SmbiosScenario::FailingCall;
    for (Call candidate : {Call::ConnectServer, Call::SetBlanket, Call::CreateInstanceEnum, Call::Next,
                           Call::SmbiosMajorVersion, Call::SmbiosMinorVersion, Call::SMBiosData}) {
        if (name == FailingCallName(candidate)) {
            call = candidate;
            return true;
        }
    }
    return false;
}

bool ParseDataKind(const std::string &name, SmbiosScenario::DataKind &kind) {
    using Kind = SmbiosScenario::DataKind;
    if (name == "bytes") kind = Kind::ByteArray;
    else if (name == "null") kind = Kind::Null;
    else if (name == "signed-bytes") kind = Kind::SignedBytes;
    else if (name == "object") kind = Kind::Object;
    else return false;
    return true;
}

}  // namespace

const char *FailingCallName(SmbiosScenario::FailingCall call) {
    using Call = SmbiosScenario::FailingCall;
    switch (call) {
    case Call::None: return "none";
    case Call::ConnectServer: return "ConnectServer";
    case Call::SetBlanket: return "SetBlanket";
    case Call::CreateInstanceEnum: return "CreateInstanceEnum";
    case Call::Next: return "Next";
    case Call::SmbiosMajorVersion: return "SmbiosMajorVersion";
    case Call::SmbiosMinorVersion: return "SmbiosMinorVersion";
    case Call::SMBiosData: return "SMBiosData";
    }
    return "none";
}

std::vector<BYTE> BuildBaseboardTable(const BaseboardTexts &texts) {
    std::vector<BYTE> table;
    // Type 0, BIOS information: vendor, version, release date.
    AppendStructure(table, {0x00, 0x12, 0x00, 0x00, 1, 2, 0x00, 0xF0, 3, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0},
                    {"Vantor Test BIOS", "1.00", "01/01/2024"});

    std::vector<std::string> strings;
    const BYTE manufacturer = AddString(strings, texts.manufacturer);
    const BYTE product = AddString(strings, texts.product);
    const BYTE version = AddString(strings, texts.version);
    const BYTE serialNumber = AddString(strings, texts.serialNumber);
    // Type 2, baseboard: hosting board (flags 0x09), chassis handle 0x0003, motherboard (0x0A).
    AppendStructure(table,
                    {0x02, 0x0F, 0x02, 0x00, manufacturer, product, version, serialNumber, 0, 0x09, 0, 0x03,
                     0x00, 0x0A, 0},
                    strings);

    AppendStructure(table, {0x7F, 0x04, 0xFF, 0xFE}, {});  // end of table
    return table;
}

bool ParseSmbiosScenario(const std::string &text, SmbiosScenario &scenario, std::string &error) {
    SmbiosScenario parsed;
    BaseboardTexts texts;
    bool haveTexts = false, haveTable = false;
    std::vector<BYTE> table;

    std::size_t lineStart = 0;
    for (int lineNumber = 1; lineStart < text.size(); ++lineNumber) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        std::string line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;

        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
        auto fault = [&](const char *what) {
            error = "line " + std::to_string(lineNumber) + ": " + what + " (" + line + ")";
            return false;
        };
        if (equals == std::string::npos) return fault("expected key=value");

        if (key == "manufacturer") texts.manufacturer = value, haveTexts = true;
        else if (key == "product") texts.product = value, haveTexts = true;
        else if (key == "version") texts.version = value, haveTexts = true;
        else if (key == "serial") texts.serialNumber = value, haveTexts = true;
        else if (key == "table") {
            if (!ParseHexBytes(value, table)) return fault("table wants hexadecimal byte pairs");
            haveTable = true;
        } else if (key == "data") {
            if (!ParseDataKind(value, parsed.data)) return fault("data is bytes, null, signed-bytes or object");
        } else if (key == "instances") {
            LONG count = 0;
            if (!ParseNumber(value, count) || count < 0) return fault("instances wants a count");
            parsed.instances = count;
        } else if (key == "fail") {
            if (!ParseFailingCall(value, parsed.failingCall)) return fault("unknown call to fail");
        } else if (key == "major") {
            if (!ParseNumber(value, parsed.majorVersion)) return fault("major wants a number");
        } else if (key == "minor") {
            if (!ParseNumber(value, parsed.minorVersion)) return fault("minor wants a number");
        } else if (key == "version-type") {
            if (value == "ui1") parsed.versionType = VT_UI1;
            else if (value == "i4") parsed.versionType = VT_I4;
            else return fault("version-type is ui1 or i4");
        } else {
            return fault("unknown key");
        }
    }
    if (haveTexts && haveTable) {
        error = "give either the baseboard texts or a table, not both";
        return false;
    }
    parsed.table = haveTable ? table : BuildBaseboardTable(texts);
    scenario = parsed;
    return true;
}

std::wstring WindowsPathOf(const std::wstring &path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring windowsPath = L"Z:" + path;
    for (wchar_t &c : windowsPath)
        if (c == L'/') c = L'\\';
    return windowsPath;
}

bool LoadSmbiosScenario(const std::wstring &path, SmbiosScenario &scenario, std::string &error) {
    HANDLE file = CreateFileW(WindowsPathOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot open the scenario file";
        return false;
    }
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    return ParseSmbiosScenario(text, scenario, error);
}
