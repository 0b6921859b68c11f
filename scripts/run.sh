#!/usr/bin/env bash
# Installs what is missing, builds Tessary and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tessary
exec build/tessary "$@"
