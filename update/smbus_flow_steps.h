// Steps the two SMBus update flows share; the host kind picks the command block and the
// loader-version rule.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cstring.h"

class CVantorDlg;

// How every flow opens. SMBus library not ready: the driver released, the run asked to end,
// nothing else. Otherwise the program's folder becomes the current directory (its text in
// `directory`); a command line other than "-f" takes the common end; "-f" reads the
// controller's versions again (resume, other hosts with the dummy read and 500 ms first;
// 500 ms; registers 0xF2/0xF3; enter the loader, 4500 ms; status), logging and storing nothing.
// False when the run has ended here.
bool StartSmbusFlow(CVantorDlg &dialog, bool intelHost, CString &directory);

// Finds the first "*.bin", stores the version fields of its name, checks them against the
// controller and reads the file from `directory`. Returns the text to report when the run
// must end here, or an empty text with the whole file in `image`.
CString LoadAcceptedImage(const CVantorDlg &dialog, const CString &directory, std::vector<BYTE> &image);

// After the stream: the loader's status, resume, 500 ms, the firmware registers, back into
// the loader and 4500 ms; each version logged and stored.
void ReadBackVersions(CVantorDlg &dialog, bool intelHost);

// Interactive runs, per image byte after the first: the bar at i / count (0 to 99).
void ShowTransferProgress(CVantorDlg &dialog, int byteIndex, int count);

// Interactive runs, per image byte: input given during the stream is taken and dropped.
void DropQueuedMessage();

// DriverRelease, when the driver library proved ready at start-up.
void ReleaseDriverWhenReady();

// The end every normal run of a flow takes: resume without a wait, release, ask to end the run.
void EndSmbusFlow(bool intelHost);
