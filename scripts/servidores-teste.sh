#!/usr/bin/env bash
# Starts and stops the database servers the test suite runs against, all on
# loopback and under a private state folder:
#   - PostgreSQL 15 on 127.0.0.1:$QX_PG_PORT, as the unprivileged user postgres;
#   - the Firebird 3 server on 127.0.0.1:3050 (embedded access needs no server);
#   - an ODBC data source (unixODBC + psqlODBC) over the PostgreSQL test server.
#
#   servidores-teste.sh iniciar   start what is not running; print the environment
#   servidores-teste.sh parar     stop what this script started
#   servidores-teste.sh ambiente  print the environment the tests read
#
# The environment is printed as "export NAME=value" lines, to be eval'ed.
set -euo pipefail

ESTADO=${QX_ESTADO_TESTES:-/var/tmp/quelix-testes}
PG_PORTA=${QX_PG_PORT:-55432}
PG_BIN=/usr/lib/postgresql/15/bin
PG_USUARIO=quelix
PG_SENHA=quelix
FB_SENHA_ARQ=/etc/firebird/3.0/SYSDBA.password

falha() { echo "servidores-teste: $*" >&2; exit 1; }

fb_senha() {
  local s=masterkey
  if [ -r "$FB_SENHA_ARQ" ]; then
    s=$(sed -n 's/^ISC_PASSWORD="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$FB_SENHA_ARQ" | head -n1)
  fi
  echo "${s:-masterkey}"
}

ambiente() {
  cat <<AMB
export QX_ESTADO_TESTES='$ESTADO'
export QX_PG_HOST=127.0.0.1
export QX_PG_PORT=$PG_PORTA
export QX_PG_USER=$PG_USUARIO
export QX_PG_PASSWORD=$PG_SENHA
export QX_PG_DATABASE=quelix
export QX_FB_HOST=127.0.0.1
export QX_FB_DIR='$ESTADO/fb'
export QX_FB_USER=SYSDBA
export QX_FB_PASSWORD='$(fb_senha)'
export QX_ODBC_DSN=quelix_pg
export ODBCINI='$ESTADO/odbc.ini'
AMB
}

inicia_postgres() {
  local dados=$ESTADO/pg/dados sock=$ESTADO/pg/sock
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
    runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$dados" -l "$ESTADO/pg/servidor.log" -w -t 60 start >/dev/null \
      || falha "PostgreSQL não iniciou na porta $PG_PORTA (veja $ESTADO/pg/servidor.log)"
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

inicia_firebird() {
  mkdir -p "$ESTADO/fb"
  chown firebird:firebird "$ESTADO/fb"
  chmod 770 "$ESTADO/fb"
  # The state folder must be reachable by the firebird user.
  chmod 755 "$ESTADO"
  if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
    # The pid file lives where the firebird user may write it.
    start-stop-daemon --start --quiet --background --chuid firebird:firebird \
      --exec /usr/sbin/fbguard -- -daemon -forever -pidfile "$ESTADO/fb/fbguard.pid" \
      || true
    for _ in $(seq 1 50); do
      (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && break
      sleep 0.2
    done
    (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null \
      || falha "Firebird: o servidor não respondeu em 127.0.0.1:3050 (fbguard)"
    echo iniciado >"$ESTADO/fb/.iniciado-por-nos"
  fi
}

escreve_odbc() {
  cat >"$ESTADO/odbc.ini" <<INI
[quelix_pg]
Description = Banco de teste do Quelix (PostgreSQL)
Driver = /usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so
Servername = 127.0.0.1
Port = $PG_PORTA
Database = quelix
Username = $PG_USUARIO
Password = $PG_SENHA
INI
  echo "SELECT 1" | ODBCINI="$ESTADO/odbc.ini" isql -b quelix_pg "$PG_USUARIO" "$PG_SENHA" >/dev/null \
    || falha "ODBC: a fonte de dados quelix_pg não conecta ao PostgreSQL de teste"
}

parar() {
  if [ -f "$ESTADO/pg/dados/PG_VERSION" ]; then
    runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$ESTADO/pg/dados" -m fast -w stop >/dev/null 2>&1 || true
  fi
  if [ -f "$ESTADO/fb/.iniciado-por-nos" ]; then
    # fbguard first, so that it does not start the server again.
    pkill -f "fbguard -daemon -forever -pidfile $ESTADO/fb/fbguard.pid" 2>/dev/null || true
    pkill -u firebird -x firebird 2>/dev/null || true
    rm -f "$ESTADO/fb/.iniciado-por-nos" "$ESTADO/fb/fbguard.pid"
  fi
}

case "${1:-}" in
  iniciar)
    mkdir -p "$ESTADO"
    inicia_postgres
    inicia_firebird
    export ODBCINI="$ESTADO/odbc.ini"
    escreve_odbc
    ambiente
    ;;
  parar) parar ;;
  ambiente) ambiente ;;
  *) echo "uso: $0 iniciar|parar|ambiente" >&2; exit 2 ;;
esac
