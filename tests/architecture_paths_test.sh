#!/usr/bin/env bash
# Every path the architecture page names exists: a name with a folder from the
# top of the tree, a bare file name somewhere in it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
missing=0
while read -r name; do
    if [[ "$name" == */* ]]; then
        [ -e "$root/${name%/}" ] && continue
    else
        [ -n "$(find "$root" -path "$root/build*" -prune -o -name "$name" -print -quit)" ] && continue
    fi
    echo "ARCHITECTURE.md names '$name', which is not in the tree" >&2
    missing=1
done < <(grep -o '`[^` ]*`' "$root/ARCHITECTURE.md" | tr -d '`' |
         grep -E '/|\.(h|cpp|cmake|json|sh|md)$' | grep -v '^\.\./' | sort -u)
exit $missing
