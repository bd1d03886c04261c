#!/usr/bin/env bash
# Sets up the machine, builds, then shows the program's dialog and its About box in a virtual
# X display, drives them with vantor_uidriver and saves screenshots as PNG files.
# Usage: scripts/screenshot-demo.sh [output directory]   (default: <build>/screenshots)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

# shellcheck source=scripts/shown-run.sh
. "$here/scripts/shown-run.sh"
if [ "${1:-}" != "--in-display" ]; then
  vantor_shown_run screenshot-demo.sh "$0" "${1:-}"
  exit
fi

vantor_shown_inside
out="${2:-$vantor_build/screenshots}"
out="$(mkdir -p "$out" && cd "$out" && pwd)"
# The program and the HID library it imports; nothing else, so the dialog shows its start-up
# state on a machine without the lighting controller.
driver prepare --dir "C:\\vantor_demo" --copy QyxHid.dll
start_out="$(driver_start "$out/start.txt" --dir "C:\\vantor_demo" --timeout 120)"
echo "$start_out"
pid="$(echo "$start_out" | value_of pid)"
driver read --pid "$pid"
driver screenshot "$out/vantor_dialog.bmp" --pid "$pid"
driver about --pid "$pid"
driver screenshot "$out/vantor_about.bmp" --pid "$pid" --window about
driver about --pid "$pid" --ok
driver close --pid "$pid"
driver wait-exit --pid "$pid" --timeout 60
rm -f "$out/start.txt"
for picture in vantor_dialog vantor_about; do
  convert "$out/$picture.bmp" "$out/$picture.png"
  rm -f "$out/$picture.bmp"
  echo "screenshot: $out/$picture.png"
done
