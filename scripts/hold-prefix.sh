#!/usr/bin/env bash
# Usage: hold-prefix.sh <who> <command...>
# Runs the command holding this build's folder and Wine prefix ($WINEPREFIX, from wine-env.sh):
# one command at a time builds there, or runs Wine there. A second command waits, saying for
# what, and never ends the first one's Wine server or programs. Stopped (TERM, INT or HUP), it
# ends the command and, once it holds the prefix, the prefix's Wine server and every Wine
# program on it, then frees the prefix.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
who="$1"
shift
: "${WINEPREFIX:?hold-prefix.sh: source scripts/wine-env.sh first}"
# shellcheck source=scripts/process-tree.sh
. "$here/process-tree.sh"
mkdir -p "$WINEPREFIX"
lock="$WINEPREFIX/.vantor-held-by"
held=no
# On a stop: the prefix's Wine programs are not this script's children. Killed by their server,
# at once, before the rest of the command ends.
# shellcheck disable=SC2317  # run by the stop trap
end_wine() {
  if [ "$held" = yes ]; then
    wineserver -k 2>/dev/null || true
    : >"$lock"
  fi
}
vantor_on_stop_end_all "$who" end_wine
exec 9>>"$lock"
if ! flock -n 9; then
  holder="$(cat "$lock" 2>/dev/null || true)"
  echo "$who: waiting for $WINEPREFIX, held by ${holder:-another command}" >&2
  # The lock belongs to the open file, which this script keeps: taken by flock's own process,
  # it stays with this one.
  vantor_stoppable flock 9
  echo "$who: $WINEPREFIX is free now" >&2
fi
held=yes
printf '%s (pid %s) since %s\n' "$who" "$$" "$(date +%T)" >"$lock"
# The lock stays with this script alone: a Wine server the command starts may outlive it.
status=0
vantor_stoppable "$@" 9>&- || status=$?
: >"$lock"
exit $status
