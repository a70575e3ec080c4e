#!/usr/bin/env bash
# No include runs uphill: each folder of src/ includes only its own headers
# and those of the folders below it. Siblings (reports and exchange; cli and
# ui) do not include each other either. Prints each offending line; exit 1.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A nivel=([platform]=0 [document]=1 [method]=2 [reports]=3 [exchange]=3
  [resources]=3 [red]=4 [cli]=5 [ui]=5)
fallo=0
while IFS=: read -r archivo linea texto; do
  desde=${archivo#src/}
  desde=${desde%%/*}
  hacia=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$texto")
  [ -n "${nivel[$desde]:-}" ] && [ -n "${nivel[$hacia]:-}" ] || continue
  [ "$desde" = "$hacia" ] && continue
  if [ "${nivel[$hacia]}" -ge "${nivel[$desde]}" ]; then
    echo "$archivo:$linea: $desde incluye $hacia: $texto"
    fallo=1
  fi
done < <(git ls-files 'src/*.cpp' 'src/*.h' | xargs grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' /dev/null || true)
[ "$fallo" = 0 ] && echo "Dependencias hacia abajo."
exit "$fallo"
