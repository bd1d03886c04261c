#include "framework/afxshell.h"

void CMFCVisualManager::SetDefaultManager(CRuntimeClass *) {}

void AfxEnableControlContainer() {}
