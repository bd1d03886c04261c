#!/usr/bin/env bash
# Sets up the machine, builds, then shows the program's dialog and its About box in a virtual
# X display, drives them with vantor_uidriver and saves screenshots as PNG files.
# Usage: scripts/screenshot-demo.sh [output directory]   (default: <build>/screenshots)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
# shellcheck source=scripts/host-way.sh
. "$here/scripts/host-way.sh"
export VANTOR_BITS="$vantor_run_bits"
bash "$here/scripts/build.sh"
. "$here/scripts/wine-env.sh"
echo "screenshots: $vantor_run_build: $vantor_way_reason"
build="$vantor_build"
out="$(mkdir -p "${1:-$build/screenshots}" && cd "${1:-$build/screenshots}" && pwd)"
export VANTOR_DEMO_DRIVER="$build/tests/bin/vantor_uidriver.exe" VANTOR_DEMO_OUT="$out"

# A Wine server left from runs without a display cannot show dialogs: start afresh.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
vantor_without_32bit xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  driver() { wine "$VANTOR_DEMO_DRIVER" "$@"; }
  # Start the server and its desktop first, so that they do not hold our output open.
  wineserver -p60
  wine cmd /c ver >/dev/null 2>&1 || true
  # The program and the HID library it imports; nothing else, so the dialog shows its
  # start-up state on a machine without the lighting controller.
  driver prepare --dir "C:\\vantor_demo" --copy QyxHid.dll
  driver start --dir "C:\\vantor_demo" --timeout 120 > "$VANTOR_DEMO_OUT/start.txt"
  cat "$VANTOR_DEMO_OUT/start.txt"
  pid=$(sed -n "s/^pid=//p" "$VANTOR_DEMO_OUT/start.txt" | tr -d "\r")
  driver read --pid "$pid"
  driver screenshot "$VANTOR_DEMO_OUT/vantor_dialog.bmp" --pid "$pid"
  driver about --pid "$pid"
  driver screenshot "$VANTOR_DEMO_OUT/vantor_about.bmp" --pid "$pid" --window about
  driver about --pid "$pid" --ok
  driver close --pid "$pid"
  driver wait-exit --pid "$pid" --timeout 60
  rm -f "$VANTOR_DEMO_OUT/start.txt"
  wineserver -k 2>/dev/null || true
'
for picture in vantor_dialog vantor_about; do
  convert "$out/$picture.bmp" "$out/$picture.png"
  rm -f "$out/$picture.bmp"
  echo "screenshot: $out/$picture.png"
done
