#!/usr/bin/env bash
# The picture of the window in the README (docs/janela.png): the run command
# on a virtual display, photographed once the monitor's first lines are in
# its log pane. Not part of the tests. Usage: captura-janela.sh [FILE [SECONDS]]
set -euo pipefail
cd "$(dirname "$0")/.."
ARQUIVO=${1:-docs/janela.png}
ESPERA=${2:-20}

command -v xvfb-run >/dev/null && command -v import >/dev/null \
  || DEBIAN_FRONTEND=noninteractive apt-get install -y -q xvfb xauth imagemagick >/dev/null

# Built first, so that the wait below counts from the window's start.
QX_SO_COMPILA=1 bash scripts/executa.sh

# Cycles 5 s apart, so that the picture shows the status bar after a cycle
# (its summary and its connections) and not only "Nenhum ciclo ainda.".
xvfb-run -a -s "-screen 0 1024x700x24" bash -c '
  # executa.sh ends by exec-ing the monitor, so this pid is the monitor this
  # script started: only it is stopped, never a demo the user runs meanwhile.
  QUELIX_INTERVALO_MS=5000 bash scripts/executa.sh >/dev/null 2>&1 &
  monitor=$!
  sleep "$1"
  import -window root "$2"
  kill -TERM "$monitor" 2>/dev/null || true
  wait "$monitor" || true
' _ "$ESPERA" "$ARQUIVO"
echo "captura: $ARQUIVO"
