#!/usr/bin/env bash
# Reads the #include "..." lines under src/ and fails when the folders include
# each other in a circle (a includes b, b includes a, or any longer loop).
# Each folder is a subsystem of one layer (core/session, gui/ui, ...); an
# include is resolved the way the compiler does it: beside the including file,
# then along the layer's include path (src/gui, then src/core for the Qt
# layer; src/core alone for the core). Generated headers, which live in the
# build tree, count for the core folder of their first path part.
#   check-folder-includes.sh SRC_DIR [--graph]   (--graph prints the edges)
set -euo pipefail
src=${1:?usage: check-folder-includes.sh SRC_DIR [--graph]}
src=$(cd "$src" && pwd)

# One line per include between two folders: from-folder to-folder file include.
records=$(
    find "$src/core" "$src/gui" \( -name '*.h' -o -name '*.cpp' \) | sort | while read -r file; do
        rel=${file#"$src"/}
        from=${rel%/*}
        if [ "${rel%%/*}" = gui ]; then roots="$src/gui $src/core"; else roots="$src/core"; fi
        while read -r inc; do
            to=""
            for root in "${file%/*}" $roots; do
                if [ -f "$root/$inc" ]; then
                    target=${root#"$src"/}/$inc
                    to=${target%/*}
                    break
                fi
            done
            if [ -z "$to" ] && [ "${inc%%/*}" != "$inc" ] && [ -d "$src/core/${inc%%/*}" ]; then
                to="core/${inc%%/*}"
            fi
            if [ -n "$to" ] && [ "$to" != "$from" ]; then echo "$from $to $rel $inc"; fi
        done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    done
)
edges=$(echo "$records" | awk 'NF {n[$1 " " $2]++} END {for (e in n) print e, n[e]}' | sort)

if [ "${2:-}" = "--graph" ]; then
    echo "$edges" | awk '{printf "%-14s -> %-14s %3d include(s)\n", $1, $2, $3}'
fi

# tsort fails when the folders cannot be put in an order, that is on a loop.
if ! echo "$edges" | awk 'NF {print $1, $2}' | tsort >/dev/null 2>&1; then
    echo "Folders that include each other in a loop:" >&2
    echo "$edges" | awk 'NF {print $1, $2}' | tsort 2>&1 >/dev/null | sed -n 's/^tsort: \([a-z]\)/  \1/p' |
        grep -v "input contains a loop" | sort -u >&2 || true
    echo "Includes that run both ways between two folders:" >&2
    echo "$records" | awk 'NF {both[$1 " " $2] = both[$1 " " $2] "\n      " $3 " includes " $4}
        END {for (e in both) {split(e, f, " "); if ((f[2] " " f[1]) in both) print "  " f[1] " -> " f[2] ":" both[e]}}' >&2
    exit 1
fi
echo "No folder includes from a folder that includes it back ($(echo "$edges" | grep -c .) folder edges)."
