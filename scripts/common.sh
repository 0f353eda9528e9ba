# Shared by run.sh, test.sh and the scripts under scripts/: where things are,
# how to build, and how to give Wine a private prefix and a display.
# Source it; it defines functions and exports nothing until they are called.

lunabel_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
lunabel_build="${LUNABEL_BUILD_DIR:-$lunabel_root/build}"
lunabel_windows_build="$lunabel_build/windows"
lunabel_native_build="$lunabel_build/native"

log() { echo "[lunabel] $*" >&2; }

jobs_for_build() { nproc 2>/dev/null || echo 2; }

# configure_windows DIR [CMAKE ARGS...]: a cross build tree for the target.
configure_windows() {
    local dir="$1"
    shift
    cmake -S "$lunabel_root" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$lunabel_root/cmake/mingw-w64-x86_64.cmake" \
        -DLUNABEL_TARGET_PREFIX="$lunabel_build/deps/libpng-mingw" \
        -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

build_windows() {
    configure_windows "$lunabel_windows_build" -DLUNABEL_BUILD_TESTS=ON "$@"
    cmake --build "$lunabel_windows_build" -j "$(jobs_for_build)"
}

# build_windows_bench TARGET...: Windows benchmarks, in a Release tree of their own.
lunabel_bench_windows_build="$lunabel_build/bench-windows"
build_windows_bench() {
    configure_windows "$lunabel_bench_windows_build" -DLUNABEL_BENCH=ON -DLUNABEL_BUILD_TESTS=OFF
    cmake --build "$lunabel_bench_windows_build" -j "$(jobs_for_build)" --target "$@"
}

# build_native_bench TARGET...: native benchmarks, in a Release tree of their own.
lunabel_bench_native_build="$lunabel_build/bench"
build_native_bench() {
    cmake -S "$lunabel_root" -B "$lunabel_bench_native_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DLUNABEL_BENCH=ON -DLUNABEL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$lunabel_bench_native_build" -j "$(jobs_for_build)" --target "$@"
}

build_native() {
    local extra=()
    if command -v clang++ >/dev/null; then
        extra+=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLUNABEL_FUZZ=ON)
    fi
    cmake -S "$lunabel_root" -B "$lunabel_native_build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Debug -DLUNABEL_SANITIZE=ON "${extra[@]}" "$@" >/dev/null
    cmake --build "$lunabel_native_build" -j "$(jobs_for_build)"
}

# --- display -----------------------------------------------------------------

lunabel_xvfb_pid=""

# Starts Xvfb when there is no display. Sets DISPLAY either way.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
        lunabel_xvfb_pid=$!
        export DISPLAY=":$n"
        local tries
        for tries in $(seq 1 100); do
            xdpyinfo >/dev/null 2>&1 && return 0
            kill -0 "$lunabel_xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$lunabel_xvfb_pid" 2>/dev/null || true
        lunabel_xvfb_pid=""
    done
    log "cannot start a virtual display"
    return 1
}

stop_display() {
    if [ -n "$lunabel_xvfb_pid" ]; then
        kill "$lunabel_xvfb_pid" 2>/dev/null || true
        wait "$lunabel_xvfb_pid" 2>/dev/null || true
        lunabel_xvfb_pid=""
    fi
}

# --- wine ----------------------------------------------------------------------

use_wine_prefix() {
    export WINEPREFIX="$lunabel_build/wineprefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    # No Mono or Gecko installers on a new prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Wine takes the user locale from LC_ALL. It is passed only to Wine's own
# processes (and CTest, which starts them): the host need not have the locale.
lunabel_locale="${LUNABEL_LOCALE:-en_US.UTF-8}"

run_wine() {
    env LC_ALL="$lunabel_locale" wine "$@"
}

# The prefix's user folder, as a Linux path (Wine names it after the user).
wine_user_dir() {
    echo "$WINEPREFIX/drive_c/users/$(id -un)"
}

wine_data_file() {
    echo "$(wine_user_dir)/AppData/Roaming/Lunabel.data"
}

# Inside the prefix, so that a run that is killed leaves it to the next one.
wine_data_backup() {
    echo "$WINEPREFIX/lunabel-data-backup"
}

# Keeps the prefix's data file aside for restore_data_file. A backup that a
# killed run left is the user's data: it goes back first.
keep_data_file() {
    restore_data_file
    local backup data
    backup="$(wine_data_backup)"
    data="$(wine_data_file)"
    mkdir -p "$backup" "$(dirname "$data")"
    [ ! -f "$data" ] || cp -p "$data" "$backup/Lunabel.data"
}

restore_data_file() {
    local backup data
    backup="$(wine_data_backup)"
    data="$(wine_data_file)"
    [ -d "$backup" ] || return 0
    if [ -f "$backup/Lunabel.data" ]; then
        cp -p "$backup/Lunabel.data" "$data"
    else
        rm -f "$data"
    fi
    rm -rf "$backup"
}

# Where the installer puts the program for this user.
wine_install_dir() {
    echo "$(wine_user_dir)/AppData/Local/Programs/Lunabel"
}

wine_shortcut() {
    echo "$(wine_user_dir)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lunabel.lnk"
}

lunabel_uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Lunabel'

# What an installation or a broken test of one leaves: folder, shortcut, uninstall entry.
remove_installation() {
    rm -rf "$(wine_install_dir)" "$(wine_shortcut)"
    wine reg delete "HKCU\\$lunabel_uninstall_key" /f </dev/null >/dev/null 2>&1 || true
}

# Ends the program started as process $app, if it still runs.
stop_app() {
    [ -n "${app:-}" ] || return 0
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    app=""
}

gone() { [ ! -e "$1" ]; }

# Creates the private prefix once: wineboot, fonts, "Comic Sans MS" replacement.
init_wine_prefix() {
    use_wine_prefix
    local stamp="$WINEPREFIX/.lunabel-prefix-v4"
    [ -f "$stamp" ] && return 0
    log "creating the Wine prefix in $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    dpkg -L fonts-wine | grep -E '\.(ttf|fon)$' | xargs -r cp -f -t "$fonts"
    dpkg -L fonts-comic-neue | grep -E '\.(ttf|otf)$' | xargs -r cp -f -t "$fonts"
    # Printing text in a CFF font crashes Wine's PostScript driver: TrueType copies.
    local otf
    for otf in "$fonts"/ComicNeue-*.otf; do
        [ -e "$otf" ] || continue
        /usr/bin/python3 "$lunabel_root/scripts/otf-to-ttf.py" "$otf" "${otf%.otf}.ttf" && rm -f "$otf"
    done
    dpkg -L fonts-liberation | grep -E 'LiberationSans-.*\.ttf$' | xargs -r cp -f -t "$fonts"
    # The program asks for the faces Windows has; map them to free look-alikes.
    local replacements='HKCU\Software\Wine\Fonts\Replacements'
    run_wine reg add "$replacements" /v "Comic Sans MS" /t REG_SZ /d "Comic Neue" /f >/dev/null 2>&1
    run_wine reg add "$replacements" /v "Arial" /t REG_SZ /d "Liberation Sans" /f >/dev/null 2>&1
    # Without a window manager Wine waits 2 s for each activated window it hides;
    # the test executable's dialogs come and go by the hundred, so leave them unmanaged.
    run_wine reg add 'HKCU\Software\Wine\AppDefaults\lunabel_wine_tests.exe\X11 Driver' \
        /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w
    touch "$stamp"
}

# One wineserver for a whole run: each wine start is then cheap.
start_wineserver() {
    use_wine_prefix
    # Answers non-zero when one is already running, which is as good.
    wineserver -p >/dev/null 2>&1 </dev/null || true
}

# Wine's background processes (services, the desktop window) start with the
# first program that needs them and keep its standard handles open. Start them
# here with a program whose output goes nowhere, so that they never hold the
# pipes through which CTest reads a test's output.
warm_up_wine() {
    run_wine "$@" >/dev/null 2>&1 </dev/null || true
}

stop_wineserver() {
    use_wine_prefix
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

# For a script that runs the program on a data file of its own: a display, the
# prefix with a wineserver, and the prefix's data file kept aside. At exit the
# program started as process $app is ended, the data file put back, and Wine
# and the display stopped.
start_wine_desktop() {
    trap stop_wine_desktop EXIT
    ensure_display
    init_wine_prefix
    start_wineserver
    keep_data_file
}

stop_wine_desktop() {
    stop_app
    restore_data_file
    stop_wineserver
    stop_display
}
