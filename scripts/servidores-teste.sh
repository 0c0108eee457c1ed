#!/usr/bin/env bash
# Starts and stops the database servers the test suite runs against. They are
# instances of the test command's own, under a private state folder, listening
# on 127.0.0.1 only, whatever /etc/hosts says:
#   - PostgreSQL 15 on 127.0.0.1:$QX_PG_PORT (25432), as the user postgres;
#   - the Firebird 3 server on 127.0.0.1:$QX_FB_PORT (25050), with a
#     configuration root, security database and SYSDBA password of its own,
#     so that a Firebird server of the machine is neither used nor touched
#     (embedded access needs no server);
#   - an ODBC data source (unixODBC + psqlODBC) over the PostgreSQL instance;
#   - the project's test SOAP service (quelix-servico-soap, from the build
#     folder $QX_BUILD, default build) on 127.0.0.1:$QX_SOAP_PORT (25030).
#
#   servidores-teste.sh iniciar   start what is not running; print the environment
#   servidores-teste.sh parar     stop every instance, each by its own pid
#   servidores-teste.sh ambiente  print the environment the tests read
#   servidores-teste.sh congela|descongela firebird|postgres
#                                 freeze every process of the server with
#                                 SIGSTOP (it keeps its connections and
#                                 answers nothing), or let it go on with
#                                 SIGCONT: a server that stops answering
#                                 without closing
#   servidores-teste.sh derruba firebird|postgres
#                                 kill the Firebird server outright (SIGKILL),
#                                 or stop PostgreSQL at once (immediate mode),
#                                 as a crash would: for the fault-injection
#                                 tests, on their own instances
#
# The ports lie below the range the system hands to the client side of
# connections (32768 and up), so that no client socket can hold one when a
# server starts.
# The environment is printed as "export NAME=value" lines, to be eval'ed.
# QX_ESTADO_TESTES, QX_PG_PORT, QX_FB_PORT and QX_SOAP_PORT choose another set
# of instances; QX_SOAP_PORT=0 starts no SOAP service (instances of a test
# that needs only the databases).
set -euo pipefail

ESTADO=${QX_ESTADO_TESTES:-/var/tmp/quelix-testes}
PG_PORTA=${QX_PG_PORT:-25432}
FB_PORTA=${QX_FB_PORT:-25050}
PG_BIN=/usr/lib/postgresql/15/bin
PG_USUARIO=quelix
PG_SENHA=quelix
MULTIARCH=$(gcc -print-multiarch 2>/dev/null || dpkg-architecture -qDEB_HOST_MULTIARCH)
FB_SISTEMA=/usr/lib/$MULTIARCH/firebird/3.0
FB_SEGURANCA_SISTEMA=/var/lib/firebird/3.0/system/security3.fdb
FB=$ESTADO/fb
FB_PID=$FB/firebird.pid
SOAP_PORTA=${QX_SOAP_PORT:-25030}
SOAP=$ESTADO/soap
SOAP_PID=$SOAP/servico.pid
SERVICO_SOAP=${QX_SERVICO_SOAP:-$(cd "$(dirname "$0")/.." && pwd)/${QX_BUILD:-build}/ferramentas/servico-soap/quelix-servico-soap}

falha() { echo "servidores-teste: $*" >&2; exit 1; }

responde() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

ambiente() {
  cat <<AMB
export QX_ESTADO_TESTES='$ESTADO'
export QX_PG_HOST=127.0.0.1
export QX_PG_PORT=$PG_PORTA
export QX_PG_USER=$PG_USUARIO
export QX_PG_PASSWORD=$PG_SENHA
export QX_PG_DATABASE=quelix
export QX_FB_HOST=127.0.0.1
export QX_FB_PORT=$FB_PORTA
export QX_FB_DIR='$FB/dados'
export QX_FB_USER=SYSDBA
export QX_FB_PASSWORD='$(cat "$FB/senha" 2>/dev/null || true)'
export QX_ODBC_DSN=quelix_pg
export ODBCINI='$ESTADO/odbc.ini'
export QX_SOAP_PORT=$SOAP_PORTA
AMB
}

inicia_postgres() {
  local dados=$ESTADO/pg/dados sock=$ESTADO/pg/sock
  [ -x "$PG_BIN/initdb" ] || falha "PostgreSQL 15 ausente ($PG_BIN): instale o pacote postgresql"
  mkdir -p "$ESTADO/pg" "$sock"
  chown -R postgres:postgres "$ESTADO/pg"
  if [ ! -f "$dados/PG_VERSION" ]; then
    runuser -u postgres -- "$PG_BIN/initdb" -D "$dados" -A trust -U postgres -E UTF8 --locale=C.UTF-8 >"$ESTADO/pg/initdb.log" 2>&1 \
      || falha "PostgreSQL: initdb falhou (veja $ESTADO/pg/initdb.log)"
    cat >>"$dados/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $PG_PORTA
unix_socket_directories = '$sock'
max_connections = 200
fsync = off
synchronous_commit = off
full_page_writes = off
deadlock_timeout = 200ms
CONF
    printf 'local all all trust\nhost all postgres 127.0.0.1/32 trust\nhost all all 127.0.0.1/32 scram-sha-256\n' >"$dados/pg_hba.conf"
  fi
  if ! runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$dados" status >/dev/null 2>&1; then
    # The port of this start, whatever the instance was made with.
    runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$dados" -l "$ESTADO/pg/servidor.log" -o "-p $PG_PORTA" -w -t 60 start >/dev/null \
      || falha "PostgreSQL não iniciou em 127.0.0.1:$PG_PORTA (veja $ESTADO/pg/servidor.log)"
  fi
  local psql="runuser -u postgres -- psql -h $sock -p $PG_PORTA -U postgres -d postgres -v ON_ERROR_STOP=1 -qtA"
  if [ "$($psql -c "SELECT 1 FROM pg_roles WHERE rolname='$PG_USUARIO'")" != 1 ]; then
    $psql -c "CREATE ROLE $PG_USUARIO LOGIN SUPERUSER PASSWORD '$PG_SENHA'" >/dev/null \
      || falha "PostgreSQL: não foi possível criar o usuário $PG_USUARIO"
  fi
  if [ "$($psql -c "SELECT 1 FROM pg_database WHERE datname='quelix'")" != 1 ]; then
    $psql -c "CREATE DATABASE quelix OWNER $PG_USUARIO" >/dev/null \
      || falha "PostgreSQL: não foi possível criar o banco quelix"
  fi
}

# The configuration root of the test instance: the machine's engine, plugins
# and messages, with a firebird.conf, databases.conf and security database of
# its own. The security database is made once, with a SYSDBA password drawn
# at random; the configuration is written at every start, so it always names
# the port asked for now.
prepara_raiz_firebird() {
  local raiz=$FB/raiz
  if ! [ -f "$raiz/security3.fdb" ] || ! [ -s "$FB/senha" ]; then
    cria_seguranca_firebird "$raiz"
  fi
  escreve_configuracao_firebird "$raiz"
  chown firebird:firebird "$raiz/firebird.conf" "$raiz/databases.conf"
}

escreve_configuracao_firebird() {
  local raiz=$1
  # SecurityDatabase points at the instance's own copy: the machine's
  # security database (and its SYSDBA password) is never opened or changed.
  cat >"$raiz/firebird.conf" <<CONF
# Test instance of the Quelix test command: loopback only.
RemoteBindAddress = 127.0.0.1
RemoteServicePort = $FB_PORTA
SecurityDatabase = $raiz/security3.fdb
UdfAccess = None
CONF
  printf 'security.db = %s/security3.fdb\n' "$raiz" >"$raiz/databases.conf"
}

cria_seguranca_firebird() {
  local raiz=$1
  [ -x /usr/sbin/firebird ] || falha "Firebird: /usr/sbin/firebird ausente: instale o pacote firebird3.0-server"
  [ -d "$FB_SISTEMA/plugins" ] || falha "Firebird: $FB_SISTEMA/plugins ausente: instale o pacote firebird3.0-server-core"
  [ -r "$FB_SEGURANCA_SISTEMA" ] || falha "Firebird: $FB_SEGURANCA_SISTEMA ausente: instale o pacote firebird3.0-server"
  rm -rf "$raiz"
  mkdir -p "$raiz" "$FB/lock" "$FB/dados"
  local item
  for item in firebird.msg intl plugins lib UDF plugins.conf fbtrace.conf; do
    [ -e "$FB_SISTEMA/$item" ] && ln -s "$FB_SISTEMA/$item" "$raiz/$item"
  done
  cp "$FB_SEGURANCA_SISTEMA" "$raiz/security3.fdb"
  escreve_configuracao_firebird "$raiz"
  chown -R firebird:firebird "$FB"
  chmod 770 "$FB/dados" "$FB/lock"
  local senha
  senha=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  echo "CREATE OR ALTER USER SYSDBA PASSWORD '$senha' USING PLUGIN Srp; COMMIT;" \
    | runuser -u firebird -- env FIREBIRD="$raiz" FIREBIRD_LOCK="$FB/lock" \
        isql-fb -q -user SYSDBA "$raiz/security3.fdb" >"$FB/seguranca.log" 2>&1 \
    || falha "Firebird: não foi possível definir a senha do SYSDBA de teste (veja $FB/seguranca.log)"
  echo "$senha" >"$FB/senha"
}

inicia_firebird() {
  mkdir -p "$FB"
  # The state folder must be reachable by the firebird user.
  chmod 755 "$ESTADO"
  prepara_raiz_firebird
  if start-stop-daemon --status --pidfile "$FB_PID" --exec /usr/sbin/firebird 2>/dev/null; then
    responde "$FB_PORTA" && return 0
    # Running with an older configuration (another port): started again.
    start-stop-daemon --stop --quiet --pidfile "$FB_PID" --exec /usr/sbin/firebird \
      --retry TERM/10/KILL/5 >/dev/null 2>&1 || true
    rm -f "$FB_PID"
  fi
  responde "$FB_PORTA" && falha "Firebird: a porta 127.0.0.1:$FB_PORTA já está em uso por outro processo"
  FIREBIRD="$FB/raiz" FIREBIRD_LOCK="$FB/lock" \
    start-stop-daemon --start --quiet --background --make-pidfile --pidfile "$FB_PID" \
      --chuid firebird:firebird --exec /usr/sbin/firebird \
    || falha "Firebird: o servidor de teste não iniciou"
  local _
  for _ in $(seq 1 100); do
    responde "$FB_PORTA" && return 0
    sleep 0.1
  done
  falha "Firebird: o servidor de teste não respondeu em 127.0.0.1:$FB_PORTA"
}

escreve_odbc() {
  cat >"$ESTADO/odbc.ini" <<INI
[quelix_pg]
Description = Banco de teste do Quelix (PostgreSQL)
Driver = PostgreSQL Unicode
Servername = 127.0.0.1
Port = $PG_PORTA
Database = quelix
Username = $PG_USUARIO
Password = $PG_SENHA
INI
  command -v isql >/dev/null || falha "ODBC: isql ausente: instale o pacote unixodbc"
  echo "SELECT 1" | ODBCINI="$ESTADO/odbc.ini" isql -b quelix_pg "$PG_USUARIO" "$PG_SENHA" >/dev/null \
    || falha "ODBC: a fonte de dados quelix_pg não conecta ao PostgreSQL de teste (driver \"PostgreSQL Unicode\" do pacote odbc-postgresql)"
}

# The process is known by its pid file and its name (the first 15 characters
# of the executable's), so a rebuilt executable is still stopped.
inicia_servico_soap() {
  mkdir -p "$SOAP"
  if start-stop-daemon --status --pidfile "$SOAP_PID" --name quelix-servico- 2>/dev/null; then
    responde "$SOAP_PORTA" && return 0
  fi
  [ -x "$SERVICO_SOAP" ] || falha "SOAP: o serviço de teste $SERVICO_SOAP não existe: compile o alvo quelix-servico-soap"
  responde "$SOAP_PORTA" && falha "SOAP: a porta 127.0.0.1:$SOAP_PORTA já está em uso por outro processo"
  start-stop-daemon --start --quiet --background --make-pidfile --pidfile "$SOAP_PID" \
      --output "$SOAP/servico.log" --exec "$SERVICO_SOAP" -- --endereco 127.0.0.1 --porta "$SOAP_PORTA" \
    || falha "SOAP: o serviço de teste não iniciou (veja $SOAP/servico.log)"
  local _
  for _ in $(seq 1 100); do
    responde "$SOAP_PORTA" && return 0
    sleep 0.1
  done
  falha "SOAP: o serviço de teste não respondeu em 127.0.0.1:$SOAP_PORTA (veja $SOAP/servico.log)"
}

parar() {
  # A server left frozen would not stop.
  (sinaliza CONT firebird) >/dev/null 2>&1 || true
  (sinaliza CONT postgres) >/dev/null 2>&1 || true
  if [ -f "$ESTADO/pg/dados/postmaster.pid" ]; then
    runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$ESTADO/pg/dados" -m fast -w stop >/dev/null 2>&1 || true
  fi
  if [ -f "$FB_PID" ]; then
    start-stop-daemon --stop --quiet --pidfile "$FB_PID" --exec /usr/sbin/firebird \
      --retry TERM/10/KILL/5 >/dev/null 2>&1 || true
    rm -f "$FB_PID"
  fi
  if [ -f "$SOAP_PID" ]; then
    start-stop-daemon --stop --quiet --pidfile "$SOAP_PID" --name quelix-servico- \
      --retry TERM/5/KILL/5 >/dev/null 2>&1 || true
    rm -f "$SOAP_PID"
  fi
}

derruba() {
  case "${1:-}" in
    firebird)
      [ -f "$FB_PID" ] || falha "Firebird: nenhum servidor de teste iniciado em $ESTADO"
      start-stop-daemon --stop --quiet --pidfile "$FB_PID" --exec /usr/sbin/firebird --signal KILL \
        --retry KILL/5 >/dev/null 2>&1 || true
      rm -f "$FB_PID"
      ;;
    postgres)
      runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$ESTADO/pg/dados" -m immediate -w stop >/dev/null 2>&1 || true
      ;;
    *) echo "uso: $0 derruba firebird|postgres" >&2; exit 2 ;;
  esac
}

sinaliza() {
  local sinal=$1 servidor=${2:-} pid
  case "$servidor" in
    firebird)
      [ -f "$FB_PID" ] || falha "Firebird: nenhum servidor de teste iniciado em $ESTADO"
      kill "-$sinal" "$(cat "$FB_PID")"
      ;;
    postgres)
      pid=$(head -n 1 "$ESTADO/pg/dados/postmaster.pid" 2>/dev/null) \
        || falha "PostgreSQL: nenhum servidor de teste iniciado em $ESTADO"
      # The postmaster and every backend it forked.
      kill "-$sinal" "$pid" $(pgrep -P "$pid")
      ;;
    *) echo "uso: $0 congela|descongela firebird|postgres" >&2; exit 2 ;;
  esac
}

case "${1:-}" in
  iniciar)
    mkdir -p "$ESTADO"
    inicia_postgres
    inicia_firebird
    export ODBCINI="$ESTADO/odbc.ini"
    escreve_odbc
    [ "$SOAP_PORTA" = 0 ] || inicia_servico_soap
    ambiente
    ;;
  parar) parar ;;
  ambiente) ambiente ;;
  derruba) derruba "${2:-}" ;;
  congela) sinaliza STOP "${2:-}" ;;
  descongela) sinaliza CONT "${2:-}" ;;
  *) echo "uso: $0 iniciar|parar|ambiente|derruba|congela|descongela firebird|postgres" >&2; exit 2 ;;
esac
