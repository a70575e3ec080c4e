#!/usr/bin/env bash
# Configures and builds everything (programs, tests, benchmarks) into build/.
# KORAL_WERROR=ON (CI sets it) makes any warning an error.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/dependencias.sh pruebas
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORAL_TESTS=ON -DKORAL_BENCH=ON \
  -DKORAL_WERROR="${KORAL_WERROR:-OFF}" >/dev/null
cmake --build build
