#!/usr/bin/env bash
# Tries the Windows installer under Wine as a user would, silently: installs
# it for the current user, checks the files, the Start-menu entry and the
# registry keys of the pattern file type, opens a plan through that file
# type, uninstalls and checks that nothing the installer put there is left
# while a plan of the user's stays.
#
# test-windows-installer.sh SETUP.exe STAGED_FOLDER WORK_FOLDER
# Run by scripts/test-windows.sh, which has set WINEPREFIX and DISPLAY (an
# Xvfb display); exits non-zero on the first failure.
set -euo pipefail
setup=$1
folder=$2
out=$3

fail() { echo "installer: $*" >&2; exit 1; }
# One value of a registry key ('' for the key's default), as text.
value() {
  local args=(/ve)
  [ -n "${2:-}" ] && args=(/v "$2")
  wine reg query "$1" "${args[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *[^ ].*  *REG_[A-Z_]*  *//p' | head -n 1
}
absent() { ! wine reg query "$1" >/dev/null 2>&1; }

classes='HKCU\Software\Classes'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\quovel-pm'
absent "$classes\\QuovelPM.Pattern" || fail "the file type is registered before the installation"

timeout 300 wine "$setup" /S || fail "the silent installation failed"
instdir_win=$(value "$uninstall_key" InstallLocation)
[ -n "$instdir_win" ] || fail "no uninstall entry"
instdir=$(winepath -u "$instdir_win")
echo "installed into $instdir_win"
[[ "$instdir_win" == *'\AppData\Local\Programs\'* ]] || fail "not a per-user installation"

# Every file of the staged folder, and the uninstaller.
diff <(cd "$folder" && find . -type f ! -name '*.nsh' | sort) \
  <(cd "$instdir" && find . -type f ! -name uninstall.exe | sort) || fail "other files installed"
[ -f "$instdir/uninstall.exe" ] || fail "no uninstaller"

appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
shortcut=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Quovel Pattern Manager.lnk")
[ -f "$shortcut" ] || fail "no Start-menu entry at $shortcut"

exe_win="$instdir_win\\quovel-pm.exe"
[ "$(value "$classes\\.pat")" = QuovelPM.Pattern ] || fail ".pat is not the program's"
[ "$(value "$classes\\QuovelPM.Pattern\\shell\\open\\command")" = "\"$exe_win\" \"%1\"" ] ||
  fail "open command: $(value "$classes\\QuovelPM.Pattern\\shell\\open\\command")"
[ "$(value "$classes\\QuovelPM.Pattern\\DefaultIcon")" = "\"$exe_win\",0" ] || fail "no icon of the file type"
echo "Start-menu entry and file type registered"

# A plan opened as Explorer opens it, through the file type: the window shows
# it in its caption, saves a picture of itself and ends.
plan="$out/plan-from-explorer.pat"
cp "$folder/template/qvl_hard.pat" "$plan"
rm -f "$out/opened.png"
QVL_SCREENSHOT=$(winepath -w "$out/opened.png") timeout 180 wine start /wait /unix "$plan" &
started=$!
seen=""
while kill -0 "$started" 2>/dev/null; do
  if [ -z "$seen" ] && xwininfo -root -tree 2>/dev/null | grep -q 'plan-from-explorer'; then seen=yes; fi
  sleep 0.2
done
wait "$started" || fail "wine start failed"
[ -n "$seen" ] || fail "no window showed plan-from-explorer.pat"
[ -s "$out/opened.png" ] || fail "the window opened through the file type did not paint"
echo "plan-from-explorer.pat opened through the file type"

# A plan of the user's inside the program's folder stays.
echo '; mine' >"$instdir/template/mine.pat"
timeout 300 wine "$instdir/uninstall.exe" /S || fail "the silent uninstallation failed"
# The uninstaller runs from a copy of itself and returns at once.
for _ in $(seq 600); do
  [ -e "$instdir/uninstall.exe" ] || break
  sleep 0.1
done
left=$(cd "$instdir" && find . | sort | tr '\n' ' ')
[ "$left" = ". ./template ./template/mine.pat " ] || fail "left behind: $left"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
for key in "$classes\\.pat" "$classes\\QuovelPM.Pattern" "$classes\\Applications\\quovel-pm.exe" \
  "$uninstall_key"; do
  absent "$key" || fail "left in the registry: $key"
done
rm -rf "$instdir"
echo "uninstalled: nothing left but the user's plan"
