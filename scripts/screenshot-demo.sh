#!/usr/bin/env bash
# Sets up the machine, builds, then shows the program's dialog and its About box in a virtual
# X display, drives them with vantor_uidriver and saves screenshots as PNG files.
# Usage: scripts/screenshot-demo.sh [output directory]   (default: <build>/screenshots)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" != "--in-display" ]; then
  bash "$here/scripts/setup.sh"
  # shellcheck source=scripts/host-way.sh
  . "$here/scripts/host-way.sh"
  export VANTOR_BITS="$vantor_run_bits"
  bash "$here/scripts/build.sh"
  # shellcheck source=scripts/wine-env.sh
  . "$here/scripts/wine-env.sh"
  echo "screenshots: $vantor_run_build: $vantor_way_reason"
  out="$(mkdir -p "${1:-$vantor_build/screenshots}" && cd "${1:-$vantor_build/screenshots}" && pwd)"
  status=0
  vantor_without_32bit bash "$here/scripts/hold-prefix.sh" "screenshot-demo.sh" \
    bash "$here/scripts/in-display.sh" bash "$0" --in-display "$out" || status=$?
  [ "$status" = 0 ] || exit $status
  for picture in vantor_dialog vantor_about; do
    convert "$out/$picture.bmp" "$out/$picture.png"
    rm -f "$out/$picture.bmp"
    echo "screenshot: $out/$picture.png"
  done
  exit 0
fi

out="$2"
# shellcheck source=scripts/wine-env.sh
. "$here/scripts/wine-env.sh"
vantor_start_wine
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT  # Wine done before the display goes
driver() { wine "$vantor_build/tests/bin/vantor_uidriver.exe" "$@"; }
# The program and the HID library it imports; nothing else, so the dialog shows its start-up
# state on a machine without the lighting controller.
driver prepare --dir "C:\\vantor_demo" --copy QyxHid.dll
driver start --dir "C:\\vantor_demo" --timeout 120 >"$out/start.txt"
cat "$out/start.txt"
pid=$(sed -n "s/^pid=//p" "$out/start.txt" | tr -d "\r")
driver read --pid "$pid"
driver screenshot "$out/vantor_dialog.bmp" --pid "$pid"
driver about --pid "$pid"
driver screenshot "$out/vantor_about.bmp" --pid "$pid" --window about
driver about --pid "$pid" --ok
driver close --pid "$pid"
driver wait-exit --pid "$pid" --timeout 60
rm -f "$out/start.txt"
