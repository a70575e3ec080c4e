#!/usr/bin/env bash
# Kills `koral20-cli save` at every file-system call it makes (strace fault
# injection) and checks that the company file is, each time, either the old
# or the new one, whole, and that the next save clears what was left.
#   scripts/matar_guardado.sh [koral20-cli]
set -euo pipefail
cli=$(realpath "${1:-build/src/koral20-cli}")
muestra=$(realpath "$(dirname "$0")/../src/resources/muestra.kr2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

# The old file differs from what the save writes (LF endings become CR LF).
tr -d '\r' < "$muestra" > viejo.kr2
cp viejo.kr2 m.kr2 && "$cli" save m.kr2 && cp m.kr2 nuevo.kr2
viejo=$(sha1sum < viejo.kr2) nuevo=$(sha1sum < nuevo.kr2)

llamadas=(openat write fchown fchmod fsync close link rename unlink newfstatat getdents64 readlink kill)
probados=0
for sc in "${llamadas[@]}"; do
  rm -f m.kr2 m.BAK .m.*; cp viejo.kr2 m.kr2
  n=$(strace -f -qq -e trace="$sc" -o /dev/stdout "$cli" save m.kr2 | grep -c "^[0-9]* *$sc(" || true)
  for ((k = 1; k <= n; k++)); do
    rm -f m.kr2 m.BAK .m.*; cp viejo.kr2 m.kr2
    (strace -f -qq -o /dev/null -e trace="$sc" -e inject="$sc":signal=KILL:when=$k "$cli" save m.kr2 \
      >/dev/null 2>&1 || true) 2>/dev/null
    queda=$(sha1sum < m.kr2 2>/dev/null || echo ninguno)
    if [ "$queda" != "$viejo" ] && [ "$queda" != "$nuevo" ]; then
      echo "Muerto en $sc nº $k: el archivo de empresa no está entero" >&2
      ls -la >&2
      exit 1
    fi
    # A later save removes what the killed one left, and the lock is stale.
    "$cli" save m.kr2 >/dev/null
    sobra=$(ls -A | grep -v -x -e m.kr2 -e m.BAK -e viejo.kr2 -e nuevo.kr2 || true)
    if [ -n "$sobra" ]; then
      echo "Muerto en $sc nº $k: quedan archivos tras el siguiente guardado: $sobra" >&2
      exit 1
    fi
    probados=$((probados + 1))
  done
done
echo "Guardado interrumpido en $probados puntos: el archivo de empresa siempre entero"
