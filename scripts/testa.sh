#!/usr/bin/env bash
# The test command: installs what is missing, builds, starts the test servers
# on loopback, fuzzes the pure-text layers for a minute, runs the whole suite
# with CTest and stops the servers it started.
set -euo pipefail
cd "$(dirname "$0")/.."
RAIZ=$(pwd)

bash scripts/instala-dependencias.sh testar

BUILD=${QX_BUILD:-build}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELIX_TESTES=ON -DQUELIX_BENCH=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)"

parar() { bash "$RAIZ/scripts/servidores-teste.sh" parar || true; }
trap parar EXIT
ambiente=$(bash scripts/servidores-teste.sh iniciar) || {
  echo "Os servidores de teste não iniciaram; nenhum teste foi rodado." >&2
  exit 1
}
eval "$ambiente"

# The SQL translation and the EAS record readers are fuzzed for about a
# minute in all (their own clang build).
bash scripts/fuzz.sh >"$BUILD/fuzz.log" 2>&1 || {
  tail -n 40 "$BUILD/fuzz.log" >&2
  echo "O fuzzing falhou (log completo em $BUILD/fuzz.log)." >&2
  exit 1
}
echo "Fuzzing da tradução de SQL e dos registros do EAS: nenhuma falha ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$BUILD/fuzz.log" | grep -o '[0-9]*$' | awk '{ s += $1 } END { print s }') entradas)."

cd "$BUILD"
ctest --output-on-failure -j 2 "$@"
