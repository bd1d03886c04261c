// Inert stand-ins for the framework's shell manager, visual manager and control container:
// the program sets them up as a framework application does, and nothing here draws or hosts.
#pragma once

struct CRuntimeClass {
    const char *m_lpszClassName;
};

#define RUNTIME_CLASS(className) (&className::runtimeClass)

class CShellManager {};

class CMFCVisualManager {
public:
    static void SetDefaultManager(CRuntimeClass *managerClass);
};

class CMFCVisualManagerWindows : public CMFCVisualManager {
public:
    static inline CRuntimeClass runtimeClass = {"CMFCVisualManagerWindows"};
};

void AfxEnableControlContainer();
