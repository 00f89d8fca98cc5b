#!/usr/bin/env bash
# The whole suite on x86-64, which every machine here runs, then on i686
# wherever this machine can execute 32-bit programs. BUILD is the parent of
# the two build trees.
set -euo pipefail
here=$(dirname "$0")
build=$(realpath -m "${1:-$here/../build}")
source "$here/wine-env.sh"

VORLEN_ARCH=x64 VORLEN_BUILD="$build/x64" WINEPREFIX="$build/x64/wine" "$here/run-tests.sh"
if vorlen_can_run_x86; then
  VORLEN_ARCH=x86 VORLEN_BUILD="$build/x86" WINEPREFIX="$build/x86/wine" "$here/run-tests.sh"
else
  echo "test-all: the i686 suite was not run: this machine cannot execute 32-bit programs ($VORLEN_X86_REFUSAL)."
fi
