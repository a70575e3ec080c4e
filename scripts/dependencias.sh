#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root or through sudo.
#   scripts/dependencias.sh [ejecutar|pruebas|xvfb ...]
# ejecutar: what building and running the window program needs (with its
# manual); pruebas (the default): that and what the tests, the static checks,
# the fuzzers and the package need; xvfb: a virtual screen.
set -euo pipefail

# qt6-httpserver-dev needs qt6-websockets-dev for its CMake files but does not pull it in.
ejecutar=(build-essential cmake ninja-build pkg-config qt6-base-dev libjpeg-dev
          fonts-dejavu-core fonts-liberation qt6-translations-l10n xdg-utils fp-utils xchm
          qt6-httpserver-dev qt6-websockets-dev libqrencode-dev nlohmann-json3-dev
          libreadstat-dev libxlsxwriter-dev)
pruebas=("${ejecutar[@]}" libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
         clang libclang-rt-14-dev clang-tidy clang-format cppcheck dpkg-dev file lintian strace
         poppler-utils chromium chromium-driver python3-selenium locales
         pspp python3-pandas python3-openpyxl)
xvfb=(xvfb xauth)

[ $# -eq 0 ] && set -- pruebas
paquetes=()
for conjunto in "$@"; do
  case $conjunto in
    ejecutar) paquetes+=("${ejecutar[@]}") ;;
    pruebas) paquetes+=("${pruebas[@]}") ;;
    xvfb) paquetes+=("${xvfb[@]}") ;;
    *) echo "Conjunto de paquetes desconocido: $conjunto" >&2; exit 2 ;;
  esac
done

faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
# The tests write the files meant for other programs under a Spanish locale,
# as the window program runs for its users, and under one whose decimal mark
# is two bytes long: both must exist.
locales=("es_ES.UTF-8 UTF-8" "ps_AF UTF-8")
locale=0
for conjunto in "$@"; do [ "$conjunto" = pruebas ] && locale=1; done
if [ $locale -eq 1 ] && locale -a 2>/dev/null | grep -qix 'es_ES\.utf-\?8' &&
   locale -a 2>/dev/null | grep -qix 'ps_AF\.utf-\?8'; then
  locale=0
fi
[ ${#faltan[@]} -eq 0 ] && [ $locale -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Faltan paquetes (${faltan[*]}) o locales y no hay sudo. Instálelos como root:" >&2
    echo "  su -c 'bash $(cd "$(dirname "$0")" && pwd)/dependencias.sh $*'" >&2
    echo "y vuelva a dar la orden." >&2
    exit 1
  fi
  sudo=(sudo)
fi
if [ ${#faltan[@]} -gt 0 ]; then
  echo "Instalando: ${faltan[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${faltan[@]}"
fi
if [ $locale -eq 1 ]; then
  echo "Generando los locales ${locales[*]}"
  for l in "${locales[@]}"; do
    "${sudo[@]}" sed -i "s/^# *$l\$/$l/" /etc/locale.gen
    grep -qx "$l" /etc/locale.gen || echo "$l" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${sudo[@]}" locale-gen >/dev/null
fi
