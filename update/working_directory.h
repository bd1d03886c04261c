// The program's folder as the current directory, where the image and the log are looked for.
#pragma once

#include "framework/cstring.h"

// Makes the folder of "Update_Vantor.exe" the current directory and returns it, with its
// trailing backslash. Under any other file name no such module exists: the text returned is
// then the program's own full path and the current directory stays where it was.
CString EnterProgramDirectory();
