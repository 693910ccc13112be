#!/usr/bin/env bash
# Builds both trees and runs every test: host tests (sanitized), fuzz runs, and the Windows
# tests and end-to-end tests under Wine. Exits non-zero on any failure.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=${DIALER_BUILD:-$top/build}
bash "$top/tools/build.sh" || exit 1

rc=0
echo; echo "=== host tests"
ctest --test-dir "$build/host" --output-on-failure -j "$(nproc)" || rc=1
echo; echo "=== windows and end-to-end tests (Wine)"
# The Windows tests get an X server of their own, never the user's screen.
WINENV_XVFB=1 ctest --test-dir "$build/win" --output-on-failure || rc=1
exit $rc
