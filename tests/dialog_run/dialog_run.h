// The main dialog opened modeless inside the test program on its real template, with the
// waits, commands, message boxes and process ends recorded instead of taken. The test program
// bears the updater's file name, "Update_Vantor.exe", in a folder of its own: the updater
// finds its folder as it would and keeps its images and log there. A board fixture derives
// from this one, serves its board and moves its simulator's clock on each wait.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vantor_dlg.h"

struct RecordedMessageBox {
    std::wstring text;
    std::wstring caption;
    UINT type;
};

class DialogRunTest : public ::testing::Test {
protected:
    // The program's folder as the current directory, without images or log; no updater key
    // and no "WorkDir" values; every process-wide value as at load time; recorders in place.
    void SetUp() override;
    void TearDown() override;

    // Each wait, once recorded in waits_: the simulated devices' clocks move on here.
    virtual void OnWait(DWORD ms) = 0;

    // The baseboard the SMBIOS table names (product text, version text).
    void ServeBoard(const std::string &product, const std::string &version);
    // "WorkDir" of the lighting software and of the companion program; null: no value.
    void SetWorkDirs(const wchar_t *lighting, const wchar_t *companion);
    void PutImage(const std::wstring &name, const std::vector<BYTE> &bytes);

    // Creates the dialog with this command line (null: the framework has none); the start-up
    // checks run inside.
    void OpenDialog(const wchar_t *commandLine = L"");
    CVantorDlg &Dialog() { return *dialog_; }
    // The current directory becomes the Windows folder, as for a start from there.
    void StartElsewhere();
    // The current directory, with a trailing backslash as programDir_ has.
    std::wstring CurrentDirectory() const;
    // Records every progress position set from now on in progress_.
    void WatchProgress();

    std::wstring ControlText(int id) const;
    bool UpdateEnabled() const;
    int ProgressPosition() const;
    // The log's messages, without their time stamps.
    std::vector<std::wstring> LogMessages() const;
    // A value under the updater's key; "(none)" when absent.
    std::wstring UpdaterValue(const wchar_t *name) const;
    std::vector<std::wstring> BoxTexts() const;

    std::wstring programDir_;  // with its trailing backslash
    std::vector<DWORD> waits_;
    std::vector<std::wstring> commands_;
    std::vector<RecordedMessageBox> boxes_;
    std::vector<int> exits_;
    std::vector<int> progress_;
    std::unique_ptr<CVantorDlg> dialog_;
};

// Opens the file as another program could, sharing nothing: the updater cannot open it then.
HANDLE HoldWithoutSharing(const std::wstring &path);
