#!/usr/bin/env bash
# Usage: in-display.sh <command...>
# Runs the command in a virtual X display of its own (1024x768, 24 bits) and ends the display
# after it, or when stopped (TERM, INT or HUP). Xvfb picks a free display number itself
# (-displayfd), so commands started at the same moment never race for one, as "xvfb-run -a" can.
set -euo pipefail
# shellcheck source=scripts/process-tree.sh
. "$(dirname "$0")/process-tree.sh"
vantor_on_stop_end_all in-display.sh
number="$(mktemp)"
errors="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" 2>"$errors" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -f "$number" "$errors"' EXIT
for _ in $(seq 300); do
  [ -s "$number" ] && break
  if ! kill -0 "$xvfb" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ ! -s "$number" ]; then
  echo "in-display.sh: Xvfb did not start:" >&2
  cat "$errors" >&2
  exit 1
fi
status=0
DISPLAY=":$(tr -d '\n' <"$number")" vantor_stoppable "$@" || status=$?
exit $status
