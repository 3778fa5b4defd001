#!/usr/bin/env bash
# Builds the window tests with ThreadSanitizer and runs those that cross
# threads: messages and message boxes from workers, batch runs with their
# worker, the option tree read from a worker.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
build_tree "$root/build-tsan" -DVELLUMIN_SANITIZE_THREAD=ON -DVELLUMIN_BUILD_BENCH=OFF
cd "$root/build-tsan"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan.supp" \
    ./tests/platform_ui_tests --gtest_filter='WindowThreads*:UiServices*' "$@"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan.supp" \
    ./tests/shell_tests --gtest_filter='BatchRun*:OptionsView.TheFolder*' "$@"
# One document's pages side by side, converted on a second thread.
out=$(mktemp -d)
TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan.supp" \
    ./cli/vellumin-cli -j 2 -f png -o "$out" "$root/resources/sample.pdf"
rm -rf "$out"
