#!/usr/bin/env bash
# capture-window.sh TITLE FILE: waits until a top-level window named TITLE is
# mapped and has painted (its picture holds more than a handful of colours),
# then saves a screenshot of it (with its frame) to FILE.
set -euo pipefail
title="$1"
out="$2"
tmp="$(mktemp --suffix=.png)"
trap 'rm -f "$tmp"' EXIT

window=""
for _ in $(seq 1 600); do
    window="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1 || true)"
    if [ -n "$window" ]; then
        import -window "$window" "$tmp" 2>/dev/null || true
        colours="$(identify -format '%k' "$tmp" 2>/dev/null || echo 0)"
        [ "${colours:-0}" -gt 64 ] && break
    fi
    sleep 0.1
done
[ -n "$window" ] || exit 1

# Without a window manager the X window is the client area; take the frame too.
eval "$(xdotool getwindowgeometry --shell "$window")"
margin_top=32
margin=6
import -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + margin_top + margin))+$((X - margin))+$((Y - margin_top))" +repage "$out"
