// The version fields that the firmware image's file name carries.
#pragma once

#include "framework/cstring.h"

struct ImageVersionFields {
    CString ledVerF;
    CString ledVerS;
    CString loaderVerF;  // SMBus form only
    CString loaderVerS;  // SMBus form only
};

// USB form: the two 2-character fields after the first "_v".
ImageVersionFields UsbImageVersionFields(const CString &fileName);
// SMBus form: two 2-character fields on each side of the first "_".
ImageVersionFields SmbusImageVersionFields(const CString &fileName);
// The low 8 bits of a field's number, as the version checks compare it.
BYTE ImageFieldByte(const CString &field);
