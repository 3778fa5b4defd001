#!/usr/bin/env bash
# Builds vellumin-cli and runs it. Without arguments it extracts the bundled
# sample PDF into ./out; with arguments it passes them to vellumin-cli.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
build_tree "$root/build"

if [ $# -eq 0 ]; then
    "$root/build/cli/vellumin-cli" -o out "$root/resources/sample.pdf"
    echo "The sample's images are in $(pwd)/out"
else
    exec "$root/build/cli/vellumin-cli" "$@"
fi
