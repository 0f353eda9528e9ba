#!/usr/bin/env bash
# Builds what users download: the per-user installer and the portable ZIP, in
# $LUNABEL_BUILD_DIR/package (build/package by default).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh
source scripts/common.sh

log "Windows build"
build_windows

out="$lunabel_build/package"
log "packaging into $out"
rm -rf "$out/_CPack_Packages"
cpack --config "$lunabel_windows_build/CPackConfig.cmake" -B "$out"
# CPack's staging area is of no use once the packages exist.
rm -rf "$out/_CPack_Packages"
ls -l "$out"
