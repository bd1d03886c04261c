# Sourced by the project's scripts: which way this host takes, found out by trying.
#   both     the host runs 32-bit programs: the shipped 32-bit build and the 64-bit test build
#            are both built and both run;
#   64-only  it does not: the 64-bit test build runs; the 32-bit program is built, not run.
# VANTOR_RUN_32BIT=no takes the 64-only way on any host (and then hides 32-bit programs from
# the run, see vantor_without_32bit); VANTOR_RUN_32BIT=yes takes both ways without trying.
# Sets vantor_way and vantor_way_reason, and vantor_run_bits and vantor_run_build.

# A 32-bit Linux program of 96 bytes that only exits with 42: an ELF header, one program
# header that loads the file at 0x08048000, then mov eax,1; mov ebx,42; int 0x80.
_vantor_probe_32bit() {
  local probe status=0
  # In the project's folder: a temporary folder may forbid running programs.
  probe="$(mktemp "$(dirname "${BASH_SOURCE[0]}")/../.probe32.XXXXXX")"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
  printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
  printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$probe"
  chmod +x "$probe"
  _vantor_probe_error="$( { "$probe"; } 2>&1)" || status=$?
  rm -f "$probe"
  _vantor_probe_error="${_vantor_probe_error##*: }"
  [ "$status" -eq 42 ]
}

# 32-bit programs that run only through a user-mode emulator registered with the kernel
# (qemu-user-static) are far too slow for Wine: that host counts as one that does not run them.
_vantor_32bit_emulated() {
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] || continue
    grep -qx enabled "$entry" 2>/dev/null &&
      grep -q '^magic 7f454c4601010100000000000000000002000300' "$entry" 2>/dev/null && return 0
  done
  return 1
}

case "${VANTOR_RUN_32BIT:-}" in
  no)
    vantor_way=64-only
    vantor_way_reason="VANTOR_RUN_32BIT=no: 32-bit programs are not run"
    ;;
  yes)
    vantor_way=both
    vantor_way_reason="VANTOR_RUN_32BIT=yes"
    ;;
  *)
    if ! _vantor_probe_32bit; then
      vantor_way=64-only
      vantor_way_reason="this host does not run 32-bit programs (a 32-bit probe program failed: ${_vantor_probe_error:-exit code not 42})"
    elif _vantor_32bit_emulated; then
      vantor_way=64-only
      vantor_way_reason="this host runs 32-bit programs only through an emulator (binfmt_misc), too slow for Wine"
    else
      vantor_way=both
      vantor_way_reason="this host runs 32-bit programs (a 32-bit probe program ran)"
    fi
    ;;
esac

# The build that a single run of the program (demo, benchmark) takes: the shipped 32-bit program
# where the host runs it, else the 64-bit test build.
if [ "$vantor_way" = both ]; then
  vantor_run_bits=32
  vantor_run_build="the shipped 32-bit Update_Vantor.exe"
else
  vantor_run_bits=64
  vantor_run_build="the 64-bit test build of Update_Vantor.exe, not the shipped 32-bit program"
fi

# vantor_without_32bit <command...>: runs the command. When VANTOR_RUN_32BIT=no, it runs in a
# mount namespace of its own where the 32-bit Wine loader, the 32-bit Wine server and the i386
# program interpreter are covered by a script that fails loudly: starting any of them prints
# "Exec format error" and exits with 126, and a 32-bit program needing the interpreter does not
# start, as on a host that runs 64-bit programs only (Wine's own prefix set-up would otherwise
# start 32-bit helpers). Not an empty file: Debian's "wine" is a shell script, and a shell takes
# an empty file for an empty script that succeeds.
vantor_without_32bit() {
  if [ "${VANTOR_RUN_32BIT:-}" != no ] || [ -n "${VANTOR_32BIT_HIDDEN:-}" ]; then
    "$@"
    return
  fi
  local refusal status=0 as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(--map-root-user)
  if ! unshare --mount "${as_root[@]}" true 2>/dev/null; then
    # Without 32-bit Wine and the i386 interpreter there is nothing to hide.
    if [ ! -e /usr/lib/wine/wine ] && [ ! -e /lib/ld-linux.so.2 ]; then
      "$@"
      return
    fi
    echo "VANTOR_RUN_32BIT=no needs a mount namespace of its own (unshare --mount) to hide 32-bit programs" >&2
    return 1
  fi
  refusal="$(mktemp "${TMPDIR:-/tmp}/vantor-no32.XXXXXX")"
  printf '#!/bin/sh\necho "$0: cannot execute binary file: Exec format error (a 32-bit program, hidden by VANTOR_RUN_32BIT=no)" >&2\nexit 126\n' >"$refusal"
  chmod +x "$refusal"
  unshare --mount "${as_root[@]}" bash -c '
    set -e
    refusal="$1"; shift
    for program in /usr/lib/wine/wine /usr/lib/wine/wineserver32 /lib/ld-linux.so.2; do
      if [ -e "$program" ]; then mount --bind "$refusal" "$(readlink -f "$program")"; fi
    done
    # The mounts keep the script; its name goes now, so that a stop leaves nothing behind.
    rm -f "$refusal"
    VANTOR_32BIT_HIDDEN=1 exec "$@"' hide-32bit "$refusal" "$@" || status=$?
  rm -f "$refusal"
  return $status
}
