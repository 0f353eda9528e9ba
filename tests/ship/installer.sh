#!/usr/bin/env bash
# The installer under Wine, run silently as a user would from a script: it
# installs for this user only, refuses to touch a running copy, and its
# uninstaller removes what it installed and nothing of the user's data.
# Usage: installer.sh INSTALLER EXE   (Wine's prefix in WINEPREFIX, a display in DISPLAY)
set -euo pipefail
installer="$1"
exe="$2"
: "${WINEPREFIX:?the Wine prefix of the tests}"
# Shortcuts would otherwise also land in the host's desktop menus.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"

# shellcheck source=../../scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"
install_dir="$(wine_install_dir)"
shortcut="$(wine_shortcut)"
user_data="$(wine_data_file)"
key="$lunabel_uninstall_key"

status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}
check() { # description, command...
    local what="$1"
    shift
    if "$@"; then echo "ok: $what"; else fail "$what"; fi
}

# Polls for a condition; the bound is only reached when something is broken.
wait_for() { # seconds, command...
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

reg_value() { # root, name
    wine reg query "$1\\$key" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^[[:space:]]*$2[[:space:]]\+REG_[A-Z_]\+[[:space:]]\+//p"
}
has_key() { wine reg query "$1\\$key" >/dev/null 2>&1; }

app=""
cleanup() {
    stop_app
    remove_installation
    restore_data_file
}
keep_data_file
trap cleanup EXIT
remove_installation # what a broken earlier run may have left

echo "--- install"
check "installer exits with 0" wine "$installer" /S
check "program installed under LOCALAPPDATA\\Programs\\Lunabel" cmp -s "$install_dir/lunabel.exe" "$exe"
check "uninstaller installed" test -f "$install_dir/Uninstall.exe"
check "shortcut in the user's Start menu" test -f "$shortcut"
installed="$(ls -A "$install_dir" | LC_ALL=C sort | tr '\n' ' ')"
check "nothing but the program and the uninstaller installed (found: $installed)" \
    test "$installed" = "Uninstall.exe lunabel.exe "
location="$(reg_value HKCU InstallLocation)"
check "InstallLocation names the folder" \
    test "$(realpath -m "$(winepath -u "$location" 2>/dev/null)")" = "$(realpath -m "$install_dir")"
while IFS='|' read -r name expected; do
    check "uninstall entry $name" test "$(reg_value HKCU "$name")" = "$expected"
done <<EOF_VALUES
DisplayName|Lunabel
DisplayVersion|1.0
Publisher|Lunabel
DisplayIcon|$location\\lunabel.exe,0
UninstallString|"$location\\Uninstall.exe"
NoModify|0x1
NoRepair|0x1
EOF_VALUES
check "no entry for all users" bash -c "! wine reg query 'HKLM\\$key' >/dev/null 2>&1"

echo "--- with the program running"
wine "$install_dir/lunabel.exe" >/dev/null 2>&1 &
app=$!
check "the installed program starts" \
    wait_for 60 bash -c "xdotool search --name '^Lunabel\$' >/dev/null 2>&1"
check "installing over it is refused" bash -c "! wine '$installer' /S"
# In place (_?=) the uninstaller does not copy itself away, so it can be waited for.
check "uninstalling it is refused" \
    bash -c "! wine '$install_dir/Uninstall.exe' /S '_?=$location'"
check "the program is still installed" cmp -s "$install_dir/lunabel.exe" "$exe"
check "the uninstall entry is still there" has_key HKCU
wine taskkill /im lunabel.exe >/dev/null 2>&1 || true
wait "$app" || true
app=""

echo "--- uninstall, with data beside the program and in APPDATA"
printf 'beside' >"$install_dir/lunabel.exe.data"
printf 'roaming' >"$user_data"
check "uninstaller starts" wine "$install_dir/Uninstall.exe" /S
# It runs on from a copy of itself in TEMP and deletes its own file last.
check "uninstaller finishes" wait_for 60 gone "$install_dir/Uninstall.exe"
check "program removed" gone "$install_dir/lunabel.exe"
check "shortcut removed" gone "$shortcut"
check "uninstall entry removed" bash -c "! wine reg query 'HKCU\\$key' >/dev/null 2>&1"
check "data file beside the program kept" test "$(cat "$install_dir/lunabel.exe.data")" = beside
check "nothing else left in the folder" test "$(ls -A "$install_dir")" = lunabel.exe.data
check "data file in APPDATA kept" test "$(cat "$user_data")" = roaming

echo "--- install and uninstall again, leaving nothing"
rm -f "$install_dir/lunabel.exe.data"
check "installer exits with 0" wine "$installer" /S
check "uninstaller starts" wine "$install_dir/Uninstall.exe" /S
check "the folder is removed" wait_for 60 gone "$install_dir"
check "data file in APPDATA kept" test "$(cat "$user_data")" = roaming

exit "$status"
