#!/usr/bin/env bash
# Installs what is missing, builds Tessary with its tests and runs the whole suite.
# TESSARY_WERROR=ON turns compiler warnings into errors (CI sets it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_WERROR="${TESSARY_WERROR:-OFF}" >/dev/null
cmake --build build -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
