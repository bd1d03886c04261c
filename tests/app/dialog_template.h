// Reads an extended dialog template (DLGTEMPLATEEX) of this program's resources.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // "#128" style for ordinals
    std::wstring text;       // "#128" style for ordinals
};

struct DialogTemplate {
    bool found = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::vector<TemplateItem> items;
};

DialogTemplate ReadDialogTemplate(WORD id, WORD language);

