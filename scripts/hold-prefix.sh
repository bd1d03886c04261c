#!/usr/bin/env bash
# Usage: hold-prefix.sh <who> <command...>
# Runs the command holding this build's folder and Wine prefix ($WINEPREFIX, from wine-env.sh):
# one command at a time builds there, or runs Wine there. A second command waits, saying for
# what, and never ends the first one's Wine server or programs.
set -euo pipefail
who="$1"
shift
: "${WINEPREFIX:?hold-prefix.sh: source scripts/wine-env.sh first}"
mkdir -p "$WINEPREFIX"
lock="$WINEPREFIX/.vantor-held-by"
exec 9>>"$lock"
if ! flock -n 9; then
  holder="$(cat "$lock" 2>/dev/null || true)"
  echo "$who: waiting for $WINEPREFIX, held by ${holder:-another command}" >&2
  flock 9
  echo "$who: $WINEPREFIX is free now" >&2
fi
printf '%s (pid %s) since %s\n' "$who" "$$" "$(date +%T)" >"$lock"
# The lock stays with this script alone: a Wine server the command starts may outlive it.
status=0
"$@" 9>&- || status=$?
: >"$lock"
exit $status
