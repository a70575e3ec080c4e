#!/usr/bin/env bash
# Builds and opens the sample company.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/compilar.sh
exec build/src/koral20-cli dump src/resources/muestra.kr2
