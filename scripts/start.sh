#!/usr/bin/env bash
# Installs what is missing, builds Mailweir and starts it on a sample mailbox: a private POP3
# server on a free loopback port and a temporary home holding one account for it, so your own
# data is never touched. Run it as yourself: it asks sudo only to install missing packages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build --target mailweir mailweir_demo
exec build/demo/mailweir_demo "$PWD/build/src/mailweir"
