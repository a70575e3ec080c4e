#!/usr/bin/env bash
# Builds the window program and opens the sample company in it.
# Works from any folder; the program keeps the caller's current folder
# (where it looks for the manual first).
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
bash "$raiz/scripts/compilar.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No hay pantalla gráfica. Sin ella: xvfb-run -a $raiz/scripts/ejecutar.sh" >&2
  exit 1
fi
exec "$raiz/build/src/Koral20" "$raiz/src/resources/muestra.kr2"
