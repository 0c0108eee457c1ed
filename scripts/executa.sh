#!/usr/bin/env bash
# The run command: installs what is missing, builds, creates the demo
# environment once (demo/) and starts the monitor there, beside its QX.ini.
# Without a display the monitor runs without a window (--sem-janela).
# QX_MODELO=0, 1 or 2 sets the machine type of demo/QX.ini first (Bruma,
# Vapora, EAS).
# The demo's Vapora side, the project's test SOAP service, runs on loopback
# while the monitor runs and is stopped, by its pid, when the monitor ends.
set -euo pipefail
cd "$(dirname "$0")/.."
RAIZ=$(pwd)

bash scripts/instala-dependencias.sh executar

# A build of its own, without the test suite and its dependencies.
BUILD=${QX_BUILD:-build-executa}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELIX_TESTES=OFF -DQUELIX_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target quelix quelix-servico-soap
[ -z "${QX_SO_COMPILA:-}" ] || exit 0  # QX_SO_COMPILA=1: build only

DEMO=$RAIZ/demo
bash scripts/demo/cria-demo.sh "$DEMO"

# The Vapora services of the demo on 127.0.0.1, at the port its QX.ini names;
# each request it receives is a line of demo/servico-soap.log.
# Should this script end before the monitor starts, the service goes with it.
SERVICO_PID=
para_servico_soap() {
  [ -z "$SERVICO_PID" ] || kill "$SERVICO_PID" 2>/dev/null || true
}
inicia_servico_soap() {
  local porta
  porta=$(cat "$DEMO/servico-soap.porta" 2>/dev/null || echo 3030)
  if (exec 3<>"/dev/tcp/127.0.0.1/$porta") 2>/dev/null; then
    echo "executa: a porta 127.0.0.1:$porta já está em uso; o Vapora da demonstração fala com quem estiver lá." >&2
    return 0
  fi
  "$BUILD/ferramentas/servico-soap/quelix-servico-soap" --endereco 127.0.0.1 --porta "$porta" \
    >"$DEMO/servico-soap.log" 2>&1 &
  SERVICO_PID=$!
  trap para_servico_soap EXIT
  local _
  for _ in $(seq 1 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$porta") 2>/dev/null && return 0
    kill -0 "$SERVICO_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "executa: o serviço SOAP da demonstração não iniciou em 127.0.0.1:$porta (veja $DEMO/servico-soap.log)." >&2
  exit 1
}
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

inicia_servico_soap
if [ -n "$SERVICO_PID" ]; then
  # The monitor takes this process's place (exec), so signals reach it as
  # before; the service is stopped by its pid once that process has ended.
  (while kill -0 $$ 2>/dev/null; do sleep 1; done; kill "$SERVICO_PID" 2>/dev/null) >/dev/null 2>&1 &
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
