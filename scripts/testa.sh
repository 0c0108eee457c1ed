#!/usr/bin/env bash
# The test command: installs what is missing, builds, starts the test servers
# on loopback, runs the whole suite with CTest and stops the servers it started.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/instala-dependencias.sh

BUILD=${QX_BUILD:-build}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)"

parar() { bash scripts/servidores-teste.sh parar || true; }
trap parar EXIT
ambiente=$(bash scripts/servidores-teste.sh iniciar) || {
  echo "Os servidores de teste não iniciaram; nenhum teste foi rodado." >&2
  exit 1
}
eval "$ambiente"

cd "$BUILD"
ctest --output-on-failure -j 2 "$@"
