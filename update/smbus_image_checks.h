// The SMBus version checks: may the image found be written into this controller?
#pragma once

#include <windows.h>

#include "framework/cstring.h"
#include "update/image_name.h"

struct ControllerVersions {
    BYTE ledVerF;
    BYTE ledVerS;
    BYTE loaderVerF;
    BYTE loaderVerS;
};

// The first check that fires, in the order they are made.
enum class SmbusImageVerdict {
    kAccepted,        // same LED VerF, controller's LED VerS not above the image's
    kLoaderMismatch,  // loader VerF or VerS differs
    kLedMismatch,     // LED VerF differs, higher or lower
    kLedNewer,        // controller's LED VerS above the image's
};

SmbusImageVerdict CheckSmbusImage(const ImageVersionFields &image, const ControllerVersions &controller);

// The refusal as the status line and the silent "Msg" give it (empty when accepted).
CString VerdictText(SmbusImageVerdict verdict);
// The refusal as the interactive message box gives it: the text, then the controller's
// version in question, "%X" per byte with nothing between them.
CString VerdictMessage(SmbusImageVerdict verdict, const ControllerVersions &controller);
