// The driver and SMBus library records: what their constructors load, look up, call and
// create, and the four small functions on top of them.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "board/driver_library.h"
#include "board/entry_point.h"
#include "sim/smbus/sim_smbus_control.h"
#include "update/smbus_command_set.h"

namespace {
constexpr wchar_t kDriverMutex[] = L"Global\\Access_Driver.HTP.Method";
constexpr wchar_t kSmbusMutex[] = L"Global\\Access_SMBUS.HTP.Method";
constexpr wchar_t kSmbusRenesasMutex[] = L"Global\\Access_SMBUS.Renesas.HTP.Method";

bool MutexExists(const wchar_t *name) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

std::wstring NowhereDirectory() { return SimSmbusControl::ProgramDirectory() + L"\\no-such-folder"; }

// The program hands system strings over and never frees them; so do the tests.
DriverLibrary *NewDriverLibrary(const std::wstring &directory) {
    return new DriverLibrary(SysAllocString(directory.c_str()), SysAllocString(L"Parvio_FWUpdate"));
}

void *Export(HMODULE module, const char *name) {
    void *address = nullptr;
    ResolveEntryPoint(module, name, address);
    return address;
}

// Records made without a library, whose entry points the tests fill with fakes.
class LibraryRecords : public ::testing::Test {
protected:
    void SetUp() override {
        g_driverLibrary = NewDriverLibrary(NowhereDirectory());
        g_smbusLibrary = new SmbusLibrary(CString(NowhereDirectory().c_str()));
        s_calls.clear();
    }
    void TearDown() override {
        g_driverLibrary = nullptr;
        g_smbusLibrary = nullptr;
    }

    static std::vector<std::string> s_calls;
    static DWORD s_hostBridge;
    static bool s_mutexHeldDuringRead;
};
std::vector<std::string> LibraryRecords::s_calls;
DWORD LibraryRecords::s_hostBridge;
bool LibraryRecords::s_mutexHeldDuringRead;

class FakeEntryPoints : public LibraryRecords {
protected:
    static BOOL __stdcall PCIConfigRead(DWORD bus, DWORD device, DWORD function, DWORD offset, DWORD *value,
                                        DWORD access) {
        s_calls.push_back("PCIConfigRead");
        EXPECT_EQ(0u, bus + device + function + offset);
        EXPECT_EQ(0x5A51502Eu, access);
        // Only the owning thread can release a mutex: that tells whether the caller holds it.
        HANDLE mutex = g_driverLibrary->mutex;
        s_mutexHeldDuringRead = ReleaseMutex(mutex) != FALSE;
        if (s_mutexHeldDuringRead) WaitForSingleObject(mutex, 0);
        *value = s_hostBridge;
        return TRUE;
    }
    static void __stdcall DriverRelease() { s_calls.push_back("DriverRelease"); }
    static BOOL __stdcall ByteRead(BYTE *value, BYTE address, BYTE reg) {
        s_calls.push_back("SMB_ByteRead " + std::to_string(address) + " " + std::to_string(reg));
        *value = 0x5A;
        return TRUE;
    }
    static BOOL __stdcall BlockRead3(BYTE *buffer, BYTE address, BYTE command) {
        s_calls.push_back("SMB_BlockRead3 " + std::to_string(address) + " " + std::to_string(command));
        buffer[4] = 0x77;
        return TRUE;
    }

    void InstallFakes() {
        g_driverLibrary->ready = 1;
        g_driverLibrary->PCIConfigRead = &PCIConfigRead;
        g_driverLibrary->DriverRelease = &DriverRelease;
        g_smbusLibrary->SMB_ByteRead = &ByteRead;
        g_smbusLibrary->SMB_BlockRead3 = &BlockRead3;
    }
};

TEST(DriverLibraryConstruction, LoadsLooksUpInitialisesThenCreatesTheMutex) {
    const bool mutexBefore = MutexExists(kDriverMutex);
    SimSmbusControl sim(SimSmbusControl::ProgramDirectory());
    ASSERT_TRUE(sim.DriverLoaded());
    sim.Reset();

    const std::wstring directory = SimSmbusControl::ProgramDirectory();
    DriverLibrary *driver = NewDriverLibrary(directory);

    HMODULE module = GetModuleHandleW((directory + L"\\Wendil.dll").c_str());
    const char *names[] = {"DriverInitialization", "ReadIoPortByte", "WriteIoPortByte", "ReadIoPortWord",
                           "WriteIoPortWord", "ReadCMOSByte", "WriteCMOSByte", "Rdmsr", "Wrmsr",
                           "ReadPhysicalMemory", "ReadPhysicalMemory_Byte", "WritePhysicalMemory_Byte",
                           "ReadPhysicalMemory_DWORD", "WritePhysicalMemory_DWORD", "PCIConfigRead",
                           "PCIConfigWrite", "DriverRelease"};
    void *fields[17];
    std::memcpy(fields, driver, sizeof fields);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(Export(module, names[i]), fields[i]) << "entry point " << i << " " << names[i];

    EXPECT_EQ(1, driver->ready);
    ASSERT_NE(nullptr, driver->mutex);
    EXPECT_TRUE(MutexExists(kDriverMutex));

    const std::string trace = sim.Trace();
    const std::string directoryUtf8(directory.begin(), directory.end());
    EXPECT_NE(std::string::npos, trace.find("DriverInitialization directory=\"" + directoryUtf8 + "\" (" +
                                            std::to_string(directory.size()) + " chars) instance=\"Parvio_FWUpdate\" "
                                            "(15 chars) access=5A51502E"))
        << trace;
    // The mutex comes after the initialisation (observable only while no earlier record made it).
    if (!mutexBefore) {
        EXPECT_NE(std::string::npos, trace.find("driver_mutex=absent")) << trace;
    }
}

TEST(DriverLibraryConstruction, DriverThatFailsToInitialiseStillLeavesTheMutex) {
    SimSmbusControl sim(SimSmbusControl::ProgramDirectory());
    ASSERT_TRUE(sim.Configure("driver_init=0\n"));

    const DriverLibrary *driver = NewDriverLibrary(SimSmbusControl::ProgramDirectory());

    EXPECT_EQ(0, driver->ready);
    EXPECT_NE(nullptr, driver->DriverInitialization);
    EXPECT_NE(nullptr, driver->mutex);
    EXPECT_TRUE(MutexExists(kDriverMutex));
}

TEST(DriverLibraryConstruction, MissingLibraryLeavesEveryEntryPointNullAndStillCreatesTheMutex) {
    const DriverLibrary *driver = NewDriverLibrary(NowhereDirectory());

    const std::array<BYTE, 17 * sizeof(void *)> zero{};
    EXPECT_EQ(0, std::memcmp(driver, zero.data(), zero.size()));
    EXPECT_EQ(0, driver->ready);
    EXPECT_NE(nullptr, driver->mutex);
}

TEST(SmbusLibraryConstruction, MissingLibraryStillCreatesBothMutexes) {
    const CString directory(NowhereDirectory().c_str());
    const SmbusLibrary smbus(directory);

    const std::array<BYTE, 13 * sizeof(void *)> zero{};
    EXPECT_EQ(0, std::memcmp(&smbus, zero.data(), zero.size()));
    EXPECT_EQ(0, smbus.initialized);
    EXPECT_EQ(nullptr, smbus.module);
    EXPECT_EQ(directory + L"\\Corrant.dll", smbus.dllPath);
    EXPECT_TRUE(MutexExists(kSmbusMutex));
    EXPECT_TRUE(MutexExists(kSmbusRenesasMutex));
}

TEST(SmbusLibraryConstruction, LooksUpAllThirteenEntryPointsInOrderAndCallsNone) {
    SimSmbusControl sim(SimSmbusControl::ProgramDirectory());
    sim.Reset();
    const std::wstring directory = SimSmbusControl::ProgramDirectory();

    const SmbusLibrary smbus(CString(directory.c_str()));

    ASSERT_NE(nullptr, smbus.module);
    const char *names[] = {"SMBusInitialization", "SMB_ByteRead", "SMB_ByteWrite", "SMB_BlockRead1",
                           "SMB_BlockWrite1", "SMB_BlockRead2", "SMB_BlockWrite2", "SMB_BlockRead3",
                           "SMB_BlockWrite3", "SMB_BlockRead", "SMBusGetAddress", "SMBusReload", "SMBusRelease"};
    void *fields[13];
    std::memcpy(fields, &smbus, sizeof fields);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(Export(smbus.module, names[i]), fields[i]) << "entry point " << i << " " << names[i];
    EXPECT_EQ(0, smbus.initialized);
    // Initialisation is the start-up checks' business, not the constructor's.
    EXPECT_EQ(std::string::npos, sim.Trace().find("Corrant")) << sim.Trace();
}

// Libraries that load but lack every name: nothing is called through a null entry point.
TEST_F(LibraryRecords, MissingEntryPointsAreNeverCalled) {
    const std::wstring bare = SimSmbusControl::ProgramDirectory() + L"\\smbus_bare";
    g_driverLibrary = NewDriverLibrary(bare);
    g_smbusLibrary = new SmbusLibrary(CString(bare.c_str()));
    ASSERT_NE(nullptr, g_smbusLibrary->module);
    EXPECT_EQ(0, g_driverLibrary->ready);
    EXPECT_EQ(nullptr, g_driverLibrary->DriverInitialization);

    // Even when the flags claim the libraries are usable.
    g_driverLibrary->ready = 1;
    g_smbusLibrary->initialized = 1;
    EXPECT_FALSE(IsIntelHostBridge());
    ReleaseDriverLibrary();
    std::array<BYTE, 256> status{};
    SmbusReadBlock(status.data());
    EXPECT_EQ((std::array<BYTE, 256>{}), status);
    EXPECT_EQ(0, SmbusReadByte(kSmbLedAddress, kSmbRegVerF));
    SendSmbusCommand(kSmbCmdRunApplication, true);
}

TEST_F(FakeEntryPoints, HostBridgeIsReadUnderTheMutexAndJudgedByItsLowHalf) {
    InstallFakes();
    struct Case {
        DWORD value;
        bool intel;
    } cases[] = {{0x3E308086, true}, {0x00008086, true}, {0x80861022, false}, {0x14501022, false}, {0, false}};
    for (const Case &c : cases) {
        s_hostBridge = c.value;
        s_mutexHeldDuringRead = false;
        EXPECT_EQ(c.intel, IsIntelHostBridge()) << std::hex << c.value;
        EXPECT_TRUE(s_mutexHeldDuringRead);
        // Released afterwards: this thread no longer owns it.
        EXPECT_FALSE(ReleaseMutex(g_driverLibrary->mutex));
    }
    EXPECT_EQ(5u, s_calls.size());
}

TEST_F(FakeEntryPoints, HostBridgeIsNotReadWhileTheDriverIsNotUsable) {
    InstallFakes();
    s_hostBridge = 0x8086;
    g_driverLibrary->ready = 0;
    EXPECT_FALSE(IsIntelHostBridge());
    g_driverLibrary->ready = 1;
    g_driverLibrary->mutex = nullptr;
    EXPECT_FALSE(IsIntelHostBridge());
    EXPECT_TRUE(s_calls.empty());
}

TEST_F(FakeEntryPoints, EachReleaseCallsDriverReleaseAgain) {
    InstallFakes();
    ReleaseDriverLibrary();
    ReleaseDriverLibrary();
    EXPECT_EQ((std::vector<std::string>{"DriverRelease", "DriverRelease"}), s_calls);

    g_driverLibrary->ready = 0;
    ReleaseDriverLibrary();
    EXPECT_EQ(2u, s_calls.size());
}

TEST_F(FakeEntryPoints, ReadsBeforeInitialisationCallNothing) {
    InstallFakes();
    EXPECT_EQ(0, SmbusReadByte(kSmbLedAddress, kSmbRegVerF));
    std::array<BYTE, 256> status{};
    SmbusReadBlock(status.data());
    EXPECT_EQ((std::array<BYTE, 256>{}), status);

    g_smbusLibrary = nullptr;
    EXPECT_EQ(0, SmbusReadByte(kSmbLedAddress, kSmbRegVerF));
    SmbusReadBlock(status.data());
    EXPECT_TRUE(s_calls.empty());
}

TEST_F(FakeEntryPoints, ReadsOnceInitialisedGoToTheController) {
    InstallFakes();
    g_smbusLibrary->initialized = 1;
    EXPECT_EQ(0x5A, SmbusReadByte(kSmbDummyReadAddress, 0x00));
    std::array<BYTE, 256> status{};
    SmbusReadBlock(status.data());
    EXPECT_EQ(0x77, status[4]);
    EXPECT_EQ((std::vector<std::string>{"SMB_ByteRead 160 0", "SMB_BlockRead3 82 37"}), s_calls);
}
}  // namespace
