#!/usr/bin/env bash
# Installs what is missing, checks the layout of the C++ files, builds
# everything with warnings as errors and runs every test: the full build, then the non-GUI tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the Debian
# package (scripts/test-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

# The layout of every C++ file is what .clang-format says.
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror --style=file
echo "clang-format: every C++ file is laid out as .clang-format says"

# The builds are the presets of CMakePresets.json: development (every
# test, warnings as errors) and sanitizers (the tests without windows under
# AddressSanitizer and UndefinedBehaviorSanitizer).
cmake --preset development
cmake --build --preset development
ctest --preset development

cmake --preset sanitizers
cmake --build --preset sanitizers
ctest --preset sanitizers

# The Debian package: built, validated, installed, run and removed again.
FEGOLIN_PACKAGE_BUILD_DIR=build FEGOLIN_PACKAGE_REUSE_BUILD=1 ./scripts/test-package.sh

# The Qt-free part cross-built for Windows, its tests run under Wine.
./scripts/test-windows.sh
