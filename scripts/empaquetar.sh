#!/usr/bin/env bash
# Builds the Debian package from build/ and has lintian check it, so that
# packaging cannot break unseen. Run after scripts/probar.sh (or compilar.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
rm -f build/koral20_*.deb
(cd build && cpack -G DEB >/dev/null)
paquete=$(ls build/koral20_*.deb)
echo "== lintian $(basename "$paquete")"
# Warnings count as failures; lintian's own note about running as root does not.
estado=0
salida=$(lintian --fail-on error,warning "$paquete" 2>&1) || estado=$?
grep -v "running with root privileges" <<<"$salida" || true
if [ $estado -ne 0 ]; then
  echo "lintian no acepta el paquete" >&2
  exit 1
fi
echo "Paquete sin avisos."
