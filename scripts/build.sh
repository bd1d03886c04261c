#!/usr/bin/env bash
# Configures and builds everything: the shipped 32-bit build into build/ (or $VANTOR_BUILD_DIR),
# or with VANTOR_BITS=64 the 64-bit test build into build64/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/wine-env.sh
. "$here/scripts/wine-env.sh"
# Not while another command runs this build's programs: wait for it (scripts/hold-prefix.sh).
if [ "${1:-}" != --held ]; then
  exec bash "$here/scripts/hold-prefix.sh" "build.sh ($VANTOR_BITS-bit)" bash "$0" --held "$@"
fi
shift
if [ "$VANTOR_BITS" = 64 ]; then
  # The 64-bit suite also checks the shipped program's file, built by the 32-bit build.
  options=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/x86_64-w64-mingw32.cmake"
           -DVANTOR_SHIPPED_PROGRAM="${VANTOR_BUILD_DIR:-$here/build}/ship/Update_Vantor.exe")
else
  options=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/i686-w64-mingw32.cmake")
fi
cmake -S "$here" -B "$vantor_build" "${options[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$vantor_build" -j"$(nproc)" "$@"
