#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and
# runs every test: the full build, then the non-GUI tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the Debian
# package (scripts/test-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=2
build=${FEGOLIN_BUILD_DIR:-build}
asan=${FEGOLIN_ASAN_BUILD_DIR:-build-asan}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFEGOLIN_WERROR=ON
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" -j "$jobs" --output-on-failure

cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFEGOLIN_WERROR=ON \
  -DFEGOLIN_SANITIZE=ON -DFEGOLIN_GUI=OFF
cmake --build "$asan" -j "$jobs"
ctest --test-dir "$asan" -j "$jobs" --output-on-failure

# The Debian package: built, validated, installed, run and removed again.
FEGOLIN_PACKAGE_BUILD_DIR="$build" FEGOLIN_PACKAGE_REUSE_BUILD=1 ./scripts/test-package.sh

# The Qt-free part cross-built for Windows, its tests run under Wine.
./scripts/test-windows.sh
