#include "update/cmd_quoting.h"

CString QuoteProgramForCmd(const CString &programPath) { return L"\"\"" + programPath + L"\"\""; }
