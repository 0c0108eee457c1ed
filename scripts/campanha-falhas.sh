#!/usr/bin/env bash
# The seeded fault campaign: the three integrations (Bruma, Vapora, EAS), each
# a quelix --sem-janela of its own, fed a steady stream of records while
# faults drawn from the seed come one after another (kill -9 of a monitor,
# SIGSTOP of each server, the SOAP service refusing, hanging, cutting a 200,
# answering 400 or an HTML page at its descriptions, the EAS host refusing
# marks, Logs/ full). Then every record is checked by its key.
#
#   campanha-falhas.sh SEMENTE MINUTOS
#
# MINUTOS is the time the faults last (a decimal is allowed); the queues are
# then emptied (at most 100 s) and checked. The same seed and minutes give
# the same plan of faults: a seed that failed is run again as it was.
# It starts server instances of its own (PostgreSQL on 29462, Firebird on
# 29070, the SOAP service on 29041, under /var/tmp/quelix-campanha) and stops
# them at the end; the monitors' lines, journals and daily logs and the
# report stay in /var/tmp/quelix-campanha/execucao-SEMENTE/. Runs as root
# (each monitor's Logs/ is a small tmpfs that a fault fills).
# QX_BUILD names the build folder (build by default); QX_CAMPANHA_ESTADO,
# QX_CAMPANHA_PORTA_PG, QX_CAMPANHA_PORTA_FB and QX_CAMPANHA_PORTA_SOAP give
# a run its own folder and ports (to run beside the suite's short run).
set -euo pipefail

[ $# -eq 2 ] || { echo "uso: $0 SEMENTE MINUTOS" >&2; exit 2; }
[[ $1 =~ ^[0-9]+$ ]] || { echo "campanha-falhas: a semente é um número inteiro" >&2; exit 2; }
[[ $2 =~ ^[0-9]+([.][0-9]+)?$ ]] || { echo "campanha-falhas: MINUTOS é um número" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "campanha-falhas: rode como root (monta um tmpfs por monitor)" >&2; exit 2; }

RAIZ=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$RAIZ/${QX_BUILD:-build}
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$RAIZ" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELIX_TESTES=ON
fi
COMPILACAO=$(mktemp)
trap 'rm -f "$COMPILACAO"' EXIT
cmake --build "$BUILD" -j 2 --target campanha_falhas quelix quelix-servico-soap >"$COMPILACAO" 2>&1 \
  || { cat "$COMPILACAO" >&2; echo "campanha-falhas: a compilação falhou" >&2; exit 1; }

# gtest's time limit per test is none; the run's own is MINUTOS plus the
# emptying of the queues.
QX_CAMPANHA_SEMENTE=$1 QX_CAMPANHA_MINUTOS=$2 QT_QPA_PLATFORM=offscreen \
  "$BUILD/tests/campanha/campanha_falhas" --gtest_filter='CampanhaFalhas.*'
