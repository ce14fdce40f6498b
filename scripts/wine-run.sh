#!/usr/bin/env bash
# Runs one cross-built Windows test program under Wine; CTest uses it as the
# emulator of the Windows build (see scripts/test-windows.sh).
#
# Wine keeps its server socket below $TMPDIR, so every program of a run must
# see the same TMPDIR to share one wineserver (and so one registry, one set
# of named objects). The test's own TMPDIR travels as FEGOLIN_TEST_TMPDIR;
# the test support makes it the program's TMPDIR, TMP and TEMP again.
set -euo pipefail
export FEGOLIN_TEST_TMPDIR="${TMPDIR:-}"
export TMPDIR="${FEGOLIN_WINE_TMPDIR:-/tmp}"
export WINEDEBUG="${WINEDEBUG:--all}"
exec "${FEGOLIN_WINE:-/usr/lib/wine/wine64}" "$@"
