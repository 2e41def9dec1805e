#!/usr/bin/env bash
# Tries the Windows installer under Wine as a user would, silently, once for
# the current user (the default) and once for all users: checks the files,
# the Start-menu entry and the registry keys of the pattern file type, opens
# a plan through that file type, uninstalls and checks that nothing the
# installer put there is left while a plan of the user's stays.
#
# Wine 8 looks file types up in the machine's classes only, not in the
# user's (HKCU\Software\Classes) as Windows does; so the plan is opened
# through the file type of the installation for all users.
#
# test-windows-installer.sh SETUP.exe STAGED_FOLDER WORK_FOLDER
# Run by scripts/test-windows.sh, which has set WINEPREFIX and DISPLAY (an
# Xvfb display); exits non-zero on the first failure.
set -euo pipefail
setup=$1
folder=$2
out=$3

fail() { echo "installer: $*" >&2; exit 1; }
# One value of a registry key (without a name: the key's default), as text;
# nothing when there is no such key or value.
value() {
  local args=(/ve)
  [ -n "${2:-}" ] && args=(/v "$2")
  { wine reg query "$1" "${args[@]}" 2>/dev/null || true; } | tr -d '\r' |
    sed -n 's/^ *[^ ].*  *REG_[A-Z_]*  *//p' | head -n 1
}
absent() { ! wine reg query "$1" >/dev/null 2>&1; }
windows_env() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

# try MODE: MODE is user or all.
try() {
  local mode=$1 options=(/S) root=HKCU start_menu expected_dir
  start_menu="$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs"
  expected_dir="$(windows_env LOCALAPPDATA)\\Programs\\Quovel Pattern Manager"
  if [ "$mode" = all ]; then
    options+=(/AllUsers)
    root=HKLM
    start_menu="$(windows_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs"
    expected_dir="$(windows_env ProgramW6432)\\Quovel Pattern Manager"
  fi
  local classes="$root\\Software\\Classes"
  local uninstall_key="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quovel-pm"
  absent "$classes\\QuovelPM.Pattern" || fail "$mode: the file type is registered before the installation"

  timeout 300 wine "$setup" "${options[@]}" || fail "$mode: the silent installation failed"
  local instdir_win instdir
  instdir_win=$(value "$uninstall_key" InstallLocation)
  [ "$instdir_win" = "$expected_dir" ] || fail "$mode: installed into '$instdir_win', not $expected_dir"
  instdir=$(winepath -u "$instdir_win")
  echo "$mode: installed into $instdir_win"

  # Every file of the staged folder, and the uninstaller.
  diff <(cd "$folder" && find . -type f | sort) \
    <(cd "$instdir" && find . -type f ! -name uninstall.exe | sort) ||
    fail "$mode: other files installed"
  [ -f "$instdir/uninstall.exe" ] || fail "$mode: no uninstaller"
  local shortcut
  shortcut=$(winepath -u "$start_menu\\Quovel Pattern Manager.lnk")
  [ -f "$shortcut" ] || fail "$mode: no Start-menu entry at $shortcut"

  local exe_win="$instdir_win\\quovel-pm.exe"
  [ "$(value "$classes\\.pat")" = QuovelPM.Pattern ] || fail "$mode: .pat is not the program's"
  [ "$(value "$classes\\QuovelPM.Pattern\\shell\\open\\command")" = "\"$exe_win\" \"%1\"" ] ||
    fail "$mode: open command '$(value "$classes\\QuovelPM.Pattern\\shell\\open\\command")'"
  [ "$(value "$classes\\QuovelPM.Pattern\\DefaultIcon")" = "\"$exe_win\",0" ] ||
    fail "$mode: no icon of the file type"
  echo "$mode: files, Start-menu entry and file type ($classes) in place"

  if [ "$mode" = all ]; then
    # A plan opened as Explorer opens it, through the file type: the window
    # shows it in its caption, saves a picture of itself and ends.
    local plan="$out/plan-from-explorer.pat" started seen=""
    cp "$folder/template/qvl_hard.pat" "$plan"
    rm -f "$out/opened.png"
    QVL_SCREENSHOT=$(winepath -w "$out/opened.png") timeout 180 wine start /wait /unix "$plan" &
    started=$!
    while kill -0 "$started" 2>/dev/null; do
      if [ -z "$seen" ] && xwininfo -root -tree 2>/dev/null | grep -aq 'plan-from-explorer\.pat'; then
        seen=yes
      fi
      sleep 0.2
    done
    wait "$started" || fail "wine start failed"
    [ -n "$seen" ] || fail "no window showed plan-from-explorer.pat"
    [ -s "$out/opened.png" ] || fail "the window opened through the file type did not paint"
    echo "$mode: plan-from-explorer.pat opened through the file type"
  fi

  # A plan of the user's inside the program's folder stays.
  echo '; mine' >"$instdir/template/mine.pat"
  timeout 300 wine "$instdir/uninstall.exe" /S || fail "$mode: the silent uninstallation failed"
  # The uninstaller runs from a copy of itself and returns at once.
  for _ in $(seq 600); do
    [ -e "$instdir/uninstall.exe" ] || break
    sleep 0.1
  done
  local left
  left=$(cd "$instdir" && find . | sort | tr '\n' ' ')
  [ "$left" = ". ./template ./template/mine.pat " ] || fail "$mode: left behind: $left"
  [ ! -e "$shortcut" ] || fail "$mode: the Start-menu entry is left"
  for key in "$classes\\.pat" "$classes\\QuovelPM.Pattern" "$classes\\Applications\\quovel-pm.exe" \
    "$uninstall_key"; do
    absent "$key" || fail "$mode: left in the registry: $key"
  done
  rm -rf "$instdir"
  echo "$mode: uninstalled, nothing left but the user's plan"
}

try user
try all
