#!/usr/bin/env bash
# The wbemprox.dll stand-in reaches a program through COM from the program's own folder;
# programs elsewhere keep Wine's own provider, which serves no table.
# Usage: wbemprox_standin_test.sh <smbios_probe.exe> <wbemprox.dll>
set -euo pipefail
probe="$1"
standin="$2"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
bash "$here/../../sim/wmi/set_locator_registration.sh" standin

run="$(mktemp -d)"
trap 'rm -rf "$run"' EXIT
cp "$probe" "$standin" "$run/"
run_windows="Z:${run//\//\\}"
# shellcheck source=tests/smbios/expect.sh
. "$here/expect.sh"
probe_with() {  # scenario file ('' for none), trace file, program
  if [ -n "$1" ]; then
    VANTOR_SMBIOS_SCENARIO="$1" VANTOR_SMBIOS_TRACE="$2" wine "$3" | tr -d '\r'
  else
    env -u VANTOR_SMBIOS_SCENARIO VANTOR_SMBIOS_TRACE="$2" wine "$3" | tr -d '\r'
  fi
}
trace_of() { cat "$1" 2>/dev/null || true; }

printf '# a board on the USB list\nmanufacturer=QYX\nproduct=TESSALY Z790 GAMING (QZ-2C52)\nversion=2\n' \
  > "$run/board.txt"
out="$(probe_with "$run/board.txt" "$run/board-trace.txt" "$run/smbios_probe.exe")"
expect "the scenario's board is read" "$out" "read=1 code=0x2C52 revision=2"
expect "the stand-in beside the program served it" "$(trace_of "$run/board-trace.txt")" \
  "Stand-in $run_windows\\wbemprox.dll scenario=$run/board.txt"
expect "the whole table was served" "$(trace_of "$run/board-trace.txt")" "Served "

printf 'product=TESSALY Z790 GAMING (QZ-2C52)\nversion=2\ndata=signed-bytes\n' > "$run/wrong-type.txt"
out="$(probe_with "$run/wrong-type.txt" "$run/wrong-type-trace.txt" "$run/smbios_probe.exe")"
expect "a VARIANT of another type gives no table" "$out" "read=0 code=0x0 revision=0"
expect "... though the stand-in served it" "$(trace_of "$run/wrong-type-trace.txt")" "as VT_I1"

out="$(probe_with '' "$run/no-scenario-trace.txt" "$run/smbios_probe.exe")"
expect "no scenario: no table" "$out" "read=0 code=0x0 revision=0"
expect "no scenario: an empty row, as Wine serves" "$(trace_of "$run/no-scenario-trace.txt")" "Served an empty row"

out="$(probe_with "$run/board.txt" "$run/elsewhere-trace.txt" "$probe")"
expect "elsewhere: Wine's own provider" "$out" 'provider=C:\windows\system32\wbem\wbemprox.dll'
expect "elsewhere: no table" "$out" "read=0 code=0x0 revision=0"
if [ -e "$run/elsewhere-trace.txt" ]; then
  echo "FAIL: elsewhere: the stand-in was loaded"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
