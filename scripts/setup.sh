#!/usr/bin/env bash
# Installs everything the builds and the tests need on Debian 12 and prepares the project's own
# Wine prefixes for the way this host takes (scripts/host-way.sh): a win64 prefix for the 64-bit
# test build always, and a win32 prefix for the shipped 32-bit build where the host runs 32-bit
# programs. Safe to run again: it skips what is already there. Ends with one line: the way
# taken and why.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/host-way.sh
. "$here/scripts/host-way.sh"

# One prefix, made with the loader of its own build, while no other command uses it.
make_prefix() (
  export VANTOR_BITS="$1"
  # shellcheck source=scripts/wine-env.sh
  . "$here/scripts/wine-env.sh"
  if [ -f "$WINEPREFIX/.vantor-ready" ] && [ -f "$WINEPREFIX/.vantor-cjk-fonts" ] &&
     [ -f "$WINEPREFIX/.vantor-wmi-standin" ]; then
    return 0
  fi
  bash "$here/scripts/hold-prefix.sh" "setup.sh" bash "$0" --make-prefix "$1"
)

make_prefix_held() (
  export VANTOR_BITS="$1"
  # shellcheck source=scripts/wine-env.sh
  . "$here/scripts/wine-env.sh"
  if [ ! -f "$WINEPREFIX/.vantor-ready" ]; then
    mkdir -p "$WINEPREFIX"
    # A host without 32-bit programs complains here once about syswow64's rundll32; harmless.
    bash "$here/scripts/in-display.sh" sh -c 'wine wineboot --init; wineserver -w' >"$WINEPREFIX/../wineboot.log" 2>&1 || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      cat "$WINEPREFIX/../wineboot.log" >&2
      echo "setup: the $WINEARCH Wine prefix was not made ($WINEPREFIX)" >&2
      exit 1
    fi
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    bash "$here/scripts/in-display.sh" sh -c 'wine reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null; wineserver -w'
    touch "$WINEPREFIX/.vantor-ready"
  fi
  # The dialogs' Traditional Chinese texts: link a CJK font behind the dialog and caption fonts.
  if [ ! -f "$WINEPREFIX/.vantor-cjk-fonts" ]; then
    bash "$here/scripts/in-display.sh" sh -c 'for face in Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2"; do
        wine reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink" /v "$face" \
          /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null
      done; wineserver -w'
    touch "$WINEPREFIX/.vantor-cjk-fonts"
  fi
  # Simulated boards: programs may take the WMI locator stand-in from their own folder.
  if [ ! -f "$WINEPREFIX/.vantor-wmi-standin" ]; then
    bash "$here/scripts/in-display.sh" sh -c '"$0"/sim/wmi/set_locator_registration.sh standin; wineserver -w' "$here"
    touch "$WINEPREFIX/.vantor-wmi-standin"
  fi
)

if [ "${1:-}" = --make-prefix ]; then
  make_prefix_held "$2"
  exit 0
fi
if [ "${1:-}" = --prefixes ]; then
  make_prefix 64
  if [ "$vantor_way" = both ]; then make_prefix 32; fi
  exit 0
fi

# Both builds are always compiled (the 32-bit program is what ships); 32-bit Wine only where
# the host runs 32-bit programs.
need_pkgs=(g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine64 fonts-wine xvfb xauth xdotool imagemagick
           cmake make googletest python3 fonts-wqy-microhei)
if [ "$vantor_way" = both ]; then need_pkgs+=(wine wine32:i386); fi
missing=()
for p in "${need_pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  if [ "$vantor_way" = both ]; then $sudo_cmd dpkg --add-architecture i386; fi
  $sudo_cmd apt-get update -q
  # Through env: sudo resets the environment, and a package that asks a question stops the set-up.
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

vantor_without_32bit bash "$0" --prefixes
if [ "$vantor_way" = both ]; then
  echo "setup: both builds, 32-bit (build/wineprefix, win32) and 64-bit (build64/wineprefix, win64): $vantor_way_reason"
else
  echo "setup: the 64-bit test build only (build64/wineprefix, win64); the 32-bit program is built, not run: $vantor_way_reason"
fi
