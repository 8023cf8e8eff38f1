#!/bin/sh
# The program started beside a missing, then an empty English text table:
# one line that names the table, and exit code 1 (no abort).
program=$1
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/orvelo" && mkdir "$dir/language" && mkdir -m 700 "$dir/run" || exit 1
check() {
    out=$(env QT_QPA_PLATFORM=offscreen HOME="$dir" XDG_RUNTIME_DIR="$dir/run" "$dir/orvelo" 2>&1)
    code=$?
    printf '%s\n' "$out"
    [ "$code" -eq 1 ] || { echo "exit code $code, expected 1"; exit 1; }
    [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { echo "expected one line"; exit 1; }
    printf '%s' "$out" | grep -qF "$dir/language/English.txt" || { echo "the table is not named"; exit 1; }
}
check
: > "$dir/language/English.txt"
check
