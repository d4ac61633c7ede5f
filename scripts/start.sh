#!/usr/bin/env bash
# Installs what is missing, builds Mailweir and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILWEIR_TESTS=OFF
cmake --build build
exec build/src/mailweir
