#include "sim/wmi/in_process_locator.h"

#include <wbemidl.h>

#include "sim/wmi/wbem_standin.h"

InProcessLocator::InProcessLocator(const SmbiosScenario &scenario) {
    IClassFactory *factory = CreateStandinLocatorFactory(std::make_shared<SmbiosScenario>(scenario));
    // COM keeps its own reference while the class is registered.
    if (FAILED(CoRegisterClassObject(CLSID_WbemLocator, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &m_cookie)))
        m_cookie = 0;
    factory->Release();
}

InProcessLocator::~InProcessLocator() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
}
