# Sourced by the project's scripts: the project's own quiet 32-bit Wine prefix.
_vantor_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VANTOR_WINEPREFIX:-$_vantor_root/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
