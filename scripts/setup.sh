#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12 and prepares the project's
# own Wine prefix. Safe to run again: it skips what is already there.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

need_pkgs=(g++-mingw-w64-i686 wine wine32:i386 fonts-wine xvfb xauth xdotool imagemagick
           cmake make googletest python3 fonts-wqy-microhei)
missing=()
for p in "${need_pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd dpkg --add-architecture i386
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# shellcheck source=scripts/wine-env.sh
. "$here/scripts/wine-env.sh"
if [ ! -f "$WINEPREFIX/.vantor-ready" ]; then
  mkdir -p "$WINEPREFIX"
  xvfb-run -a sh -c 'wineboot --init; wineserver -w'
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  xvfb-run -a sh -c 'wine reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null; wineserver -w'
  touch "$WINEPREFIX/.vantor-ready"
fi
# The dialogs' Traditional Chinese texts: link a CJK font behind the dialog and caption fonts.
if [ ! -f "$WINEPREFIX/.vantor-cjk-fonts" ]; then
  xvfb-run -a sh -c 'for face in Tahoma "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2"; do
      wine reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink" /v "$face" \
        /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null
    done; wineserver -w'
  touch "$WINEPREFIX/.vantor-cjk-fonts"
fi
# Simulated boards: programs may take the WMI locator stand-in from their own folder.
if [ ! -f "$WINEPREFIX/.vantor-wmi-standin" ]; then
  xvfb-run -a sh -c '"$0"/sim/wmi/set_locator_registration.sh standin; wineserver -w' "$here"
  touch "$WINEPREFIX/.vantor-wmi-standin"
fi
echo "setup done: WINEPREFIX=$WINEPREFIX"
