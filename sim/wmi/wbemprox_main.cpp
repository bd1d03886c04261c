// wbemprox.dll stand-in: Wine loads it in place of its own provider when the locator's
// InprocServer32 names the bare "wbemprox.dll" and this file lies beside the program.
// VANTOR_SMBIOS_SCENARIO names the scenario file (unset: an empty row, as Wine serves);
// VANTOR_SMBIOS_TRACE names a file that receives one line per call.
#include <windows.h>
#include <wbemidl.h>

#include <string>

#include "sim/wmi/wbem_standin.h"

namespace {

std::wstring Environment(const wchar_t *name) {
    wchar_t value[MAX_PATH * 2];
    DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return std::wstring();
    return std::wstring(value, length);
}

std::wstring ThisModulePath() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Environment), &module);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_WbemLocator)) return CLASS_E_CLASSNOTAVAILABLE;

    const std::wstring trace = Environment(L"VANTOR_SMBIOS_TRACE");
    SetStandinTraceFile(trace.empty() ? nullptr : trace.c_str());
    const std::wstring scenario = Environment(L"VANTOR_SMBIOS_SCENARIO");
    TraceStandin(L"Stand-in " + ThisModulePath() + L" scenario=" + (scenario.empty() ? L"none" : scenario));

    IClassFactory *factory = CreateStandinLocatorFactoryFromFile(scenario.empty() ? nullptr : scenario.c_str());
    HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return StandinLiveObjects() == 0 && StandinLiveFactories() == 0 && StandinServerLocks() == 0 ? S_OK : S_FALSE;
}
