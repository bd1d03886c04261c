#!/usr/bin/env bash
# Times silent updates ("-f") of the simulated controller with images of 4 KiB, 64 KiB and
# 256 KiB over USB, the SMBus of an Intel host and the SMBus of another host.
#
# Each case runs twice: the shipped Update_Vantor.exe, which sleeps its fixed waits, and the
# program's test variant, which adds the same waits to a virtual clock instead and so counts
# them. Printed per case:
#   outcome   the shipped run's "Msg"
#   wall      the shipped run's wall time (Wine starting the program included)
#   waits     the sum of the fixed waits the run made, and how many there were (counted by the
#             test variant on the same controller and image)
#   rest      wall time beyond the waits: the program's own cost and the simulated bus
#   variant   the test variant's wall time, waits not slept
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

# shellcheck source=scripts/shown-run.sh
. "$here/scripts/shown-run.sh"
if [ "${1:-}" != "--in-display" ]; then
  VANTOR_SHOWN_QUIET=yes vantor_shown_run benchmark.sh "$0" "$@"
  exit
fi
shift

vantor_shown_inside
build="$vantor_build"
bin="$vantor_bin"
program="$vantor_program"
# Each case runs in a sandbox of its own here: the program beside the simulated controller.
bench="$build/benchmark/sandbox"
now() { date +%s.%N; }

bash "$here/sim/wmi/set_locator_registration.sh" standin Update_Vantor.exe
# No lighting software installed: no commands at the start or the end of a run.
wine reg delete 'HKLM\SOFTWARE\QYX\Halcyra2' /v WorkDir /f >/dev/null 2>&1 || true
wine reg delete 'HKLM\SOFTWARE\QYX\Korvex' /v WorkDir /f >/dev/null 2>&1 || true

# An image of `size` bytes whose firmware reports the version of its name once written:
# USB  "VTRFWVER" VerF VerS anywhere (sim/qyxhid/README.md);
# SMBus "VNTRFW" VerF VerS at offset 16, never sixteen 0xFF in a row (sim/smbus/README.md).
make_image() {  # path, usb|smbus, size
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, kind, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
image = bytearray((i * 37 + 11) & 0xFF for i in range(size))
if kind == "usb":
    image[0x100:0x10A] = b"VTRFWVER" + bytes([0x01, 0x03])
else:
    image[16:24] = b"VNTRFW" + bytes([0x1A, 0x04])
open(path, "wb").write(image)
EOF
}

# A fresh install folder for one case; `envs` gets the driver's --env options for it.
prepare() {  # dir, transport, size, shipped|variant
  local dir="$1" transport="$2" size="$3" which="$4" product=QZ-3B10 host=0x3E308086
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$bin/QyxHid.dll" "$bin/wmi-standin/wbemprox.dll" "$dir/"
  if [ "$which" = variant ]; then
    # The test variant goes in under the program's name, in this benchmark folder only.
    cp "$bin/Update_Vantor_TEST_VARIANT_virtual_waits.exe" "$dir/Update_Vantor.exe"
  else
    cp "$program" "$dir/"
  fi
  envs=()
  case "$transport" in
    usb)
      product=QZ-2C41
      printf 'mode=application\nproduct_id=0x2C41\nloader_version=0x14\nfw_version=0x12\n' >"$dir/controller.txt"
      make_image "$dir/LED_v0103.bin" usb "$size"
      envs+=(--env "VANTOR_HID_SCENARIO=$(windows_path "$dir/controller.txt")"
             --env "VANTOR_HID_STATE=$(windows_path "$dir/controller.state")")
      ;;
    smbus-other) host=0x14801022 ;&
    smbus-intel)
      cp "$bin/Wendil.dll" "$bin/Corrant.dll" "$dir/"
      printf 'host_bridge=%s\napp_version=1A03\nloader_version=0205\n' "$host" >"$dir/controller.txt"
      make_image "$dir/1A04_0205.bin" smbus "$size"
      envs+=(--env "VANTOR_SMBUS_SCENARIO=$(windows_path "$dir/controller.txt")")
      ;;
  esac
  printf 'manufacturer=QYX\nproduct=BENCH (%s)\nversion=1.0\n' "$product" >"$dir/board.txt"
  envs+=(--env "VANTOR_SMBIOS_SCENARIO=$(windows_path "$dir/board.txt")")
}

seconds() { python3 -c "print(f'{$1:.2f}')"; }

# One run in a fresh folder; sets `wall` (seconds), `msg` and the driver's output `out`.
run_once() {  # dir, transport, size, shipped|variant
  local started clock=()
  [ "$4" = variant ] && clock=(--virtual-clock)
  prepare "$1" "$2" "$3" "$4"
  wine reg delete 'HKLM\SOFTWARE\QYX\Tessaly Series\LED' /f >/dev/null 2>&1 || true
  started=$(now)
  out="$(driver run --dir "$1" --args -f "${envs[@]}" "${clock[@]}" --timeout 900)"
  wall=$(seconds "$(now) - $started")
  msg=$(driver registry | value_of reg.Msg)
}

run_case() {  # transport, size; prints one table row
  local transport="$1" size="$2" dir="$bench/$1-$2" waits count variant_wall variant_msg
  run_once "$dir" "$transport" "$size" variant
  waits=$(seconds "$(echo "$out" | value_of waited_ms) / 1000")
  count=$(echo "$out" | value_of wait_count)
  variant_wall=$wall variant_msg=$msg
  run_once "$dir" "$transport" "$size" shipped
  [ "$msg" = "$variant_msg" ] || msg="$msg (variant: $variant_msg)"
  printf '%-12s %7s  %-16s %7s  %8s %6s  %7s  %7s\n' "$transport" "$((size / 1024)) KiB" "$msg" "$wall" \
    "$waits" "($count)" "$(seconds "$wall - $waits")" "$variant_wall"
}

printf '%-12s %7s  %-16s %7s  %15s  %7s  %7s\n' transport image outcome "wall s" "waits s (count)" \
  "rest s" "variant s"
for transport in usb smbus-intel smbus-other; do
  for size in 4096 65536 262144; do
    run_case "$transport" "$size"
  done
done
echo
echo "USB: the controller's APROM holds 128 KiB; a larger image is refused mid-stream."
