#!/usr/bin/env bash
# Builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/compilar.sh
cd build
ctest --output-on-failure -j2
