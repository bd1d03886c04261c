// The firmware image: the first "*.bin" of the current directory, read whole.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cstring.h"

// The file name (without folder) of the first "*.bin" the search returns; false when none.
bool FindFirmwareImage(CString &fileName);

// Reads the file one byte per read, in file order. False when it cannot be opened for
// reading and writing, is larger than any controller holds or than memory allows, or the
// bytes read fall short of its length: the caller must not send what it holds then.
bool ReadFirmwareImage(const CString &path, std::vector<BYTE> &bytes);
