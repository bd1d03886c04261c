// The application object: single-instance guard, framework set-up and the modal main dialog.
#pragma once

#include "framework/afxwinapp.h"

class CVantorApp : public CWinApp {
public:
    CVantorApp();

    BOOL InitInstance() override;
};

extern CVantorApp theApp;
