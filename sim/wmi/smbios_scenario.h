// What the stand-in WMI provider serves as the one "MSSMBios_RawSMBiosTables" instance.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SmbiosScenario {
    // How "SMBiosData" comes back.
    enum class DataKind {
        ByteArray,    // VT_ARRAY|VT_UI1 holding `table`, as on a real machine
        Null,         // VT_NULL: the empty row Wine's own provider serves
        SignedBytes,  // VT_ARRAY|VT_I1 holding `table`: the right bytes in the wrong type
        Object,       // VT_UNKNOWN holding a counted object, to show the VARIANT is cleared
    };
    // A call made to fail, to show the reader cleans up whatever step stops it.
    enum class FailingCall {
        None,
        ConnectServer,
        SetBlanket,
        CreateInstanceEnum,
        Next,
        SmbiosMajorVersion,
        SmbiosMinorVersion,
        SMBiosData,
    };

    std::vector<BYTE> table;
    DataKind data = DataKind::ByteArray;
    int instances = 1;  // 0: the enumeration is empty
    FailingCall failingCall = FailingCall::None;
    VARTYPE versionType = VT_UI1;  // VT_UI1 as WMI serves it, or VT_I4
    LONG majorVersion = 3;
    LONG minorVersion = 4;
};

// The texts a test gives for the baseboard; an empty text gets string number 0.
struct BaseboardTexts {
    std::string manufacturer;
    std::string product;
    std::string version;
    std::string serialNumber;
};

// A plausible table: a BIOS structure, the baseboard with the given texts, the end-of-table mark.
std::vector<BYTE> BuildBaseboardTable(const BaseboardTexts &texts);

// Reads the scenario text format (see README.md). On a fault returns false and says why.
bool ParseSmbiosScenario(const std::string &text, SmbiosScenario &scenario, std::string &error);

// A path starting with '/' is a Linux path, reached through Wine's drive Z:.
std::wstring WindowsPathOf(const std::wstring &path);

// Reads a scenario file (a Windows path, or a Linux one as WindowsPathOf takes it).
bool LoadSmbiosScenario(const std::wstring &path, SmbiosScenario &scenario, std::string &error);

// The name a scenario file gives a failing call ("ConnectServer", ... "SMBiosData").
const char *FailingCallName(SmbiosScenario::FailingCall call);
