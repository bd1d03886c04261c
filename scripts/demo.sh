#!/usr/bin/env bash
# Sets everything up, builds, and updates the simulated USB lighting controller of board
# QZ-2C41 with a sample image: "-v", "-f" and "-v" again, showing the versions, the log and the
# registry values; then an interactive run in a virtual display that clicks Update, with
# screenshots of the dialog before and after under build/demo/ (build64/demo/ where the host
# runs 64-bit programs only and the 64-bit test build is shown).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

# shellcheck source=scripts/shown-run.sh
. "$here/scripts/shown-run.sh"
if [ "${1:-}" != "--in-display" ]; then
  vantor_shown_run demo.sh "$0"
  exit
fi

# Everything below runs inside one virtual display and one Wine server.
vantor_shown_inside
build="$vantor_build"
demo="$build/demo"
# The demo's own sandbox: the program beside the simulated controller, as only tests may have it.
install="$demo/sandbox"
bin="$vantor_bin"
program="$vantor_program"
section() { printf '\n== %s\n' "$1"; }

# A fresh install folder: the program, the simulated "QyxHid.dll" and the WMI stand-in that
# names the board. The controller keeps its state in a file between runs.
rm -rf "$demo"
mkdir -p "$install"
cp "$program" "$bin/QyxHid.dll" "$bin/wmi-standin/wbemprox.dll" "$install/"
bash "$here/sim/wmi/set_locator_registration.sh" standin Update_Vantor.exe
wine reg delete 'HKLM\SOFTWARE\QYX\Tessaly Series\LED' /f >/dev/null 2>&1 || true
# The maker's lighting software is not installed here: nothing to stop or restart.
wine reg delete 'HKLM\SOFTWARE\QYX\Halcyra2' /v WorkDir /f >/dev/null 2>&1 || true
wine reg delete 'HKLM\SOFTWARE\QYX\Korvex' /v WorkDir /f >/dev/null 2>&1 || true

printf 'manufacturer=QYX\nproduct=B650 GAMING (QZ-2C41)\nversion=1.0\n' >"$install/board.txt"
# Firmware 1.2 and loader 1.4 at power-on.
printf 'mode=application\nproduct_id=0x2C41\nloader_version=0x14\nfw_version=0x12\n' >"$install/controller.txt"

# The sample image: 4 KiB whose firmware, once running, reports 1.3 (the simulator's rule:
# the bytes "VTRFWVER" followed by VerF and VerS); its name carries the same version.
python3 - "$install/LED_v0103.bin" <<'EOF'
import sys
image = bytearray((i * 37 + 11) & 0xFF for i in range(4096))
image[0x100:0x10A] = b"VTRFWVER" + bytes([0x01, 0x03])
open(sys.argv[1], "wb").write(image)
EOF

envs=(--env "VANTOR_SMBIOS_SCENARIO=$(windows_path "$install/board.txt")"
      --env "VANTOR_HID_SCENARIO=$(windows_path "$install/controller.txt")"
      --env "VANTOR_HID_STATE=$(windows_path "$install/controller.state")"
      --env "VANTOR_HID_TRACE=$(windows_path "$install/controller.trace")")

show_run() {  # args: the command line given to the program
  local out logged
  logged=$( { tr -d '\r' <"$install/Update Vantor.log"; } 2>/dev/null | wc -l || true)
  out="$(driver run --dir "$install" --args "$1" "${envs[@]}" --timeout 120)"
  echo "exit code: $(echo "$out" | value_of exit_code)"
  echo "registry (HKLM\\SOFTWARE\\QYX\\Tessaly Series\\LED):"
  driver registry | sed 's/^/  /'
  echo "log lines added (Update Vantor.log):"
  tr -d '\r' <"$install/Update Vantor.log" | tail -n +$((logged + 1)) | sed 's/^/  /'
  echo "controller: $(grep -E '^(mode|flash_state)=' "$install/controller.state" | tr '\n' ' ')"
}

section "Update_Vantor.exe -v   (versions before the update)"
show_run -v
before="$(driver registry | value_of 'reg.LED Version')"

section "Update_Vantor.exe -f   (silent update with LED_v0103.bin; the waits are real)"
started=$(date +%s.%N)
show_run -f
echo "took $(python3 -c "print(f'{$(date +%s.%N) - $started:.1f}')") s"

section "Update_Vantor.exe -v   (versions after the update)"
show_run -v
after="$(driver registry | value_of 'reg.LED Version')"
echo
echo "LED version before: $before, after: $after"

# The interactive run: a controller at 1.2 again, the dialog, a click on Update.
section "Interactive run: the dialog, Update clicked"
rm -f "$install/controller.state"
shots="$demo"
start_out="$(driver_start "$demo/start.txt" --dir "$install" "${envs[@]}" --timeout 300)"
pid="$(echo "$start_out" | value_of pid)"
if [ "$(echo "$start_out" | value_of window)" != 1 ]; then
  echo "the dialog did not show:"; echo "$start_out"; exit 1
fi
driver read --pid "$pid" | sed 's/^/  /'
driver screenshot "$(windows_path "$shots/before.bmp")" --pid "$pid" --window main >/dev/null
driver click-update --pid "$pid" >/dev/null
box="$(driver msgbox --pid "$pid" --timeout 120)"
echo "message box: $(echo "$box" | value_of msgbox_text)"
driver read --pid "$pid" | sed 's/^/  /'
driver screenshot "$(windows_path "$shots/after.bmp")" --pid "$pid" --window main >/dev/null
driver screenshot "$(windows_path "$shots/after-screen.bmp")" --pid "$pid" --window screen >/dev/null
driver msgbox --pid "$pid" --ok >/dev/null
echo "exit code: $(driver wait-exit --pid "$pid" --timeout 60 | value_of exit_code)"
echo "controller: $(grep -E '^(mode|flash_state)=' "$install/controller.state" | tr '\n' ' ')"

for shot in before after after-screen; do
  convert "$shots/$shot.bmp" "$shots/$shot.png" && rm -f "$shots/$shot.bmp"
done
section "Screenshots"
ls -1 "$shots"/*.png
