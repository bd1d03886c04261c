#!/usr/bin/env bash
# Usage: run-test-program.sh <wine> <program> [arguments...]
# ctest's way of running a test program under Wine. When the program fails it says how it ended,
# how soon, whether the suite's Wine server still ran, and where the suite's Wine log is: a
# program that Wine could not start at all otherwise leaves no line of its own.
wine="$1"
shift
started=$(date +%s%N)
status=0
"$wine" "$@" || status=$?
if [ "$status" -ne 0 ]; then
  how="exit status $status"
  if [ "$status" -gt 128 ] && [ "$status" -lt 160 ]; then how="$how (signal $(kill -l $((status - 128))))"; fi
  # A prefix's Wine server works in a folder named server-<device>-<inode of the prefix>.
  server="not running"
  # shellcheck disable=SC2046
  server_dir="server-$(printf '%x-%x' $(stat -c '%d %i' "${WINEPREFIX:-$HOME/.wine}" 2>/dev/null || echo 0 0))"
  for pid in $(pgrep -u "$(id -u)" wineserver); do
    case "$(readlink "/proc/$pid/cwd")" in */"$server_dir") server="running (pid $pid)" ;; esac
  done
  echo "run-test-program.sh: ${1##*/} ended with $how after $((($(date +%s%N) - started) / 1000000)) ms;" \
       "the prefix's Wine server: $server; the suite's Wine log: ${VANTOR_WINE_LOG:-(none)}" >&2
fi
exit "$status"
