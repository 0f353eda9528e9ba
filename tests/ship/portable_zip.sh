#!/usr/bin/env bash
# The portable ZIP holds the program alone, at its top level, byte for byte the
# one just built.
# Usage: portable_zip.sh ZIP EXE
set -euo pipefail
zip="$(realpath "$1")"
exe="$2"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

entries="$(cmake -E tar tf "$zip")"
if [ "$entries" != "lunabel.exe" ]; then
    echo "FAIL: the ZIP holds:" >&2
    echo "$entries" >&2
    exit 1
fi
(cd "$work" && cmake -E tar xf "$zip")
if ! cmp -s "$work/lunabel.exe" "$exe"; then
    echo "FAIL: the ZIP's lunabel.exe is not the one built" >&2
    exit 1
fi
echo "ok: $(basename "$zip") holds lunabel.exe alone"
