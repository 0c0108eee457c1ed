#!/usr/bin/env bash
# The run command: installs what is missing, builds, creates the demo
# environment once (demo/) and starts the monitor there, beside its QX.ini.
# Without a display the monitor runs without a window (--sem-janela).
# QX_MODELO=0, 1 or 2 sets the machine type of demo/QX.ini first (Bruma,
# Vapora, EAS).
set -euo pipefail
cd "$(dirname "$0")/.."
RAIZ=$(pwd)

bash scripts/instala-dependencias.sh executar

# A build of its own, without the test suite and its dependencies.
BUILD=${QX_BUILD:-build-executa}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELIX_TESTES=OFF -DQUELIX_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target quelix

DEMO=$RAIZ/demo
bash scripts/demo/cria-demo.sh "$DEMO"
# The executable runs from its own folder, beside QX.ini and Logs/.
cp -f "$BUILD/src/app/quelix" "$DEMO/quelix"
export ODBCINI=$DEMO/odbc.ini
# The demo's Firebird configuration: its database files can be shared with
# isql-fb (scripts/demo/cozinha-eas.sh) while the monitor runs.
if [ -f "$DEMO/firebird/firebird.conf" ]; then
  export FIREBIRD=$DEMO/firebird FIREBIRD_LOCK=$DEMO/firebird/lock
fi
if [ -n "${QX_MODELO:-}" ]; then
  sed -i "s/^Modelo=.*/Modelo=$QX_MODELO/" "$DEMO/QX.ini"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
Sem tela (DISPLAY não definido): o monitor roda sem janela, com o log na
saída padrão, um ciclo a cada 59 segundos; Ctrl+C encerra. Para ver a
janela, rode o mesmo comando numa sessão gráfica (DISPLAY definido, por
exemplo no terminal da área de trabalho ou por ssh -X).
MSG
  exec "$DEMO/quelix" --sem-janela
fi
exec "$DEMO/quelix"
