#!/bin/sh
# The program started where no display can be opened: one line that says
# what it needs and how to try it without a display, and exit code 1 (no
# abort). Once with no display named at all, once with one that is not there.
program=$1
check() {
    out=$("$@" 2>&1)
    code=$?
    printf '%s\n' "$out"
    [ "$code" -eq 1 ] || { echo "exit code $code, expected 1"; exit 1; }
    [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { echo "expected one line"; exit 1; }
    printf '%s' "$out" | grep -q "QT_QPA_PLATFORM=offscreen" || { echo "the offscreen platform is not named"; exit 1; }
}
check env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program"
check env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:97 "$program"
