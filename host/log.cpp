#include "host/log.h"

#include "app/globals.h"
#include "framework/afxfile.h"

namespace {
const wchar_t kLogFileName[] = L"Update Vantor.log";

LocalTimeSource &TimeSource() {
    static LocalTimeSource source;
    return source;
}
}  // namespace

void SetLocalTimeSource(LocalTimeSource source) { TimeSource() = std::move(source); }

void WriteLog(CString message) {
    if (TimeSource())
        TimeSource()(g_logTime);
    else
        GetLocalTime(&g_logTime);

    CString line;
    line.Format(L"%4d/%02d/%02d %02d:%02d:%02d.%03d        %s\n", g_logTime.wYear, g_logTime.wMonth,
                g_logTime.wDay, g_logTime.wHour, g_logTime.wMinute, g_logTime.wSecond, g_logTime.wMilliseconds,
                message.GetString());

    // Opened and closed per line so every line is on disk at once; no sharing while open.
    CStdioFile file;
    CFileException error;
    const UINT flags = CStdioFile::modeCreate | CStdioFile::modeNoTruncate | CStdioFile::modeReadWrite;
    if (!file.Open(kLogFileName, flags, &error)) return;
    file.SeekToEnd();
    file.WriteString(line);
    file.Close();
}
