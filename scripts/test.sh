#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMAILWEIR_SANITIZE=ON \
      -DMAILWEIR_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
cmake --build build-test
cd build-test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2
