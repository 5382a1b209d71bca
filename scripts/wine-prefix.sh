#!/usr/bin/env bash
# Boots the Wine prefix named by $WINEPREFIX once: switches off the crash dialog (a crash then
# ends the process instead of waiting for a click) and lets Wine draw the Japanese fonts that
# the dialogs and menus name with Debian's IPA Gothic.
set -e
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.parlomix-ready" ] && exit 0
wineboot -i >/dev/null 2>&1 9>&- || true
LC_ALL=ja_JP.UTF-8 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
for f in 'ＭＳ Ｐゴシック' 'MS PGothic' 'ＭＳ ゴシック' 'MS Gothic' 'MS UI Gothic' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
  LC_ALL=ja_JP.UTF-8 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ /d 'IPAGothic' /f >/dev/null 2>&1 || true
done
wineserver -w
touch "$WINEPREFIX/.parlomix-ready"
