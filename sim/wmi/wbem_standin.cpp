#include "sim/wmi/wbem_standin.h"

#include <wbemidl.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <mutex>

namespace {

std::atomic<long> g_liveObjects{0};
std::atomic<long> g_liveFactories{0};
std::atomic<long> g_serverLocks{0};

std::mutex g_callsLock;
std::vector<std::wstring> g_calls;
std::wstring g_traceFile;

void Record(const std::wstring &line) {
    std::lock_guard<std::mutex> hold(g_callsLock);
    g_calls.push_back(line);
    if (g_traceFile.empty()) return;
    HANDLE file = CreateFileW(g_traceFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::wstring withEnd = line + L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), nullptr, 0,
                                    nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), &utf8[0], bytes, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring Text(const wchar_t *text) { return text ? std::wstring(text) : std::wstring(L"null"); }
std::wstring Pointer(const void *pointer) { return pointer ? L"set" : L"null"; }
std::wstring Number(long long value) { return std::to_wstring(value); }

std::wstring InterfaceName(REFIID iid) {
    if (IsEqualIID(iid, IID_IWbemLocator)) return L"IWbemLocator";
    if (IsEqualIID(iid, IID_IUnknown)) return L"IUnknown";
    wchar_t text[40] = {};
    StringFromGUID2(iid, text, 40);
    return text;
}

std::wstring Widen(const char *text) {
    std::wstring wide;
    while (*text) wide += static_cast<wchar_t>(*text++);
    return wide;
}

bool CallFails(const SmbiosScenario &scenario, SmbiosScenario::FailingCall call) {
    return scenario.failingCall == call;
}

// Stricter than WMI: the SMBIOS read has one way to call, and any other argument fails the
// call so that a test notices it instead of only finding it in the trace.
HRESULT Refuse(const wchar_t *call) {
    Record(std::wstring(L"Refused ") + call + L": arguments other than the SMBIOS read passes");
    return WBEM_E_INVALID_PARAMETER;
}

// Reference counting shared by every stand-in object; `Interface` is the primary interface,
// reached also as IUnknown.
template <typename Interface>
class Counted : public Interface {
public:
    Counted(const wchar_t *name, std::shared_ptr<const SmbiosScenario> scenario)
        : m_name(name), m_scenario(std::move(scenario)) {
        ++g_liveObjects;
    }
    virtual ~Counted() {
        Record(std::wstring(L"Released ") + m_name);
        --g_liveObjects;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --m_references;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    const SmbiosScenario &Scenario() const { return *m_scenario; }
    std::shared_ptr<const SmbiosScenario> SharedScenario() const { return m_scenario; }
    HRESULT Give(void *self, void **object) {
        *object = self;
        AddRef();
        return S_OK;
    }

private:
    const wchar_t *m_name;
    std::shared_ptr<const SmbiosScenario> m_scenario;
    std::atomic<long> m_references{1};
};

// What a VT_UNKNOWN "SMBiosData" holds: only its release matters.
class HeldObject : public Counted<IUnknown> {
public:
    HeldObject() : Counted(L"value object", nullptr) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown)) return Give(static_cast<IUnknown *>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
};

SAFEARRAY *TableArray(const std::vector<BYTE> &table, VARTYPE elementType) {
    SAFEARRAY *array = SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(table.size()));
    if (!array) return nullptr;
    void *data = nullptr;
    if (!table.empty() && SUCCEEDED(SafeArrayAccessData(array, &data))) {
        std::memcpy(data, table.data(), table.size());
        SafeArrayUnaccessData(array);
    }
    return array;
}

class ClassObject : public Counted<IWbemClassObject> {
public:
    explicit ClassObject(std::shared_ptr<const SmbiosScenario> scenario)
        : Counted(L"IWbemClassObject", std::move(scenario)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWbemClassObject))
            return Give(static_cast<IWbemClassObject *>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT *value, CIMTYPE *type, LONG *flavor) override {
        Record(L"Get " + Text(name) + L" flags=" + Number(flags));
        if (!name || !value) return WBEM_E_INVALID_PARAMETER;
        if (flags != 0) return Refuse(L"Get");
        const SmbiosScenario &scenario = Scenario();
        using Call = SmbiosScenario::FailingCall;
        if (flavor) *flavor = WBEM_FLAVOR_ORIGIN_LOCAL;

        if (_wcsicmp(name, L"SmbiosMajorVersion") == 0 || _wcsicmp(name, L"SmbiosMinorVersion") == 0) {
            const bool major = _wcsicmp(name, L"SmbiosMajorVersion") == 0;
            if (CallFails(scenario, major ? Call::SmbiosMajorVersion : Call::SmbiosMinorVersion))
                return WBEM_E_FAILED;
            const LONG number = major ? scenario.majorVersion : scenario.minorVersion;
            std::memset(value, 0, sizeof *value);
            V_VT(value) = scenario.versionType;
            if (scenario.versionType == VT_I4) V_I4(value) = number;
            else V_UI1(value) = static_cast<BYTE>(number);
            if (type) *type = CIM_UINT8;
            return WBEM_S_NO_ERROR;
        }
        if (_wcsicmp(name, L"SMBiosData") == 0) {
            if (CallFails(scenario, Call::SMBiosData)) return WBEM_E_FAILED;
            return ServeTable(value, type);
        }
        return WBEM_E_NOT_FOUND;
    }

    // Nothing else of the class object is used by the SMBIOS read.
    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR, LONG, VARIANT *, CIMTYPE) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT *, SAFEARRAY **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR *, VARIANT *, CIMTYPE *, LONG *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EndEnumeration() override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject **, IWbemClassObject **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject *, IWbemClassObject *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR *, IWbemClassObject **, IWbemClassObject **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR *) override { return WBEM_E_NOT_SUPPORTED; }

private:
    HRESULT ServeTable(VARIANT *value, CIMTYPE *type) {
        const SmbiosScenario &scenario = Scenario();
        std::memset(value, 0, sizeof *value);
        if (type) *type = CIM_UINT8 | CIM_FLAG_ARRAY;
        switch (scenario.data) {
        case SmbiosScenario::DataKind::ByteArray:
        case SmbiosScenario::DataKind::SignedBytes: {
            const bool bytes = scenario.data == SmbiosScenario::DataKind::ByteArray;
            SAFEARRAY *array = TableArray(scenario.table, bytes ? VT_UI1 : VT_I1);
            if (!array) return WBEM_E_OUT_OF_MEMORY;
            V_VT(value) = VT_ARRAY | (bytes ? VT_UI1 : VT_I1);
            V_ARRAY(value) = array;
            Record(L"Served " + Number(static_cast<long long>(scenario.table.size())) +
                   (bytes ? L" table bytes" : L" table bytes as VT_I1"));
            return WBEM_S_NO_ERROR;
        }
        case SmbiosScenario::DataKind::Null:
            V_VT(value) = VT_NULL;
            Record(L"Served an empty row");
            return WBEM_S_NO_ERROR;
        case SmbiosScenario::DataKind::Object:
            V_VT(value) = VT_UNKNOWN;
            V_UNKNOWN(value) = new HeldObject();
            Record(L"Served an object");
            return WBEM_S_NO_ERROR;
        }
        return WBEM_E_FAILED;
    }
};

class InstanceEnumerator : public Counted<IEnumWbemClassObject> {
public:
    explicit InstanceEnumerator(std::shared_ptr<const SmbiosScenario> scenario)
        : Counted(L"IEnumWbemClassObject", std::move(scenario)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumWbemClassObject))
            return Give(static_cast<IEnumWbemClassObject *>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject **objects, ULONG *returned) override {
        Record(L"Next timeout=" + Number(timeout) + L" count=" + Number(count));
        if (!objects || !returned) return WBEM_E_INVALID_PARAMETER;
        *returned = 0;
        if (timeout != static_cast<LONG>(WBEM_INFINITE) || count != 1) return Refuse(L"Next");
        if (CallFails(Scenario(), SmbiosScenario::FailingCall::Next)) return WBEM_E_FAILED;
        while (*returned < count && m_served < Scenario().instances) {
            objects[(*returned)++] = new ClassObject(SharedScenario());
            ++m_served;
        }
        return *returned == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_served = 0;
        return WBEM_S_NO_ERROR;
    }
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE Skip(LONG, ULONG) override { return WBEM_E_NOT_SUPPORTED; }

private:
    int m_served = 0;
};

// The namespace. CoSetProxyBlanket reaches SetBlanket through IClientSecurity, as it does
// on the proxy of the real provider.
class Services : public Counted<IWbemServices>, public IClientSecurity {
public:
    explicit Services(std::shared_ptr<const SmbiosScenario> scenario)
        : Counted(L"IWbemServices", std::move(scenario)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWbemServices))
            return Give(static_cast<IWbemServices *>(this), object);
        if (IsEqualIID(iid, IID_IClientSecurity)) return Give(static_cast<IClientSecurity *>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Counted::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Counted::Release(); }

    HRESULT STDMETHODCALLTYPE SetBlanket(IUnknown *proxy, DWORD authnService, DWORD authzService,
                                         OLECHAR *principal, DWORD authnLevel, DWORD impersonationLevel,
                                         void *identity, DWORD capabilities) override {
        Record(L"SetBlanket proxy=" + std::wstring(proxy == static_cast<IWbemServices *>(this) ? L"services" : L"other") +
               L" authn=" + Number(authnService) + L" authz=" + Number(authzService) + L" principal=" +
               Text(principal) + L" level=" + Number(authnLevel) + L" impersonation=" + Number(impersonationLevel) +
               L" identity=" + Pointer(identity) + L" capabilities=" + Number(capabilities));
        if (proxy != static_cast<IWbemServices *>(this) || authnService != RPC_C_AUTHN_WINNT ||
            authzService != RPC_C_AUTHZ_NONE || principal || authnLevel != RPC_C_AUTHN_LEVEL_CALL ||
            impersonationLevel != RPC_C_IMP_LEVEL_IMPERSONATE || identity || capabilities != EOAC_NONE) {
            Refuse(L"SetBlanket");
            return E_INVALIDARG;
        }
        if (CallFails(Scenario(), SmbiosScenario::FailingCall::SetBlanket)) return E_ACCESSDENIED;
        m_blanketSet = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryBlanket(IUnknown *, DWORD *, DWORD *, OLECHAR **, DWORD *, DWORD *, void **,
                                           DWORD *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CopyProxy(IUnknown *, IUnknown **) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR className, LONG flags, IWbemContext *context,
                                                 IEnumWbemClassObject **enumerator) override {
        Record(L"CreateInstanceEnum " + Text(className) + L" flags=" + Number(flags) + L" context=" +
               Pointer(context));
        if (!enumerator) return WBEM_E_INVALID_PARAMETER;
        *enumerator = nullptr;
        if (flags != 0 || context) return Refuse(L"CreateInstanceEnum");
        // The provider needs the caller's identity, which only the proxy blanket lends it.
        if (!m_blanketSet) {
            Record(L"Refused CreateInstanceEnum: no proxy blanket set");
            return WBEM_E_ACCESS_DENIED;
        }
        if (CallFails(Scenario(), SmbiosScenario::FailingCall::CreateInstanceEnum)) return WBEM_E_FAILED;
        if (!className || _wcsicmp(className, L"MSSMBios_RawSMBiosTables") != 0) return WBEM_E_INVALID_CLASS;
        *enumerator = new InstanceEnumerator(SharedScenario());
        return WBEM_S_NO_ERROR;
    }

    // Nothing else of the namespace is used by the SMBIOS read.
    HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext *, IWbemServices **,
                                            IWbemCallResult **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink *) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink **) override { return WBEM_E_NOT_SUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR, LONG, IWbemContext *, IWbemClassObject **,
                                        IWbemCallResult **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject *, LONG, IWbemContext *, IWbemCallResult **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject *, LONG, IWbemContext *, IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext *, IWbemCallResult **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext *, IEnumWbemClassObject **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject *, LONG, IWbemContext *, IWbemCallResult **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject *, LONG, IWbemContext *,
                                               IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR, LONG, IWbemContext *, IWbemCallResult **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext *,
                                                      IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR, const BSTR, LONG, IWbemContext *,
                                        IEnumWbemClassObject **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext *,
                                             IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext *,
                                                    IEnumWbemClassObject **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext *,
                                                         IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR, const BSTR, LONG, IWbemContext *, IWbemClassObject *,
                                         IWbemClassObject **, IWbemCallResult **) override {
        return WBEM_E_NOT_SUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext *, IWbemClassObject *,
                                              IWbemObjectSink *) override {
        return WBEM_E_NOT_SUPPORTED;
    }

private:
    bool m_blanketSet = false;
};

class Locator : public Counted<IWbemLocator> {
public:
    explicit Locator(std::shared_ptr<const SmbiosScenario> scenario) : Counted(L"IWbemLocator", std::move(scenario)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWbemLocator))
            return Give(static_cast<IWbemLocator *>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR nameSpace, const BSTR user, const BSTR password,
                                            const BSTR locale, LONG securityFlags, const BSTR authority,
                                            IWbemContext *context, IWbemServices **services) override {
        Record(L"ConnectServer " + Text(nameSpace) + L" user=" + Text(user) + L" password=" + Text(password) +
               L" locale=" + Text(locale) + L" flags=" + Number(securityFlags) + L" authority=" + Text(authority) +
               L" context=" + Pointer(context));
        if (!services) return WBEM_E_INVALID_PARAMETER;
        *services = nullptr;
        if (user || password || locale || securityFlags != 0 || authority || context) return Refuse(L"ConnectServer");
        if (CallFails(Scenario(), SmbiosScenario::FailingCall::ConnectServer)) return WBEM_E_FAILED;
        if (!nameSpace || _wcsicmp(nameSpace, L"ROOT\\WMI") != 0) return WBEM_E_INVALID_NAMESPACE;
        *services = new Services(SharedScenario());
        return WBEM_S_NO_ERROR;
    }
};

class LocatorFactory : public IClassFactory {
public:
    LocatorFactory(std::shared_ptr<const SmbiosScenario> scenario, const wchar_t *scenarioPath)
        : m_scenario(std::move(scenario)), m_scenarioPath(scenarioPath ? scenarioPath : L""),
          m_fromFile(scenarioPath != nullptr) {
        ++g_liveFactories;
    }
    virtual ~LocatorFactory() { --g_liveFactories; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --m_references;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override {
        Record(L"CreateInstance outer=" + Pointer(outer) + L" iid=" + InterfaceName(iid));
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        std::shared_ptr<const SmbiosScenario> scenario = m_scenario;
        if (m_fromFile) {
            auto loaded = std::make_shared<SmbiosScenario>();
            std::string error;
            if (!LoadSmbiosScenario(m_scenarioPath, *loaded, error)) {
                Record(L"Scenario " + m_scenarioPath + L" not usable: " + Widen(error.c_str()));
                return E_FAIL;
            }
            scenario = loaded;
        }
        Locator *locator = new Locator(scenario);
        HRESULT result = locator->QueryInterface(iid, object);
        locator->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) ++g_serverLocks;
        else --g_serverLocks;
        return S_OK;
    }

private:
    std::shared_ptr<const SmbiosScenario> m_scenario;
    std::wstring m_scenarioPath;
    bool m_fromFile;
    std::atomic<long> m_references{1};
};

}  // namespace

IClassFactory *CreateStandinLocatorFactory(std::shared_ptr<const SmbiosScenario> scenario) {
    return new LocatorFactory(std::move(scenario), nullptr);
}

IClassFactory *CreateStandinLocatorFactoryFromFile(const wchar_t *scenarioPath) {
    if (scenarioPath) return new LocatorFactory(nullptr, scenarioPath);
    auto emptyRow = std::make_shared<SmbiosScenario>();
    emptyRow->data = SmbiosScenario::DataKind::Null;
    return new LocatorFactory(emptyRow, nullptr);
}

std::vector<std::wstring> StandinCalls() {
    std::lock_guard<std::mutex> hold(g_callsLock);
    return g_calls;
}

void ClearStandinCalls() {
    std::lock_guard<std::mutex> hold(g_callsLock);
    g_calls.clear();
}

void SetStandinTraceFile(const wchar_t *path) {
    std::lock_guard<std::mutex> hold(g_callsLock);
    g_traceFile = path ? WindowsPathOf(path) : L"";
}

void TraceStandin(const std::wstring &line) { Record(line); }

long StandinLiveObjects() { return g_liveObjects; }
long StandinServerLocks() { return g_serverLocks; }
long StandinLiveFactories() { return g_liveFactories; }
