#!/usr/bin/env bash
# Installs everything the build and the tests need. Safe to run again: each
# step checks whether its work is already done.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${LUNABEL_BUILD_DIR:-$root/build}"

packages=(
  cmake ninja-build make pkg-config dpkg-dev locales
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev
  wine wine64 fonts-wine fonts-comic-neue fonts-liberation
  xvfb xauth x11-utils xdotool imagemagick libx11-dev libxext-dev libxdamage-dev
  googletest libbenchmark-dev libpng-dev zlib1g-dev
  clang libclang-rt-14-dev clang-format
  cups printer-driver-cups-pdf poppler-utils python3-fonttools
  nsis
)

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  log="$(mktemp)"
  install() {
    as_root apt-get update -q >"$log" 2>&1 &&
      DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}" >>"$log" 2>&1
  }
  # A package's configure script can fail once on a busy machine; one retry.
  if ! install && ! install; then
    tail -n 30 "$log" >&2
    echo "setup: package installation failed" >&2
    exit 1
  fi
  rm -f "$log"
fi

# Wine converts file names with the host's locale: without a UTF-8 locale on
# the host, folders with non-ASCII names cannot be created. The tests run
# Wine in every language the program speaks.
for wanted in en_US de_DE fr_FR es_ES it_IT pt_BR pl_PL; do
  if ! locale -a 2>/dev/null | grep -qi "^${wanted}\.utf-\?8$"; then
    as_root sed -i "s/^# *\(${wanted}\.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    need_locale_gen=1
  fi
done
if [ -n "${need_locale_gen:-}" ]; then
  as_root locale-gen >/dev/null
fi

# libpng 1.6 for the Windows target, from Debian's patched source package.
png_prefix="$build/deps/libpng-mingw"
if [ ! -f "$png_prefix/lib/libpng16.a" ] && [ ! -f "$png_prefix/lib/libpng.a" ]; then
  src_list=/etc/apt/sources.list.d/lunabel-debsrc.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$src_list" >/dev/null
    as_root apt-get update -qq
  fi
  mkdir -p "$build/deps/src"
  if ! ls -d "$build"/deps/src/libpng1.6-*/ >/dev/null 2>&1; then
    # The newest source version is not always on the mirror yet: take the
    # newest one that downloads.
    fetched=""
    for version in $(apt-cache showsrc libpng1.6 | awk '/^Version:/ {print $2}' | sort -rV); do
      if (cd "$build/deps/src" && apt-get source -q "libpng1.6=$version" >/dev/null 2>&1); then
        fetched="$version"
        break
      fi
    done
    [ -n "$fetched" ] || { echo "setup: cannot download libpng1.6 sources" >&2; exit 1; }
  fi
  png_src="$(ls -d "$build"/deps/src/libpng1.6-*/ | head -n1)"
  cmake -S "$png_src" -B "$build/deps/libpng-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$png_prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
-DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_EXPORT=ON >/dev/null
  cmake --build "$build/deps/libpng-build" >/dev/null
  cmake --install "$build/deps/libpng-build" >/dev/null
fi
echo "setup: done"
