#!/usr/bin/env bash
# The text generator refuses a table it cannot turn into Shift-JIS exactly,
# naming the line at fault, and writes the bytes of what it accepts.
#   check-gen-texts.sh GENERATOR
set -euo pipefail
gen=${1:?usage: check-gen-texts.sh GENERATOR}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

refused() {  # table text, expected message part
    printf '%s\n' "$1" > "$dir/table.txt"
    if "$gen" "$dir/table.txt" "$dir" 2> "$dir/err"; then
        echo "accepted: $1" >&2
        exit 1
    fi
    grep -q -- "$2" "$dir/err" || { echo "no \"$2\" in: $(cat "$dir/err")" >&2; exit 1; }
}
refused $'# ok\nSmile "笑\xf0\x9f\x98\x80"' 'table.txt:2: Smile: code page 932 cannot hold'
refused $'A "あ"\nA "い"' 'table.txt:2: A is already the name of line 1'
refused $'A "あ"\nB "あ"' 'table.txt:2: the same text as A'
refused 'A "unterminated' 'table.txt:1: the text is missing its closing'
refused 'A "x\t"' 'unknown escape'

printf '%s\n' '# comment' '' 'Label "Key：\"\\\n"' > "$dir/table.txt"
"$gen" "$dir/table.txt" "$dir"
grep -qF 'inline constexpr char Label[] = "Key\x81" "F\"\\\n";' "$dir/Texts.h" || {
    cat "$dir/Texts.h" >&2
    exit 1
}
echo "The text generator refuses what it cannot convert and writes exact bytes."
