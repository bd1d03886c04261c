// Hidden console commands, run through the system's cmd.exe and waited for.
#pragma once

#include <functional>

#include "framework/cstring.h"

// Where a command starts. The program runs elevated, so the system tools it names without a
// path ("sc.exe", "taskkill") must not be found in a folder someone else can write to.
enum class CommandFolder {
    System,   // the system directory: only the system's own tools answer to their names
    Current,  // the process's current directory: for a program named by its full path
};

// Runs "<system directory>\cmd.exe /d /c <command> <argument>" hidden, starting in `folder`,
// and returns when it has ended.
void RunCommand(CString command, CString argument, CommandFolder folder);

// What RunCommand hands to the shell: the file run, its parameters and its working
// directory (empty: the current directory).
struct LaunchedCommand {
    CString file;
    CString parameters;
    CString directory;
};

// Test seam: when set, RunCommand hands the launch here instead of making it.
using CommandRecorder = std::function<void(const LaunchedCommand &command)>;
void SetCommandRecorder(CommandRecorder recorder);
