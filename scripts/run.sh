#!/usr/bin/env bash
# Installs what is missing, builds Fegolin and starts it with the given
# arguments.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset development -DFEGOLIN_WERROR=OFF
cmake --build --preset development --target fegolin
exec ./build/app/fegolin "$@"
