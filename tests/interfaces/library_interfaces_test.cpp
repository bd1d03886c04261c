// The updater's side of each run-time library interface held against the simulators' own
// statement of it: names, calling convention and argument widths, the driver record's layout,
// the controller's identities, addresses, commands and preamble. The two sides are written
// apart, so a change on one side alone fails here.
#include <windows.h>
#include <oleauto.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

#include "app/globals.h"
#include "board/driver_library.h"
#include "hidlink/device_ids.h"
#include "hidlink/device_steps.h"
#include "hidlink/hid_library.h"
#include "sim/qyxhid/controller_model.h"
#include "sim/qyxhid/hid_library_exports.h"
#include "sim/smbus/smbus_library_exports.h"
#include "sim/smbus/wire_format.h"
#include "tests/interfaces/program_imports.h"
#include "update/smbus_command_set.h"

using ::testing::UnorderedElementsAreArray;

// The function type each side gives one entry point: convention, result and argument types.
#define EXPECT_SAME_TYPE(productSide, simulatorSide, name) \
    EXPECT_TRUE((std::is_same<productSide, simulatorSide>::value)) << name
#define EXPECT_SAME_HID_FUNCTION(name) \
    EXPECT_SAME_TYPE(decltype(&::name), decltype(HidLibraryExports::name), #name)
#define EXPECT_SAME_DRIVER_ENTRY_POINT(name)                                                                   \
    EXPECT_SAME_TYPE(decltype(DriverLibrary::name), decltype(DriverLibraryExports::name), #name);               \
    EXPECT_EQ(offsetof(DriverLibrary, name), offsetof(DriverRecord, entryPoints) + offsetof(DriverLibraryExports, name)) \
        << #name
#define EXPECT_SAME_SMBUS_ENTRY_POINT(name) \
    EXPECT_SAME_TYPE(decltype(SmbusLibrary::name), decltype(SmbusLibraryExports::name), #name)

namespace {

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.rfind(L'\\'));
}

template <size_t N>
std::vector<std::string> Names(const char *const (&names)[N]) {
    return std::vector<std::string>(std::begin(names), std::end(names));
}

// The record's first `count` fields, the entry points the constructor looked up.
template <typename Record>
std::vector<FARPROC> EntryPoints(const Record &record, size_t count) {
    std::vector<FARPROC> fields(count);
    std::memcpy(fields.data(), &record, count * sizeof(FARPROC));
    return fields;
}

// The updater's record looked each name up by itself: every field holds the stand-in's export
// of the name the stand-in gives that place.
void ExpectLookedUpInOrder(const std::vector<FARPROC> &fields, HMODULE standIn, const std::vector<std::string> &names) {
    ASSERT_NE(standIn, nullptr);
    ASSERT_EQ(fields.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const FARPROC exported = GetProcAddress(standIn, names[i].c_str());
        EXPECT_NE(exported, nullptr) << names[i] << " is not exported";
        EXPECT_EQ(fields[i], exported) << "entry point " << i << ", " << names[i];
    }
}

TEST(HidLibraryInterface, FunctionsAgreeInConventionAndArgumentWidths) {
    EXPECT_SAME_HID_FUNCTION(IsDeviceConnect);
    EXPECT_SAME_HID_FUNCTION(openMyDevice_Read);
    EXPECT_SAME_HID_FUNCTION(WriteDeviceOutput);
    EXPECT_SAME_HID_FUNCTION(ReadDeviceInput);
    EXPECT_SAME_HID_FUNCTION(CloseDevice);
}

TEST(HidLibraryInterface, TheProgramImportsExactlyWhatTheStandInExports) {
    const std::wstring directory = ProgramDirectory();
    EXPECT_THAT(ImportedNames(directory + L"\\Update_Vantor.exe", "QyxHid.dll"),
                UnorderedElementsAreArray(Names(kHidLibraryExportNames)));
    HMODULE standIn = LoadLibraryW((directory + L"\\QyxHid.dll").c_str());
    ASSERT_NE(standIn, nullptr);
    for (const char *name : kHidLibraryExportNames) EXPECT_NE(GetProcAddress(standIn, name), nullptr) << name;
}

TEST(HidLibraryInterface, IdentitiesAndBufferLengthsAgree) {
    EXPECT_EQ(static_cast<int>(kApVendorId), kSimApVendorId);
    EXPECT_EQ(static_cast<int>(kLoaderVendorId), kSimLoaderVendorId);
    EXPECT_EQ(static_cast<int>(kLoaderProductId), kSimLoaderProductId);
    EXPECT_EQ(kApReportLength, kSimApReportLength);
    EXPECT_EQ(kLoaderPacketLength, kSimLoaderPacketLength);
}

TEST(DriverLibraryInterface, EntryPointsAgreeInTypeAndPlaceInTheRecord) {
    EXPECT_SAME_DRIVER_ENTRY_POINT(DriverInitialization);
    EXPECT_SAME_DRIVER_ENTRY_POINT(ReadIoPortByte);
    EXPECT_SAME_DRIVER_ENTRY_POINT(WriteIoPortByte);
    EXPECT_SAME_DRIVER_ENTRY_POINT(ReadIoPortWord);
    EXPECT_SAME_DRIVER_ENTRY_POINT(WriteIoPortWord);
    EXPECT_SAME_DRIVER_ENTRY_POINT(ReadCMOSByte);
    EXPECT_SAME_DRIVER_ENTRY_POINT(WriteCMOSByte);
    EXPECT_SAME_DRIVER_ENTRY_POINT(Rdmsr);
    EXPECT_SAME_DRIVER_ENTRY_POINT(Wrmsr);
    EXPECT_SAME_DRIVER_ENTRY_POINT(ReadPhysicalMemory);
    EXPECT_SAME_DRIVER_ENTRY_POINT(ReadPhysicalMemory_Byte);
    EXPECT_SAME_DRIVER_ENTRY_POINT(WritePhysicalMemory_Byte);
    EXPECT_SAME_DRIVER_ENTRY_POINT(ReadPhysicalMemory_DWORD);
    EXPECT_SAME_DRIVER_ENTRY_POINT(WritePhysicalMemory_DWORD);
    EXPECT_SAME_DRIVER_ENTRY_POINT(PCIConfigRead);
    EXPECT_SAME_DRIVER_ENTRY_POINT(PCIConfigWrite);
    EXPECT_SAME_DRIVER_ENTRY_POINT(DriverRelease);
}

// The record is handed to the SMBus library, which reads the mutex and "ready" behind the
// seventeen entry points.
TEST(DriverLibraryInterface, TheRecordEndsWithTheMutexAndTheReadyByteWhereTheSmbusLibraryReadsThem) {
    EXPECT_SAME_TYPE(decltype(DriverLibrary::mutex), decltype(DriverRecord::mutex), "mutex");
    EXPECT_EQ(offsetof(DriverLibrary, mutex), offsetof(DriverRecord, mutex));
    EXPECT_SAME_TYPE(decltype(DriverLibrary::ready), decltype(DriverRecord::ready), "ready");
    EXPECT_EQ(offsetof(DriverLibrary, ready), offsetof(DriverRecord, ready));
}

TEST(DriverLibraryInterface, TheRecordLooksUpEveryNameTheStandInExportsInItsOrder) {
    const std::wstring directory = ProgramDirectory();
    const DriverLibrary driver(SysAllocString(directory.c_str()), SysAllocString(L"Parvio_FWUpdate"));
    ExpectLookedUpInOrder(EntryPoints(driver, 17), GetModuleHandleW((directory + L"\\Wendil.dll").c_str()),
                          Names(kDriverLibraryExportNames));
    EXPECT_EQ(kDriverAccessValue, kExpectedAccessValue);
    EXPECT_EQ(kIntelVendorId, kIntelHostBridgeVendor);
}

TEST(SmbusLibraryInterface, EntryPointsAgreeInConventionAndArgumentWidths) {
    // The initialisation takes the other side's record: compare with the updater's record put in.
    EXPECT_SAME_TYPE(decltype(SmbusLibrary::SMBusInitialization), SmbusInitializationFn<DriverLibrary>,
                     "SMBusInitialization");
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_ByteRead);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_ByteWrite);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_BlockRead1);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_BlockWrite1);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_BlockRead2);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_BlockWrite2);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_BlockRead3);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_BlockWrite3);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMB_BlockRead);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMBusGetAddress);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMBusReload);
    EXPECT_SAME_SMBUS_ENTRY_POINT(SMBusRelease);
}

TEST(SmbusLibraryInterface, TheRecordLooksUpEveryNameTheStandInExportsInItsOrder) {
    const SmbusLibrary smbus(CString(ProgramDirectory().c_str()));
    ExpectLookedUpInOrder(EntryPoints(smbus, 13), smbus.module, Names(kSmbusLibraryExportNames));
}

TEST(SmbusCommandSetInterface, AddressesCommandsRegistersAndBlockLengthsAgree) {
    EXPECT_EQ(kSmbLedAddress, wire::kLedAddress);
    EXPECT_EQ(kSmbDummyReadAddress, wire::kDummyReadAddress);
    EXPECT_EQ(kSmbCmdEnterLoader, wire::kEnterLoader);
    EXPECT_EQ(kSmbCmdWriteBlock, wire::kWriteBlock);
    EXPECT_EQ(kSmbCmdRewriteBlock, wire::kRewriteBlock);
    EXPECT_EQ(kSmbCmdBeginUpdate, wire::kBeginUpdate);
    EXPECT_EQ(kSmbCmdRunApplication, wire::kRunApplication);
    EXPECT_EQ(kSmbCmdReadStatus, wire::kReadStatus);
    EXPECT_EQ(kSmbRegVerF, wire::kRegVerF);
    EXPECT_EQ(kSmbRegVerS, wire::kRegVerS);
    EXPECT_EQ(static_cast<DWORD>(kSmbusCmdBlockShortLength), wire::kIntelBlockLength);
    EXPECT_EQ(static_cast<DWORD>(kSmbusCmdBlockLongLength), wire::kOtherBlockLength);
    EXPECT_EQ(static_cast<DWORD>(kSmbusDataBlockShortLength), wire::kIntelBlockLength);
    EXPECT_EQ(static_cast<DWORD>(kSmbusDataBlockLongLength), wire::kOtherBlockLength);
    EXPECT_EQ(kSmbusGroupSize, wire::kGroup);
    // The status buffer holds whatever the library writes into it.
    EXPECT_LE(wire::kStatusBytes, kSmbusStatusBlockLength);
}

TEST(SmbusCommandSetInterface, CommandBlocksStartWithThePreambleTheControllerExpects) {
    std::fill(std::begin(g_smbusCmdBlockShort), std::end(g_smbusCmdBlockShort), BYTE{0});
    std::fill(std::begin(g_smbusCmdBlockLong), std::end(g_smbusCmdBlockLong), BYTE{0});

    WriteSmbusCommandPreamble();

    const std::vector<BYTE> expected(std::begin(wire::kPreamble), std::end(wire::kPreamble));
    EXPECT_EQ(std::vector<BYTE>(g_smbusCmdBlockShort, g_smbusCmdBlockShort + wire::kPreambleLength), expected);
    EXPECT_EQ(std::vector<BYTE>(g_smbusCmdBlockLong, g_smbusCmdBlockLong + wire::kPreambleLength), expected);
}

}  // namespace
