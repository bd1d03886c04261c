// A library that loads but exports nothing: stands in for a "Wendil.dll" or "Corrant.dll"
// that lacks every entry point the program looks up.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
