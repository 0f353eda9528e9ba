# shellcheck shell=bash
# Driving Lunabel under Wine on an X display without a window manager, where
# a top-level window's X geometry is its client area. Source it after
# scripts/common.sh and after defining fail MESSAGE, which is called when a
# wait runs out.

desktop_images="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../res/images" && pwd)"

# Polls until the command succeeds; the bound is only reached when something is broken.
await() { # what, command...
    local what="$1"
    shift
    local deadline=$((SECONDS + ${AWAIT_SECONDS:-30}))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "gave up waiting until $what"
        sleep 0.1
    done
}

picture_size() { identify -format '%wx%h' "$desktop_images/$1.png"; }

# The program opens on today's half-year: a test that counts on it checks it
# did not change while it ran.
half_year() { echo "$(date +%Y)-$((10#$(date +%m) < 7 ? 1 : 2))"; }

# --- data files ------------------------------------------------------------------

date_key() { echo $((($1 << 16) | ($2 << 8) | $3)); } # year month day

# The file as the program writes it, default settings, with the given keys (ascending).
data_file() {
    perl -e 'print "GOOD", pack("V", 0), "OPTS", pack("V4", 12, 28, 5, 1),
                   "DAYS", pack("V", 4 * @ARGV), pack("V*", @ARGV)' -- "$@"
}

# Keys every STEP days from a date, COUNT of them or up to the end of LAST_YEAR.
many_keys() { # year month day step count last_year
    perl -e '
        my ($y, $m, $d, $step, $count, $last) = @ARGV;
        sub days { my ($y, $m) = @_;
            return 29 if $m == 2 && (($y % 4 == 0 && $y % 100 != 0) || $y % 400 == 0);
            return (31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31)[$m - 1]; }
        for (my $n = 0; $n < $count && $y <= $last; ++$n) {
            print((($y << 16) | ($m << 8) | $d), "\n");
            $d += $step;
            while ($d > days($y, $m)) { $d -= days($y, $m); if (++$m > 12) { $m = 1; ++$y; } }
        }' -- "$@"
}

# --- the screen ------------------------------------------------------------------

pixel() { # screen x y -> colour as shown
    import -window root -crop "1x1+$1+$2" +repage -depth 8 txt:- 2>/dev/null | tail -n1 |
        grep -o '#[0-9A-F]\{6\}' || true
}
painted_as() { [ "$(pixel "$1" "$2")" = "$3" ]; }
painted_other_than() {
    local shown
    shown="$(pixel "$1" "$2")"
    [ -n "$shown" ] && [ "$shown" != "$3" ]
}
marked_fill='#FF6464'

lunabel_windows() { xdotool search --onlyvisible --class 'lunabel\.exe' 2>/dev/null || true; }

main=""
found_main() {
    main="$(xdotool search --onlyvisible --name '^Lunabel$' 2>/dev/null | head -n1 || true)"
    [ -n "$main" ]
}

ended() { ! kill -0 "$app" 2>/dev/null; }

# Waits for the main window of the program started as process $app and sets
# X, Y, WIDTH, HEIGHT to its client area.
main_or_end() {
    found_main && return 0
    kill -0 "$app" 2>/dev/null || fail "the program ended before its window appeared"
    return 1
}
await_main() {
    await "the main window appears" main_or_end
    eval "$(xdotool getwindowgeometry --shell "$main")"
}

click() { # client x y of the main window
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
}

# A point inside a day's cell fill, away from its number, in the half-year of
# YEAR shown with Sunday first. Grids 0-2 stand in the top row, 3-5 below; in
# a grid the columns are 29 pixels wide, the day rows 24 high from y = 54.
cell_point() { # year month day -> screen "x y"
    local grid=$((($2 - 1) % 6))
    local grid_x=$((14 + (grid % 3) * 222)) grid_y=$((113 + (grid / 3) * 222))
    local index=$(($(date -d "$1-$2-01" +%w) + $3 - 1))
    echo $((X + grid_x + (index % 7) * 29 + 3)) $((Y + grid_y + 54 + (index / 7) * 24 + 3))
}

# --- dialogs -----------------------------------------------------------------------

dialog=""
found_dialog() {
    dialog="$(lunabel_windows | grep -vx "$main" | head -n1 || true)"
    [ -n "$dialog" ]
}
no_dialog() { [ -z "$(lunabel_windows | grep -vx "$main" || true)" ]; }

# Waits for a dialog and checks it is the one wanted: each takes its picture's
# size. Sets dlg_x, dlg_y, dlg_height.
await_dialog() { # picture name
    await "a dialog opens" found_dialog
    local DWINDOW DX DY DWIDTH DHEIGHT DSCREEN
    eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/D/')"
    [ "${DWIDTH}x${DHEIGHT}" = "$(picture_size "$1")" ] ||
        fail "the dialog that opened is ${DWIDTH}x${DHEIGHT}, not the size of $1"
    dlg_x=$DX
    dlg_y=$DY
    dlg_height=$DHEIGHT
}

# Without a window manager Wine does not always hand the dialog the keyboard:
# a click on its bare background does.
focus_dialog() { xdotool mousemove $((dlg_x + 20)) $((dlg_y + dlg_height - 20)) click 1; }

# Clicks the middle of a control placed in dialog units, with the dialogs'
# base units of 6 x 13 (8-point MS Sans Serif).
click_dialog_units() { # x y width height
    xdotool mousemove $((dlg_x + ($1 + $3 / 2) * 6 / 4)) $((dlg_y + ($2 + $4 / 2) * 13 / 8)) click 1
}

# --- printed reports ---------------------------------------------------------------

# cups-pdf writes into ~/PDF of the user who prints.
pdf_dir="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"

declare -A pdf_sizes
report=""
# A report newer than FILE that is whole: its size held since the last look,
# its end marker written, PAGES pages. Other prints to the shared queue may
# come and go meanwhile. Sets report.
report_done() { # newer-than-file pages
    local pdf size
    while IFS= read -r pdf; do
        size=$(stat -c %s "$pdf" 2>/dev/null || echo 0)
        [ "${pdf_sizes[$pdf]:-}" = "$size" ] || {
            pdf_sizes[$pdf]=$size
            continue
        }
        [ "$(tail -c 16 "$pdf" | tr -d '\r\n ' | tail -c 5)" = '%%EOF' ] || continue
        pdfinfo "$pdf" 2>/dev/null | grep -q "^Pages: *$2\$" || continue
        report="$pdf"
        return 0
    done < <(find "$pdf_dir" -maxdepth 1 -name 'Lunabel_Report*.pdf' -newer "$1" 2>/dev/null)
    return 1
}

# --- the keyboard's day ------------------------------------------------------------

# Dates as "year month day", one per line or call.
date_after() { # year month day days
    date -d "$1-$2-$3 + $4 day" '+%Y %-m %-d'
}
# The same day of the month MONTHS on, or that month's last day.
months_after() { # year month day months
    perl -e 'my ($y, $m, $d, $n) = @ARGV;
        my $i = $y * 12 + $m - 1 + $n; $y = int($i / 12); $m = $i % 12 + 1;
        my @days = (31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31);
        $days[1] = 29 if ($y % 4 == 0 && $y % 100 != 0) || $y % 400 == 0;
        $d = $days[$m - 1] if $d > $days[$m - 1];
        print "$y $m $d\n";' -- "$@"
}

# The top edge of a day's cell, on the screen and in the background picture:
# the month grid draws nothing there but the keyboard's dotted frame. Needs
# the day's half-year on screen and the pointer away from the grids. The
# view's one-pixel static edge lies between the window and the picture.
cell_edge() { # year month day
    local px py
    read -r px py < <(cell_point "$1" "$2" "$3")
    import -window root -crop "29x1+$((px - 2))+$((py - 2))" +repage -depth 8 rgb:- 2>/dev/null | md5sum
}
background_edge() { # year month day
    local px py
    read -r px py < <(cell_point "$1" "$2" "$3")
    convert "$desktop_images/app-bg.png" -crop "29x1+$((px - 3 - X))+$((py - 3 - Y))" +repage \
        -depth 8 rgb:- | md5sum
}
framed() { [ "$(cell_edge "$@")" != "$(background_edge "$@")" ]; }
unframed() { [ "$(cell_edge "$@")" = "$(background_edge "$@")" ]; }

# Marked or not, by the fill of the day's cell.
shows_mark() { # year month day
    local px py
    read -r px py < <(cell_point "$1" "$2" "$3")
    painted_as "$px" "$py" "$marked_fill"
}
shows_no_mark() {
    local px py
    read -r px py < <(cell_point "$1" "$2" "$3")
    painted_other_than "$px" "$py" "$marked_fill"
}

# The keys a file holds after toggling days: a key toggled twice is gone.
toggled_keys() { # initial keys..., then "--", then toggled keys...
    perl -e 'my %on; my $toggling = 0;
        for (@ARGV) { if ($_ eq "--") { $toggling = 1; next; }
                      if ($toggling && $on{$_}) { delete $on{$_}; } else { $on{$_} = 1; } }
        print join(" ", sort { $a <=> $b } keys %on), "\n";' -- "$@"
}

# --- the context menu ----------------------------------------------------------------

# A popup menu is a window of the program without a title.
menu=""
found_menu() {
    local window
    for window in $(lunabel_windows | grep -vx "$main" || true); do
        if [ -z "$(xdotool getwindowname "$window" 2>/dev/null)" ]; then
            menu="$window"
            return 0
        fi
    done
    return 1
}
menu_closed() { ! lunabel_windows | grep -qx "$menu"; }
