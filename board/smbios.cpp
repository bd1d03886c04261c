// Board identification: the raw SMBIOS table read whole through WMI, the walk to the
// baseboard structure, and the board code in the baseboard's product text.
#include "board/smbios.h"

#include <wbemidl.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <new>

#include "app/globals.h"
#include "host/hex_text.h"

namespace {

constexpr BYTE kBaseboardType = 2;
constexpr std::size_t kHeaderBytes = 2;           // type and formatted length
constexpr std::size_t kContainedHandlesAt = 0x0F;  // first contained object handle
constexpr VARTYPE kByteArray = VT_ARRAY | VT_UI1;

// Everything ReadSmbiosTable obtains after CoInitialize, released in one place whatever step
// failed: the VARIANT first, then the interfaces from the last obtained to the first.
class WmiQuery {
public:
    WmiQuery() {
        std::memset(&value, 0, sizeof value);
        VariantInit(&value);
    }
    ~WmiQuery() {
        VariantClear(&value);
        if (object) object->Release();
        if (enumerator) enumerator->Release();
        if (services) services->Release();
        if (locator) locator->Release();
        SysFreeString(className);
        SysFreeString(nameSpace);
        CoUninitialize();
    }
    WmiQuery(const WmiQuery &) = delete;
    WmiQuery &operator=(const WmiQuery &) = delete;

    // Reads one property into `value`, dropping what the previous read left there.
    HRESULT GetProperty(const wchar_t *name) {
        VariantClear(&value);
        std::memset(&value, 0, sizeof value);
        VariantInit(&value);
        return object->Get(name, 0, &value, nullptr, nullptr);
    }
    // The first byte of the value, whatever its type: the versions arrive as VT_UI1 but
    // nothing guarantees it.
    BYTE LowByte() const {
        BYTE low;
        std::memcpy(&low, &V_UI1(&value), 1);
        return low;
    }

    BSTR nameSpace = nullptr;
    BSTR className = nullptr;
    IWbemLocator *locator = nullptr;
    IWbemServices *services = nullptr;
    IEnumWbemClassObject *enumerator = nullptr;
    IWbemClassObject *object = nullptr;
    VARIANT value;
};

// Copies a one-or-more-dimensional byte array's first dimension into g_smbiosTable.
BOOL KeepTableCopy(SAFEARRAY *array) {
    if (!array || SafeArrayGetDim(array) < 1 || SafeArrayGetElemsize(array) != 1) return FALSE;
    LONG lower = 0, upper = 0;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
        return FALSE;
    const LONGLONG count = static_cast<LONGLONG>(upper) - lower + 1;
    if (count < 0 || count > INT_MAX) return FALSE;

    BYTE *copy = new (std::nothrow) BYTE[static_cast<std::size_t>(count)];
    if (!copy) return FALSE;
    void *source = nullptr;
    if (FAILED(SafeArrayAccessData(array, &source))) {
        delete[] copy;
        return FALSE;
    }
    if (count > 0) std::memcpy(copy, source, static_cast<std::size_t>(count));  // an empty array may have no data
    SafeArrayUnaccessData(array);

    delete[] g_smbiosTable.data;
    g_smbiosTable.data = copy;
    g_smbiosTable.length = static_cast<INT32>(count);
    return TRUE;
}

// The table as the walk sees it: no data, or a negative count, reads as empty.
std::size_t TableLength() {
    return g_smbiosTable.data && g_smbiosTable.length > 0 ? static_cast<std::size_t>(g_smbiosTable.length)
                                                          : 0;
}

// Offset just past the first two consecutive zero bytes at or after `from`; 0 when the
// table holds none (no structure can end at offset 0).
std::size_t EndOfStringSet(std::size_t from, std::size_t length) {
    const BYTE *data = g_smbiosTable.data;
    for (std::size_t at = from; at + 1 < length; ++at)
        if (data[at] == 0 && data[at + 1] == 0) return at + 2;
    return 0;
}

// String `number` (from 1) of the set starting at `setStart`; null for 0, for a number past
// the set, and for a string that does not end inside the table.
const char *StringInSet(std::size_t setStart, BYTE number, std::size_t length) {
    if (number == 0) return nullptr;
    const BYTE *data = g_smbiosTable.data;
    std::size_t at = setStart;
    for (BYTE index = 1;; ++index) {
        if (at >= length || data[at] == 0) return nullptr;  // the set (or the table) ended first
        std::size_t end = at;
        while (end < length && data[end] != 0) ++end;
        if (end >= length) return nullptr;
        if (index == number) return reinterpret_cast<const char *>(data + at);
        at = end + 1;
    }
}

// Out of range (NaN included) gives INT_MIN, which is what the x86 conversion produces;
// in C++ a plain conversion of such a value is undefined.
int TruncateToInt32(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

BOOL ReadSmbiosTable() {
    if (FAILED(CoInitialize(nullptr))) return FALSE;
    WmiQuery query;

    query.nameSpace = SysAllocString(L"ROOT\\WMI");
    query.className = SysAllocString(L"MSSMBios_RawSMBiosTables");
    if (!query.nameSpace || !query.className) return FALSE;

    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void **>(&query.locator))) ||
        !query.locator)
        return FALSE;
    if (FAILED(query.locator->ConnectServer(query.nameSpace, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                            &query.services)) ||
        !query.services)
        return FALSE;
    if (FAILED(CoSetProxyBlanket(query.services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE)))
        return FALSE;
    if (FAILED(query.services->CreateInstanceEnum(query.className, 0, nullptr, &query.enumerator)) ||
        !query.enumerator)
        return FALSE;

    ULONG returned = 0;
    if (FAILED(query.enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1, &query.object, &returned)) ||
        returned == 0 || !query.object)
        return FALSE;

    if (FAILED(query.GetProperty(L"SmbiosMajorVersion"))) return FALSE;
    g_smbiosTable.majorVersion = query.LowByte();
    if (FAILED(query.GetProperty(L"SmbiosMinorVersion"))) return FALSE;
    g_smbiosTable.minorVersion = query.LowByte();

    if (FAILED(query.GetProperty(L"SMBiosData")) || V_VT(&query.value) != kByteArray) return FALSE;
    return KeepTableCopy(V_ARRAY(&query.value));
}

const BYTE *FindBaseboardStructure() {
    const std::size_t length = TableLength();
    const BYTE *data = g_smbiosTable.data;
    std::size_t at = 0;
    while (length - at >= kHeaderBytes) {
        if (data[at] == kBaseboardType) return data + at;
        const std::size_t next = EndOfStringSet(at + data[at + 1], length);
        if (next == 0) return nullptr;
        at = next;
    }
    return nullptr;
}

BOOL ReadBaseboardInfo(BaseboardInfo &info) {
    const BYTE *structure = FindBaseboardStructure();
    if (!structure) return FALSE;

    const std::size_t length = TableLength();
    const std::size_t start = static_cast<std::size_t>(structure - g_smbiosTable.data);
    const std::size_t formatted = structure[1];
    // Bytes of the formatted part only: a field the structure is too short for, or one that
    // lies past the end of the table, reads as 0 rather than as string-set bytes.
    const std::size_t readable = formatted < length - start ? formatted : length - start;
    auto byteAt = [&](std::size_t offset) -> BYTE { return offset < readable ? structure[offset] : 0; };
    auto wordAt = [&](std::size_t offset) -> WORD {
        return static_cast<WORD>(byteAt(offset) | (byteAt(offset + 1) << 8));
    };

    info = BaseboardInfo{};
    info.type = structure[0];
    info.length = structure[1];
    info.handle = wordAt(0x02);
    info.manufacturer = byteAt(0x04);
    info.product = byteAt(0x05);
    info.version = byteAt(0x06);
    info.serialNumber = byteAt(0x07);
    info.assetTag = byteAt(0x08);
    info.featureFlags = byteAt(0x09);
    info.locationInChassis = byteAt(0x0A);
    info.chassisHandle = wordAt(0x0B);
    info.boardType = byteAt(0x0D);
    info.containedObjectCount = byteAt(0x0E);

    // A count larger than the handles present leaves the missing ones null.
    for (std::size_t i = 0; i < info.containedObjectCount; ++i) {
        const std::size_t offset = kContainedHandlesAt + 2 * i;
        if (offset + 2 > readable) break;
        info.containedObjectHandles[i] = structure + offset;
    }

    const std::size_t setStart = start + formatted;
    info.manufacturerText = StringInSet(setStart, info.manufacturer, length);
    info.productText = StringInSet(setStart, info.product, length);
    info.versionText = StringInSet(setStart, info.version, length);
    info.serialNumberText = StringInSet(setStart, info.serialNumber, length);
    info.assetTagText = StringInSet(setStart, info.assetTag, length);
    info.locationInChassisText = StringInSet(setStart, info.locationInChassis, length);
    return TRUE;
}

int GetBoardCode(CString productText) {
    int first = productText.Find(L"QZ-");
    if (first < 0) first = 0;
    CString window = productText.Mid(first, 7);
    window.Replace(L"QZ-", L"");
    return TruncateToInt32(HexTextToNumber(window));
}
