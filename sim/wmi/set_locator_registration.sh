#!/usr/bin/env bash
# Lets programs load the wbemprox.dll stand-in from their own folder, or undoes it.
#
#   set_locator_registration.sh standin [program.exe ...]
#     - registers the WMI locator (CLSID_WbemLocator) by the bare name "wbemprox.dll", so
#       that COM's load looks in the program's folder first (Wine writes a full path);
#     - gives the named programs (default: Update_Vantor.exe smbios_probe.exe) the load
#       order "native,builtin" for wbemprox: else Wine maps its own builtin provider even
#       from our file's path.
#     A program with no stand-in beside it still gets Wine's own provider.
#   set_locator_registration.sh wine [program.exe ...]
#     - Wine's full path again (as wineboot writes it) and the programs' load order removed.
#
# The prefix is $WINEPREFIX when set, else the project's (scripts/wine-env.sh). The change
# is in the Wine server at once; it reaches the prefix's files when the server ends.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
chosen_prefix="${WINEPREFIX:-}"
# shellcheck source=scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
if [ -n "$chosen_prefix" ]; then export WINEPREFIX="$chosen_prefix"; fi

locator_key='HKLM\Software\Classes\CLSID\{4590F811-1D3A-11D0-891F-00AA004B2E24}\InprocServer32'
mode="${1:-}"
shift || true
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(Update_Vantor.exe smbios_probe.exe)

case "$mode" in
  standin)
    wine reg add "$locator_key" /ve /d 'wbemprox.dll' /f >/dev/null
    for program in "${programs[@]}"; do
      wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\DllOverrides" /v wbemprox /d native,builtin /f \
        >/dev/null
    done
    ;;
  wine)
    wine reg add "$locator_key" /ve /d 'C:\windows\system32\wbem\wbemprox.dll' /f >/dev/null
    for program in "${programs[@]}"; do
      wine reg delete "HKCU\\Software\\Wine\\AppDefaults\\$program\\DllOverrides" /v wbemprox /f >/dev/null 2>&1 || true
    done
    ;;
  *)
    echo "usage: $0 standin|wine [program.exe ...]" >&2
    exit 2
    ;;
esac
