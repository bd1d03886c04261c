# shellcheck shell=bash disable=SC2034  # sets variables for the scripts that source it
# Sourced by the scripts that run the program for a person to see (demo.sh, screenshot-demo.sh,
# benchmark.sh). Each runs in two halves:
#   vantor_shown_run <who> <script> [args]   sets the machine up, builds the shipped program and
#       what this host runs (host-way.sh's vantor_run_bits), then runs "<script> --in-display
#       [args]" in a virtual display of its own while it holds that build's prefix; returns that
#       run's exit status. The set-up's and the build's output go to this script's output, or
#       nowhere with VANTOR_SHOWN_QUIET=yes. A stop (TERM, INT or HUP) ends all of it.
#   vantor_shown_inside   in the display: starts this command's Wine server, which ends before
#       the display goes. Sets vantor_build, vantor_bin (the build's test programs and fixtures)
#       and vantor_program (the program as it ships, from ship/ of the 32-bit build; the 64-bit
#       test build keeps it among the tests).
# For the inside half: driver (vantor_uidriver.exe, its answer without carriage returns),
# driver_start (its "start"), windows_path (a Linux path as Wine sees it) and value_of (a
# "name=value" line's value).
_vantor_scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/process-tree.sh
. "$_vantor_scripts/process-tree.sh"

# Runs a step of the set-up or the build, its output kept out of the way if asked.
_vantor_shown_step() {
  if [ "${VANTOR_SHOWN_QUIET:-}" = yes ]; then
    vantor_stoppable "$@" >/dev/null
  else
    vantor_stoppable "$@"
  fi
}

vantor_shown_run() {
  local who="$1" script="$2" status=0
  shift 2
  vantor_on_stop_end_all "$who"
  _vantor_shown_step bash "$_vantor_scripts/setup.sh"
  # shellcheck source=scripts/host-way.sh
  . "$_vantor_scripts/host-way.sh"
  # The shipped program is built on every host, also where only the 64-bit test build runs.
  if [ "$vantor_run_bits" != 32 ]; then
    VANTOR_BITS=32 _vantor_shown_step bash "$_vantor_scripts/build.sh" --target Update_Vantor
  fi
  export VANTOR_BITS="$vantor_run_bits"
  _vantor_shown_step bash "$_vantor_scripts/build.sh"
  # shellcheck source=scripts/wine-env.sh
  . "$_vantor_scripts/wine-env.sh"
  echo "${who%.sh}: $vantor_run_build: $vantor_way_reason"
  vantor_stoppable vantor_without_32bit bash "$_vantor_scripts/hold-prefix.sh" "$who" \
    bash "$_vantor_scripts/in-display.sh" bash "$script" --in-display "$@" || status=$?
  return $status
}

vantor_shown_inside() {
  # shellcheck source=scripts/wine-env.sh
  . "$_vantor_scripts/wine-env.sh"
  vantor_start_wine
  trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
  vantor_bin="$vantor_build/tests/bin"
  vantor_program="$vantor_build/ship/Update_Vantor.exe"
  [ "$VANTOR_BITS" = 32 ] || vantor_program="$vantor_bin/Update_Vantor.exe"
}

driver() { wine "$vantor_bin/vantor_uidriver.exe" "$@" | tr -d '\r'; }
# The program started keeps whatever pipe the driver writes to, so the answer goes through a file.
driver_start() {  # answer file, start's options
  local answer="$1"
  shift
  wine "$vantor_bin/vantor_uidriver.exe" start "$@" >"$answer"
  tr -d '\r' <"$answer"
}
windows_path() { local p="$1"; echo "Z:${p//\//\\}"; }
value_of() { sed -n "s/^$1=//p"; }
