// The SMBIOS read through COM under Wine: from the stand-in locator registered in this
// process, and from Wine's own provider.
#include <gtest/gtest.h>
#include <wbemidl.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "board/smbios.h"
#include "sim/wmi/in_process_locator.h"
#include "sim/wmi/wbem_standin.h"

namespace {

using Call = SmbiosScenario::FailingCall;
using Calls = std::vector<std::wstring>;

const std::wstring kCreate = L"CreateInstance outer=null iid=IWbemLocator";
const std::wstring kConnect =
    L"ConnectServer ROOT\\WMI user=null password=null locale=null flags=0 authority=null context=null";
const std::wstring kBlanket = L"SetBlanket proxy=services authn=10 authz=0 principal=null level=3 "
                              L"impersonation=3 identity=null capabilities=0";
const std::wstring kEnumerate = L"CreateInstanceEnum MSSMBios_RawSMBiosTables flags=0 context=null";
const std::wstring kNext = L"Next timeout=-1 count=1";
const std::wstring kGetMajor = L"Get SmbiosMajorVersion flags=0";
const std::wstring kGetMinor = L"Get SmbiosMinorVersion flags=0";
const std::wstring kGetData = L"Get SMBiosData flags=0";
const std::wstring kReleaseObject = L"Released IWbemClassObject";
const std::wstring kReleaseEnumerator = L"Released IEnumWbemClassObject";
const std::wstring kReleaseServices = L"Released IWbemServices";
const std::wstring kReleaseLocator = L"Released IWbemLocator";

SmbiosScenario BoardScenario() {
    SmbiosScenario scenario;
    scenario.table = BuildBaseboardTable({"QYX", "TESSALY Z790 GAMING (QZ-2C52)", "2", "SN0001"});
    return scenario;
}

class SmbiosThroughCom : public ::testing::Test {
protected:
    void SetUp() override {
        // The test's own apartment keeps the registration alive between the reader's
        // CoInitialize and CoUninitialize.
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        EmptyTable();
        ClearStandinCalls();
    }
    void TearDown() override {
        EmptyTable();
        CoUninitialize();
    }
    static void EmptyTable() {
        delete[] g_smbiosTable.data;
        g_smbiosTable = RawSmbiosTable{};
    }
    static bool ReadWith(const SmbiosScenario &scenario) {
        InProcessLocator locator(scenario);
        EXPECT_TRUE(locator.Registered());
        return ReadSmbiosTable() == TRUE;
    }
};

TEST_F(SmbiosThroughCom, StandinBoardGivesItsCodeAndRevision) {
    const SmbiosScenario scenario = BoardScenario();
    ASSERT_TRUE(ReadWith(scenario));

    EXPECT_EQ(g_smbiosTable.majorVersion, 3);
    EXPECT_EQ(g_smbiosTable.minorVersion, 4);
    ASSERT_EQ(g_smbiosTable.length, static_cast<INT32>(scenario.table.size()));
    EXPECT_EQ(std::vector<BYTE>(g_smbiosTable.data, g_smbiosTable.data + g_smbiosTable.length), scenario.table);

    // What the start-up does with it.
    BaseboardInfo baseboard = {};
    ASSERT_TRUE(ReadBaseboardInfo(baseboard));
    EXPECT_EQ(GetBoardCode(CString(baseboard.productText)), 0x2C52);
    EXPECT_EQ(_wtoi(CString(baseboard.versionText)), 2);

    const Calls expected = {kCreate, kConnect, kBlanket, kEnumerate, kNext, kGetMajor, kGetMinor, kGetData,
                            L"Served " + std::to_wstring(scenario.table.size()) + L" table bytes",
                            kReleaseObject, kReleaseEnumerator, kReleaseServices, kReleaseLocator};
    EXPECT_EQ(StandinCalls(), expected);
    EXPECT_EQ(StandinLiveObjects(), 0);
}

struct FailingStep {
    Call call;
    Calls lastCalls;  // the calls from the failing one to the end
    BYTE majorKept;
};

class SmbiosFailingStep : public SmbiosThroughCom, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(SmbiosFailingStep, GivesFalseKeepsNoDataAndReleasesEverything) {
    SmbiosScenario scenario = BoardScenario();
    scenario.failingCall = GetParam().call;
    EXPECT_FALSE(ReadWith(scenario));

    EXPECT_EQ(g_smbiosTable.data, nullptr);
    EXPECT_EQ(g_smbiosTable.length, 0);
    EXPECT_EQ(g_smbiosTable.majorVersion, GetParam().majorKept);
    EXPECT_EQ(StandinLiveObjects(), 0);
    const Calls calls = StandinCalls();
    const Calls &tail = GetParam().lastCalls;
    ASSERT_GE(calls.size(), tail.size());
    EXPECT_EQ(Calls(calls.end() - static_cast<long>(tail.size()), calls.end()), tail);
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, SmbiosFailingStep,
    ::testing::Values(
        FailingStep{Call::ConnectServer, {kConnect, kReleaseLocator}, 0},
        FailingStep{Call::SetBlanket, {kBlanket, kReleaseServices, kReleaseLocator}, 0},
        FailingStep{Call::CreateInstanceEnum, {kEnumerate, kReleaseServices, kReleaseLocator}, 0},
        FailingStep{Call::Next, {kNext, kReleaseEnumerator, kReleaseServices, kReleaseLocator}, 0},
        FailingStep{Call::SmbiosMajorVersion,
                    {kGetMajor, kReleaseObject, kReleaseEnumerator, kReleaseServices, kReleaseLocator}, 0},
        FailingStep{Call::SmbiosMinorVersion,
                    {kGetMinor, kReleaseObject, kReleaseEnumerator, kReleaseServices, kReleaseLocator}, 3},
        FailingStep{Call::SMBiosData,
                    {kGetData, kReleaseObject, kReleaseEnumerator, kReleaseServices, kReleaseLocator}, 3}));

TEST_F(SmbiosThroughCom, ClassWithoutInstanceGivesFalse) {
    SmbiosScenario scenario = BoardScenario();
    scenario.instances = 0;
    EXPECT_FALSE(ReadWith(scenario));
    EXPECT_EQ(g_smbiosTable.data, nullptr);
    EXPECT_EQ(StandinLiveObjects(), 0);
    EXPECT_EQ(StandinCalls().back(), kReleaseLocator);
}

TEST_F(SmbiosThroughCom, DataOfAnotherTypeGivesFalseAndKeepsNothing) {
    for (SmbiosScenario::DataKind kind :
         {SmbiosScenario::DataKind::Null, SmbiosScenario::DataKind::SignedBytes, SmbiosScenario::DataKind::Object}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ClearStandinCalls();
        SmbiosScenario scenario = BoardScenario();
        scenario.data = kind;
        EXPECT_FALSE(ReadWith(scenario));
        EXPECT_EQ(g_smbiosTable.data, nullptr);
        EXPECT_EQ(g_smbiosTable.length, 0);
        EXPECT_EQ(StandinLiveObjects(), 0);  // for the object: the VARIANT was cleared
    }
}

TEST_F(SmbiosThroughCom, VersionsAreTheLowByteWhateverTheirType) {
    SmbiosScenario scenario = BoardScenario();
    scenario.versionType = VT_I4;
    scenario.majorVersion = 0x0203;
    scenario.minorVersion = 0x1207;
    ASSERT_TRUE(ReadWith(scenario));
    EXPECT_EQ(g_smbiosTable.majorVersion, 0x03);
    EXPECT_EQ(g_smbiosTable.minorVersion, 0x07);
}

TEST_F(SmbiosThroughCom, EmptyByteArrayIsATableWithoutBaseboard) {
    SmbiosScenario scenario;
    ASSERT_TRUE(ReadWith(scenario));
    EXPECT_EQ(g_smbiosTable.length, 0);
    BaseboardInfo baseboard = {};
    EXPECT_FALSE(ReadBaseboardInfo(baseboard));
    EXPECT_EQ(GetBoardCode(CString(baseboard.productText)), 0);
}

// A reader that strays from the one way to call fails, not only leaves a different trace.
TEST_F(SmbiosThroughCom, StandinRefusesOtherArguments) {
    InProcessLocator registration(BoardScenario());
    IWbemLocator *locator = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                           reinterpret_cast<void **>(&locator))));
    BSTR nameSpace = SysAllocString(L"ROOT\\WMI");
    BSTR className = SysAllocString(L"MSSMBios_RawSMBiosTables");
    auto blanket = [](IUnknown *services, DWORD level) {
        return CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, level,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    };

    IWbemServices *services = nullptr;
    EXPECT_TRUE(FAILED(locator->ConnectServer(nameSpace, nullptr, nullptr, nullptr, 0x80, nullptr, nullptr, &services)));
    ASSERT_TRUE(SUCCEEDED(locator->ConnectServer(nameSpace, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services)));
    IEnumWbemClassObject *enumerator = nullptr;
    EXPECT_EQ(services->CreateInstanceEnum(className, 0, nullptr, &enumerator), WBEM_E_ACCESS_DENIED) << "no blanket";
    EXPECT_TRUE(FAILED(blanket(services, RPC_C_AUTHN_LEVEL_CONNECT)));
    EXPECT_EQ(services->CreateInstanceEnum(className, 0, nullptr, &enumerator), WBEM_E_ACCESS_DENIED);
    ASSERT_TRUE(SUCCEEDED(blanket(services, RPC_C_AUTHN_LEVEL_CALL)));
    EXPECT_TRUE(FAILED(services->CreateInstanceEnum(className, WBEM_FLAG_FORWARD_ONLY, nullptr, &enumerator)));
    ASSERT_TRUE(SUCCEEDED(services->CreateInstanceEnum(className, 0, nullptr, &enumerator)));

    IWbemClassObject *objects[2] = {};
    ULONG returned = 0;
    EXPECT_TRUE(FAILED(enumerator->Next(1000, 1, objects, &returned)));
    EXPECT_TRUE(FAILED(enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 2, objects, &returned)));
    ASSERT_EQ(enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1, objects, &returned), WBEM_S_NO_ERROR);
    VARIANT value;
    VariantInit(&value);
    EXPECT_TRUE(FAILED(objects[0]->Get(L"SMBiosData", 1, &value, nullptr, nullptr)));
    EXPECT_EQ(V_VT(&value), VT_EMPTY);

    objects[0]->Release();
    enumerator->Release();
    services->Release();
    locator->Release();
    SysFreeString(className);
    SysFreeString(nameSpace);
    int refused = 0;
    for (const std::wstring &call : StandinCalls()) refused += call.rfind(L"Refused ", 0) == 0;
    EXPECT_EQ(refused, 8);
    EXPECT_EQ(StandinLiveObjects(), 0);
}

TEST_F(SmbiosThroughCom, WinesOwnProviderServesNoTable) {
    // No stand-in registered: the locator comes from Wine's wbemprox, which serves the class
    // as one empty row.
    IWbemLocator *locator = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                           reinterpret_cast<void **>(&locator))));
    locator->Release();

    EXPECT_FALSE(ReadSmbiosTable());
    EXPECT_EQ(g_smbiosTable.data, nullptr);
    EXPECT_EQ(g_smbiosTable.length, 0);
    EXPECT_TRUE(StandinCalls().empty());

    BaseboardInfo baseboard = {};
    EXPECT_FALSE(ReadBaseboardInfo(baseboard));
    EXPECT_EQ(GetBoardCode(CString(baseboard.productText)), 0);
    EXPECT_EQ(_wtoi(CString(baseboard.versionText)), 0);
}

}  // namespace
