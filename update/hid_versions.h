// The controller's USB version pair as the texts show it, as the log and the registry record
// it, and the gate both the start-up checks and the update flow apply to the image.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

// "%02X%02X": the registry values and the version lines.
inline CString VersionPairText(BYTE verF, BYTE verS) {
    CString text;
    text.Format(L"%02X%02X", verF, verS);
    return text;
}

// Logs "Loder verf, vers: %X, %X"; g_loaderVersion and "Loder Version" get the pair's text.
void RecordLoaderVersion(BYTE verF, BYTE verS);
// Logs "LED VerF : %X" and "LED VerS : %X"; g_ledVersion and "LED Version" get the pair's text.
void RecordLedVersion(BYTE verF, BYTE verS);

// The controller runs newer firmware than the image: the image must not be written.
// Equal versions may be written again.
inline bool IsControllerNewer(BYTE ledVerF, BYTE ledVerS, BYTE imageVerF, BYTE imageVerS) {
    return ledVerF > imageVerF || (ledVerF == imageVerF && ledVerS > imageVerS);
}
