#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and
# defines build_tree. Sourced by run.sh and test.sh.
set -euo pipefail

BUILD_PACKAGES=(cmake g++ make pkg-config libpoppler-private-dev libjpeg-dev libturbojpeg0-dev libpng-dev libdeflate-dev libtiff-dev
                zlib1g-dev libgtest-dev libcli11-dev nlohmann-json3-dev libssl-dev qt6-base-dev libseccomp-dev)

# install_missing PACKAGE...: apt-get install of the packages not installed yet.
install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
}

install_missing "${BUILD_PACKAGES[@]}"

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
