#!/usr/bin/env bash
# Sets up the machine (packages, Wine prefix), builds everything and runs every test under
# Wine in a virtual X display. Ends with ctest's summary.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh"
. "$here/scripts/wine-env.sh"
build="${VANTOR_BUILD_DIR:-$here/build}"
# One Wine server for the whole run, started inside the X display so that dialogs can show;
# it stays up between tests and ends by itself a minute after the last one.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wineserver -p60
  wine cmd /c ver >/dev/null 2>&1 || true
  cd "'"$build"'"
  # A test that hangs (a dialog nobody closes) fails after ten minutes instead of holding
  # the run; tests with a TIMEOUT of their own keep it.
  ctest --output-on-failure --timeout 600 "$@"
  status=$?
  wineserver -k 2>/dev/null || true
  exit $status
' ctest-run "$@"
