#!/usr/bin/env bash
# Runs the whole suite of one target (VORLEN_ARCH, VORLEN_BUILD) under Wine.
# A persistent wineserver is started with its standard streams detached first:
# otherwise Wine's helper processes inherit CTest's output pipe, and each test
# waits seconds for it to close (or hangs).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
"$(dirname "$0")/wine-prefix.sh"

echo "run-tests: the $VORLEN_ARCH suite, $VORLEN_BUILD"
# A server left running (by a wine-run by hand, say) is simply reused.
wineserver -p </dev/null >/dev/null 2>&1 || true
"$WINELOADER" wineboot </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT

cd "$VORLEN_BUILD"
ctest --output-on-failure --timeout 600 "$@"
