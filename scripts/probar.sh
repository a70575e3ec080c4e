#!/usr/bin/env bash
# Builds and runs every test; then builds everything again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test there
# too, the windows' included. With
# KORAL_REVISAR=1 the static checks run too, and with KORAL_FUZZ_SEGUNDOS=N
# (CI sets both) each fuzzer then runs N seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/compilar.sh
(cd build && ctest --output-on-failure -j2)

echo "== Guardado interrumpido en cada llamada al sistema de archivos"
bash scripts/matar_guardado.sh build/src/koral20-cli

echo "== Todo con AddressSanitizer y UndefinedBehaviorSanitizer"
cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORAL_QT=ON \
  -DKORAL_BENCH=OFF -DKORAL_SANITIZAR=address,undefined >/dev/null
cmake --build build-san
# Full stacks on every allocation, so that the named suppressions of what Qt
# and the system libraries keep until exit match where the leak began.
(cd build-san &&
  LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0" \
  ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j2)

if [ "${KORAL_REVISAR:-0}" = 1 ]; then
  bash scripts/revisar.sh
fi

if [ "${KORAL_FUZZ_SEGUNDOS:-0}" -gt 0 ]; then
  bash scripts/fuzz.sh "$KORAL_FUZZ_SEGUNDOS"
fi
