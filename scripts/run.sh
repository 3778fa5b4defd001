#!/usr/bin/env bash
# Builds Vellumin and runs it. Without arguments it opens the desktop program
# with the bundled sample PDF in its job list, ready for F5; on a machine
# without a display it says so and extracts the sample with vellumin-cli into
# ./out instead. With arguments it passes them to vellumin-cli.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
build_tree "$root/build"

if [ $# -gt 0 ]; then
    exec "$root/build/cli/vellumin-cli" "$@"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening vellumin with the sample in its job list: press F5 to extract its images." >&2
    exec "$root/build/shell/vellumin" "$root/resources/sample.pdf"
fi
echo "No display here to open the desktop program: running vellumin-cli on the sample instead." >&2
"$root/build/cli/vellumin-cli" -o out "$root/resources/sample.pdf"
echo "The sample's images are in $(pwd)/out"
