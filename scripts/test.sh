#!/usr/bin/env bash
# Builds the project and runs the whole test suite: once in Release, once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
# Independent readers that the tests check written files with; a fixed font
# and an X server for the window tests, xdotool for real input to them, a
# window manager (openbox, watched through xprop) for the tests of closes and
# focus; GNU parallel for the test of the examples/parallel-extract.sh recipe;
# TIFF, JBIG2 and JPEG 2000 decoders for the files kept in their stored encoding.
install_missing imagemagick netpbm fonts-dejavu-core xvfb xauth xdotool openbox x11-utils parallel libgs-common \
    libtiff-tools jbig2dec libopenjp2-tools

build_tree "$root/build"
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)")

build_tree "$root/build-asan" -DVELLUMIN_SANITIZE=ON -DVELLUMIN_BUILD_BENCH=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" ctest --output-on-failure -j"$(nproc)")
