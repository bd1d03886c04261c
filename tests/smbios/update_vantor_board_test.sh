#!/usr/bin/env bash
# The real program, started with "-v" from a folder holding the wbemprox.dll stand-in and the
# simulated HID library, identifies the board the scenario names: board code 0x2C52 sends it
# down the USB path with that board's product-ID probe, and revision 2 turns on the board's
# quirk (the controller's firmware version is logged as 0).
# Usage: update_vantor_board_test.sh <Update_Vantor.exe> <QyxHid.dll> <wbemprox.dll>
set -euo pipefail
program="$1"
hid_library="$2"
standin="$3"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "no display: the dialog cannot open (run it in a virtual X display, as scripts/test.sh does)"
  exit 77
fi
bash "$here/../../sim/wmi/set_locator_registration.sh" standin

run="$(mktemp -d)"
trap 'rm -rf "$run"' EXIT
run_windows="Z:${run//\//\\}"
# shellcheck source=tests/smbios/expect.sh
. "$here/expect.sh"

# The controller in application mode with firmware 1.2.
printf 'mode=application\nproduct_id=0x2C52\nfw_version=0x12\nloader_version=0x14\n' > "$run/hid.txt"

start_with_board() {  # folder, revision text
  mkdir -p "$1"
  cp "$program" "$hid_library" "$standin" "$1/"
  printf 'manufacturer=QYX\nproduct=TESSALY Z790 GAMING (QZ-2C52)\nversion=%s\n' "$2" > "$1/board.txt"
  local windows="Z:${1//\//\\}"
  (cd "$1" && VANTOR_SMBIOS_SCENARIO="$1/board.txt" VANTOR_SMBIOS_TRACE="$1/smbios-trace.txt" \
    VANTOR_HID_SCENARIO="$run_windows\\hid.txt" VANTOR_HID_TRACE="$windows\\hid-trace.txt" \
    timeout 120 wine ./Update_Vantor.exe -v)
}

start_with_board "$run/revision2" 2
expect "the program read the stand-in's table" "$(cat "$run/revision2/smbios-trace.txt")" "Served "
expect "board code 0x2C52: USB path with that board's probe" "$(cat "$run/revision2/hid-trace.txt")" \
  "call=openMyDevice_Read vid=0x2E19 pid=0x2C52"
expect "revision 2: the board's quirk" "$(tr -d '\r' < "$run/revision2/Update Vantor.log")" "LED VerF : 0"

start_with_board "$run/revision1" 1
expect "revision 1: no quirk" "$(tr -d '\r' < "$run/revision1/Update Vantor.log")" "LED VerF : 1"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
