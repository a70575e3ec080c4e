#!/usr/bin/env bash
# Builds the window program (and its manual) and opens a copy of the sample
# company in ~/Koral20/.
#   scripts/ejecutar.sh          on this screen
#   scripts/ejecutar.sh --xvfb   on a virtual screen (a machine without one)
# Works from any folder; the program keeps the caller's current folder
# (where it looks for the manual first).
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
virtual=0
case "${1:-}" in
  --xvfb) virtual=1 ;;
  "") ;;
  *) echo "Uso: $0 [--xvfb]" >&2; exit 2 ;;
esac
# Said before anything is installed or built.
if [ $virtual = 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No hay pantalla gráfica. Sin ella: $0 --xvfb" >&2
  exit 1
fi
conjuntos=(ejecutar)
[ $virtual = 1 ] && conjuntos+=(xvfb)
bash "$raiz/scripts/dependencias.sh" "${conjuntos[@]}"
# Tests and benchmarks are left out unless the test command's packages are there.
opciones=()
for p in libgtest-dev libgmock-dev libbenchmark-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    opciones=(-DKORAL_TESTS=OFF -DKORAL_BENCH=OFF)
done
cmake -S "$raiz" -B "$raiz/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${opciones[@]}" >/dev/null
cmake --build "$raiz/build" --target Koral20 manual
# A copy in the user's folder: saving it must not change the checkout, whose
# sample a test compares with what the generator writes. An existing copy is
# the user's work and is kept.
copia="${HOME:-/tmp}/Koral20/muestra.kr2"
if [ ! -e "$copia" ]; then
  mkdir -p "$(dirname "$copia")"
  cp "$raiz/src/resources/muestra.kr2" "$copia"
  # The sample assessment's own data (identification, plan), beside it.
  cp "$raiz/src/resources/muestra.koral.json" "${copia%.kr2}.koral.json"
fi
echo "Empresa de ejemplo: $copia"
programa=("$raiz/build/src/Koral20" "$copia")
if [ $virtual = 1 ]; then
  echo "Koral20 en una pantalla virtual (Xvfb); se cierra con Ctrl+C."
  exec xvfb-run -a -s "-screen 0 1280x800x24" "${programa[@]}"
fi
exec "${programa[@]}"
