#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only those missing. Works as root or through sudo.
set -euo pipefail

paquetes=(build-essential cmake ninja-build pkg-config qt6-base-dev libjpeg-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core fonts-liberation
          qt6-translations-l10n xvfb xauth xdg-utils clang libclang-rt-14-dev clang-tidy cppcheck
          fp-utils xchm dpkg-dev strace)

faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
[ ${#faltan[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Faltan paquetes (${faltan[*]}) y no hay sudo." >&2; exit 1; }
  sudo=(sudo)
fi
echo "Instalando: ${faltan[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${faltan[@]}"
