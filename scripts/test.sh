#!/usr/bin/env bash
# Sets up the machine (packages, Wine prefixes), builds, and runs every test under Wine in a
# virtual X display, the way this host allows (scripts/host-way.sh):
#   both     the suite on the shipped 32-bit build, then again on the 64-bit test build;
#   64-only  the suite on the 64-bit test build, which also checks the shipped 32-bit program
#            as a file (shipped_program_file); that program is built but not run.
# Arguments go to ctest (e.g. -R name). Each suite ends with ctest's summary, and both
# summaries are repeated at the end; the exit code is not 0 when either suite failed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" != --suites ]; then
  bash "$here/scripts/setup.sh"
  # shellcheck source=scripts/host-way.sh
  . "$here/scripts/host-way.sh"
  if [ "$vantor_way" = both ]; then
    VANTOR_BITS=32 bash "$here/scripts/build.sh"
  else
    VANTOR_BITS=32 bash "$here/scripts/build.sh" --target Update_Vantor
  fi
  VANTOR_BITS=64 bash "$here/scripts/build.sh"
  vantor_without_32bit bash "$0" --suites "$@"
  exit
fi
shift
# shellcheck source=scripts/host-way.sh
. "$here/scripts/host-way.sh"

# One build's suite in its own prefix. One Wine server for the whole run, started inside the X
# display so that dialogs can show; it stays up between tests and ends with the suite.
run_suite() (
  export VANTOR_BITS="$1"
  shift
  # shellcheck source=scripts/wine-env.sh
  . "$here/scripts/wine-env.sh"
  echo
  echo "== the suite on the $VANTOR_BITS-bit build ($vantor_build, $WINEARCH prefix)"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wineserver -p60
    wine cmd /c ver >/dev/null 2>&1 || true
    cd "$0"
    # A test that hangs (a dialog nobody closes) fails after ten minutes instead of holding
    # the run; tests with a TIMEOUT of their own keep it.
    ctest --output-on-failure --timeout 600 "$@" 2>&1 | tee ctest.log
    status=${PIPESTATUS[0]}
    wineserver -k 2>/dev/null || true
    exit $status
  ' "$vantor_build" "$@"
)

summary_of() {  # build folder
  grep -E 'tests passed|No tests were found' "$1/ctest.log" | tail -1 || echo "no summary"
}

status=0
if [ "$vantor_way" = both ]; then
  run_suite 32 "$@" || status=1
fi
run_suite 64 "$@" || status=1

echo
echo "== summary ($vantor_way_reason)"
if [ "$vantor_way" = both ]; then
  echo "32-bit build (shipped program): $(summary_of "${VANTOR_BUILD_DIR:-$here/build}")"
fi
echo "64-bit test build:              $(summary_of "$here/build64")"
if [ "$vantor_way" = 64-only ]; then
  file_check="not among the tests run"
  if grep -q '^ *[0-9]*/[0-9]* Test *#[0-9]*: shipped_program_file ' "$here/build64/ctest.log"; then
    file_check="passed"
    if grep -q 'shipped_program_file .*\(Failed\|Timeout\|Not Run\)' "$here/build64/ctest.log"; then file_check="FAILED"; fi
  fi
  echo "The 32-bit Update_Vantor.exe was built but NOT run here; checked as a file only"
  echo "(PE32, GUI, version 1.0.0.23, requireAdministrator manifest: shipped_program_file $file_check)."
fi
exit $status
