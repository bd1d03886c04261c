// Reading the controller's two versions over the SMBus, with their log lines and registry values.
#pragma once

#include <windows.h>

// Brings the controller to its application firmware so that its version registers answer:
// other hosts open with the dummy read and 500 ms; then 0x24 and 500 ms.
void ResumeForVersionRead(bool intelHost);

// 0x20 for the host kind, then the 4500 ms the loader needs before it answers.
void EnterLoaderAndWait(bool intelHost);

// Registers 0xF2 (once more on 0xFF) and 0xF3 of the running application firmware; logs
// "LED VerF : %X" and "LED VerS : %X", stores "LED Version" and g_ledVersion.
void ReadAndRecordLedVersion(BYTE &verF, BYTE &verS);

// The status block of the loader (0x25, zeroed first), decoded by the host kind's rule; logs
// "Loder verf, vers: %X, %X", stores "Loder Version" and g_loaderVersion.
void ReadAndRecordLoaderVersion(bool intelHost, BYTE &verF, BYTE &verS);
