#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for the given seconds.
#   scripts/fuzz.sh [SEGUNDOS] [lector|importar|puntuar|recogida ...]
# New crashing inputs are left in fuzz/hallazgos/; keep each as a regression
# fixture in tests/fixtures/fuzz/ once mended.
set -euo pipefail
cd "$(dirname "$0")/.."
segundos=${1:-60}
shift || true
objetivos=("$@")
[ ${#objetivos[@]} -eq 0 ] && objetivos=(lector importar puntuar recogida)

bash scripts/dependencias.sh
if ! command -v clang++ >/dev/null || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1; then
  sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORAL_FUZZ=ON -DKORAL_QT=OFF -DKORAL_TESTS=OFF -DKORAL_BENCH=OFF \
  -DKORAL_SANITIZAR=address,undefined >/dev/null
cmake --build build-fuzz --target $(printf 'fuzz_%s ' "${objetivos[@]}")

mkdir -p fuzz/hallazgos
for o in "${objetivos[@]}"; do
  corpus=build-fuzz/corpus_$o
  mkdir -p "$corpus"
  semillas=()
  case $o in
    lector) semillas=(tests/fixtures src/resources/muestra.kr2) ;;
    importar) semillas=(tests/fixtures/importar) ;;
    puntuar) semillas=(tests/fixtures/puntuar) ;;
    recogida) semillas=(fuzz/semillas_recogida) ;;
  esac
  # A target's own dictionary if it has one, else the company file's.
  diccionario=fuzz/$o.dict
  [ -e "$diccionario" ] || diccionario=fuzz/kr2.dict
  for s in "${semillas[@]}"; do [ -e "$s" ] && cp -r "$s"/* "$corpus"/ 2>/dev/null || cp "$s" "$corpus"/ 2>/dev/null || true; done
  echo "== fuzz_$o durante ${segundos}s"
  if ! build-fuzz/fuzz/fuzz_$o -max_total_time="$segundos" -dict="$diccionario" -max_len=65536 \
      -artifact_prefix=fuzz/hallazgos/"$o"- -print_final_stats=1 "$corpus" > build-fuzz/fuzz_$o.log 2>&1; then
    tail -n 40 build-fuzz/fuzz_$o.log
    echo "fuzz_$o encontró un fallo: ver fuzz/hallazgos/" >&2
    exit 1
  fi
  # The coverage reached (cov: edges of the core and harness, ft: features) and the pace.
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec)' build-fuzz/fuzz_$o.log
done
