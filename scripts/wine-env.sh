# Sourced by the project's scripts: one build's folder and its own quiet Wine prefix.
#   VANTOR_BITS=32 (the default)  the shipped 32-bit build: build/ (or $VANTOR_BUILD_DIR), a win32 prefix
#   VANTOR_BITS=64                the 64-bit test build: build64/, a win64 prefix, and "wine" and
#                                 "wineserver" from scripts/wine64/ (the 64-bit loader itself)
# Sets vantor_build.
_vantor_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export VANTOR_BITS="${VANTOR_BITS:-32}"
if [ "$VANTOR_BITS" = 64 ]; then
  vantor_build="$_vantor_root/build64"
  export WINEPREFIX="$vantor_build/wineprefix"
  export WINEARCH=win64
  case ":$PATH:" in
    *":$_vantor_root/scripts/wine64:"*) ;;
    *) export PATH="$_vantor_root/scripts/wine64:$PATH" ;;
  esac
else
  vantor_build="${VANTOR_BUILD_DIR:-$_vantor_root/build}"
  export WINEPREFIX="${VANTOR_WINEPREFIX:-$_vantor_root/build/wineprefix}"
  export WINEARCH=win32
  PATH="${PATH//$_vantor_root\/scripts\/wine64:/}"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# vantor_start_wine: for a command that holds this prefix (scripts/hold-prefix.sh) and runs in a
# display of its own (scripts/in-display.sh). Ends a Wine server that an earlier command left on
# the prefix (one started without a display cannot show dialogs), then starts this command's
# server and Wine's own helper programs (services.exe and the rest). Their error channels, the
# service manager's messages and what the services they start print go to the run's Wine log,
# $VANTOR_WINE_LOG, with times and process ids: started here, they hold neither the caller's
# output nor its terminal.
vantor_start_wine() {
  export VANTOR_WINE_LOG="$vantor_build/wine.log"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  : >"$VANTOR_WINE_LOG"
  wineserver -p60 2>>"$VANTOR_WINE_LOG"
  WINEDEBUG="+timestamp,+pid,fixme-all,+service" wine cmd /c ver >/dev/null 2>>"$VANTOR_WINE_LOG" || true
}
