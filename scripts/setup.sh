#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and builds
# the project in Release into ./build. Sourced by run.sh and test.sh.
set -euo pipefail

PACKAGES=(cmake g++ make pkg-config libpoppler-private-dev libjpeg-dev zlib1g-dev libgtest-dev libcli11-dev)

missing=()
for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# build_tree DIR [cmake options...]: configure once, then build.
build_tree() {
    local dir="$1"
    shift
    mkdir -p "$dir"
    if ! { cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" && cmake --build "$dir" -j"$(nproc)"; } \
        >"$dir/build.log" 2>&1; then
        cat "$dir/build.log" >&2
        echo "Build failed; the log is in $dir/build.log" >&2
        exit 1
    fi
}
