// What a program file imports from one DLL, read from the import table of the file itself.
#pragma once

#include <string>
#include <vector>

// The names imported from `dll` (compared without regard to case), in table order; imports by
// ordinal show as "#<ordinal>". Empty when the file cannot be read or imports nothing from it.
std::vector<std::string> ImportedNames(const std::wstring &programPath, const std::string &dll);
