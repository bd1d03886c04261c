# shellcheck shell=bash
# Sourced by the project's scripts, so that a stop (TERM, INT or HUP) sent to a script alone ends
# everything that script started: its children and theirs, whatever they are doing.
#   vantor_on_stop_end_all <who> [hook]   from then on a stop runs the hook (a command that
#       ends what this script started outside its own process tree), ends this script's
#       descendants (vantor_end_processes), says "<who>: stopped by SIG..." when this is the
#       outermost such script, and exits 128+n.
#   vantor_stoppable <command...>   runs the command so that a stop reaches this script at once:
#       bash runs a trap only once a command in the foreground has ended, so the command runs
#       in the background, standard input kept, and is waited for. Returns its exit status.
#   vantor_descendants <pid>        the pids of the process's descendants, parents first.
#   vantor_end_processes <seconds> <pid...>   ends them: TERM to all at once, KILL to any that
#       is left after the seconds given.

vantor_descendants() {
  local -A children=()
  local stat line pid ppid queue found=()
  for stat in /proc/[0-9]*/stat; do
    read -r line 2>/dev/null <"$stat" || continue
    pid="${line%% *}"
    # The parent is the second field after the command name, which may hold blanks and ")".
    ppid="${line##*) }"
    ppid="${ppid#* }"
    ppid="${ppid%% *}"
    [ "$pid" = "$BASHPID" ] || children[$ppid]+=" $pid"
  done
  queue=("$1")
  while [ ${#queue[@]} -gt 0 ]; do
    pid="${queue[0]}"
    queue=("${queue[@]:1}")
    for ppid in ${children[$pid]:-}; do
      found+=("$ppid")
      queue+=("$ppid")
    done
  done
  echo "${found[*]}"
}

# Alive: neither gone nor a zombie (one that ended and only waits for its parent to notice).
_vantor_alive() {
  local line
  read -r line 2>/dev/null <"/proc/$1/stat" || return 1
  line="${line##*) }"
  [ "${line%% *}" != Z ]
}

vantor_end_processes() {
  local seconds="$1" pid left tries
  shift
  [ $# -gt 0 ] || return 0
  # Stopped first, all of them, so that none starts another process or dies and leaves its
  # children to init before each one has its TERM.
  kill -STOP "$@" 2>/dev/null || true
  kill -TERM "$@" 2>/dev/null || true
  kill -CONT "$@" 2>/dev/null || true
  for ((tries = seconds * 10; tries > 0; tries--)); do
    left=()
    for pid; do
      if _vantor_alive "$pid"; then left+=("$pid"); fi
    done
    [ ${#left[@]} -gt 0 ] || return 0
    sleep 0.1
  done
  kill -KILL "${left[@]}" 2>/dev/null || true
}

_vantor_stopped() {  # signal name, who, hook
  local signal="$1" who="$2" hook="$3" pids grace=3
  trap '' TERM INT HUP
  if [ -n "$hook" ]; then eval "$hook" || true; fi
  # The outermost script gives the scripts it started time to end what they started.
  [ "${VANTOR_STOP_REPORTER:-}" != $$ ] || grace=10
  pids=$(vantor_descendants $$)
  # shellcheck disable=SC2086  # a list of pids
  vantor_end_processes "$grace" $pids
  # A child that was busy forking a moment ago may have left one more.
  pids=$(vantor_descendants $$)
  # shellcheck disable=SC2086
  vantor_end_processes 2 $pids
  if [ "${VANTOR_STOP_REPORTER:-}" = $$ ]; then
    echo "$who: stopped by SIG$signal; what it started has ended" >&2
  fi
  case "$signal" in
    HUP) exit 129 ;;
    INT) exit 130 ;;
    *) exit 143 ;;
  esac
}

vantor_on_stop_end_all() {
  # The outermost script says that it was stopped; scripts it started end quietly.
  if [ -z "${VANTOR_STOP_REPORTER:-}" ]; then export VANTOR_STOP_REPORTER=$$; fi
  local signal
  for signal in TERM INT HUP; do
    # shellcheck disable=SC2064  # the arguments are fixed now
    trap "_vantor_stopped $signal $(printf '%q' "$1") $(printf '%q' "${2:-}")" "$signal"
  done
}

vantor_stoppable() {
  "$@" <&0 &
  wait $!
}
