// What the two simulated DLLs of one process share: the clock and the call trace. It lives in
// a small section named after the process, so both DLLs see the same time and one trace in
// call order.
#pragma once

#include <windows.h>

#include <string>

// Milliseconds of the simulator's clock: the manual clock after SimSessionReset, else the
// virtual clock named by VANTOR_VIRTUAL_CLOCK when a test build of the updater drives it, else
// real time since the session began.
LONGLONG SimNowMs();

// In-process control: manual clock at 0 and an empty trace.
void SimSessionReset();
void SimAdvanceClock(DWORD milliseconds);

// Appends "<ms> <dll> <text>" to the in-process trace and, when `traceFile` is set, to that file.
void SimTrace(const char *dll, const std::string &text, const std::string &traceFile);
std::string SimTraceText();

// printf-style text for the trace, up to 511 characters.
std::string SimFormat(const char *format, ...);

// Copies `text` into a caller's buffer with its NUL when it fits; returns the text's length.
DWORD CopyText(const std::string &text, char *buffer, DWORD size);
// A wide text as UTF-8 (null gives "(null)").
std::string Utf8(const wchar_t *text);
