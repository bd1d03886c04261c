#!/usr/bin/env bash
# Sets up the machine (packages, Wine prefixes), builds, and runs every test under Wine, the way
# this host allows (scripts/host-way.sh):
#   both     the suite on the shipped 32-bit build and the suite on the 64-bit test build, side
#            by side: each with its own prefix, Wine server and virtual display;
#   64-only  the suite on the 64-bit test build, which also checks the shipped 32-bit program
#            as a file (shipped_program_file); that program is built but not run.
# Arguments go to ctest (e.g. -R name); "--suites" first skips the set-up and the build. Each
# test's result line shows as soon as it is known, marked with its build ("[64] 5/27 Test #5:
# ..."); the output of failed tests and the summaries follow once every suite has ended, and the
# last line counts every suite's tests ("54 passed, 0 failed"). Each suite's whole output is
# kept in <build>/suite.log. The exit code is not 0 when a suite failed.
# A suite waits while another command holds its build's prefix (scripts/hold-prefix.sh). A stop
# (TERM, INT or HUP) ends the suites, their programs, displays and Wine servers.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/process-tree.sh
. "$here/scripts/process-tree.sh"

# Copies each line of ctest's output; a test's result line also goes to fd 3, marked with the build.
show_results() {
  local line
  while IFS= read -r line; do
    printf '%s\n' "$line"
    if [[ $line =~ ^\ *[0-9]+/[0-9]+\ Test\ +#[0-9]+: ]]; then
      printf '[%s] %s\n' "$VANTOR_BITS" "${line#"${line%%[! ]*}"}" >&3
    fi
  done
}

# One suite, in its display, while it holds its prefix: one Wine server for the whole suite.
if [ "${1:-}" = --in-display ]; then
  log="$2"
  shift 2
  # The caller's output takes the result lines; the log takes everything.
  exec 3>&1 >"$log" 2>&1
  # shellcheck source=scripts/wine-env.sh
  . "$here/scripts/wine-env.sh"
  echo "== the suite on the $VANTOR_BITS-bit build ($vantor_build, $WINEARCH prefix)"
  vantor_start_wine
  cd "$vantor_build"
  status=0
  # Wine's error channels on: what a failing test's programs printed shows with its output. A
  # test that hangs (a dialog nobody closes) fails after ten minutes instead of holding the
  # run; tests with a TIMEOUT of their own keep it.
  if WINEDEBUG=fixme-all ctest --output-on-failure --timeout 600 "$@" 2>&1 | show_results; then
    status=0
  else
    status=${PIPESTATUS[0]}
  fi
  wineserver -k 2>/dev/null || true
  echo "Wine's own log of this suite (helper programs, the service manager, the services): $VANTOR_WINE_LOG"
  exit $status
fi

if [ "${1:-}" != --suites ]; then
  vantor_on_stop_end_all test.sh
  vantor_stoppable bash "$here/scripts/setup.sh"
  # shellcheck source=scripts/host-way.sh
  . "$here/scripts/host-way.sh"
  if [ "$vantor_way" = both ]; then
    VANTOR_BITS=32 vantor_stoppable bash "$here/scripts/build.sh"
  else
    VANTOR_BITS=32 vantor_stoppable bash "$here/scripts/build.sh" --target Update_Vantor
  fi
  VANTOR_BITS=64 vantor_stoppable bash "$here/scripts/build.sh"
  vantor_stoppable vantor_without_32bit bash "$0" --suites "$@"
  exit
fi
shift
# shellcheck source=scripts/host-way.sh
. "$here/scripts/host-way.sh"

# This run's own files: another run waiting for a prefix must not take them over. Each suite's
# output is copied to <build>/suite.log when this run ends, stopped or not.
run_files="$(mktemp -d)"
bits=(64)
if [ "$vantor_way" = both ]; then bits=(32 64); fi
keep_suite_logs() {
  local b
  for b in "${bits[@]}"; do
    [ -f "$run_files/$b.log" ] || continue
    (VANTOR_BITS=$b; . "$here/scripts/wine-env.sh"; cp "$run_files/$b.log" "$vantor_build/suite.log" 2>/dev/null) || true
  done
}
trap 'keep_suite_logs; rm -rf "$run_files"' EXIT
vantor_on_stop_end_all test.sh

# One build's suite; its output in $run_files/<bits>.log, its wall time in seconds in <bits>.time.
run_suite() (
  export VANTOR_BITS="$1"
  shift
  # shellcheck source=scripts/wine-env.sh
  . "$here/scripts/wine-env.sh"
  local started status=0
  started=$(date +%s)
  bash "$here/scripts/hold-prefix.sh" "test.sh (the $VANTOR_BITS-bit suite)" \
    bash "$here/scripts/in-display.sh" bash "$0" --in-display "$run_files/$VANTOR_BITS.log" "$@" || status=$?
  echo $(($(date +%s) - started)) >"$run_files/$VANTOR_BITS.time"
  exit $status
)

summary_of() {  # bits
  echo "$(grep -E 'tests passed|No tests were found' "$run_files/$1.log" 2>/dev/null | tail -1 || echo "no summary")" \
       "($(cat "$run_files/$1.time" 2>/dev/null || echo ?) s)"
}

if [ "$vantor_way" = both ]; then
  echo "test.sh: the suites of the 32-bit and the 64-bit builds side by side; each test's result as it ends"
else
  echo "test.sh: the suite of the 64-bit test build; each test's result as it ends"
fi
declare -A status
for b in "${bits[@]}"; do
  run_suite "$b" "$@" &
  status[$b]=$!
done
for b in "${bits[@]}"; do
  if wait "${status[$b]}"; then status[$b]=0; else status[$b]=1; fi
done

# What the result lines did not show: each suite's start, its failed tests with their output,
# ctest's summary and where Wine's log is.
for b in "${bits[@]}"; do
  echo
  if [ -f "$run_files/$b.log" ]; then
    grep -vE '^ *Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed ' "$run_files/$b.log" || true
  else
    echo "== the $b-bit suite left no output"
  fi
done

echo
echo "== summary ($vantor_way_reason)"
if [ "$vantor_way" = 64-only ]; then
  file_check="not among the tests run"
  if grep -q '^ *[0-9]*/[0-9]* Test *#[0-9]*: shipped_program_file ' "$run_files/64.log"; then
    file_check="passed"
    if grep -q 'shipped_program_file .*\(Failed\|Timeout\|Not Run\)' "$run_files/64.log"; then file_check="FAILED"; fi
  fi
  echo "The 32-bit Update_Vantor.exe was built but NOT run here; checked as a file only"
  echo "(PE32, GUI, version 1.0.0.23, requireAdministrator manifest: shipped_program_file $file_check)."
fi
# Each suite's summary, then a last line with every suite's tests in one count, from ctest's.
declare -A label=([32]="32-bit build (shipped program):" [64]="64-bit test build:             ")
passed=0
failed=0
unsummed=""
for b in "${bits[@]}"; do
  summary="$(summary_of "$b")"
  echo "${label[$b]} $summary"
  if [[ $summary =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  elif [[ $summary == "no summary"* ]]; then
    unsummed+=" $b-bit"
  fi
done
echo "$passed passed, $failed failed${unsummed:+ (no ctest summary from:$unsummed)}"
for b in "${bits[@]}"; do [ "${status[$b]}" = 0 ] || exit 1; done
exit 0
