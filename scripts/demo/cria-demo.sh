#!/usr/bin/env bash
# Creates the demo environment once, under demo/ at the repository root:
#   demo/erp.fdb        the ERP database (embedded Firebird) with sample data
#                       for the three machine types;
#   demo/eas_host.fdb   the EAS host exchange tables (embedded Firebird), with
#                       kitchen events waiting in FTOHOST;
#   demo/firebird/      the Firebird configuration the demo runs under
#                       (FIREBIRD=demo/firebird): the machine's engine in the
#                       SuperClassic mode, so that the kitchen script can
#                       write to eas_host.fdb while the monitor has it open;
#   demo/bruma.sqlite   the Bruma machine queue, reached through the ODBC
#                       data source quelix_bruma of demo/odbc.ini (SQLite);
#   demo/QX.ini         the configuration beside the executable (Bruma;
#                       [Vapora] names the demo's SOAP service on
#                       127.0.0.1:$QX_DEMO_SOAP_PORT, 3030 by default, whose
#                       port is kept in demo/servico-soap.porta).
# An existing demo is kept as it is; remove demo/ to start again.
#
#   cria-demo.sh PASTA_DA_DEMO
set -euo pipefail

RAIZ=$(cd "$(dirname "$0")/../.." && pwd)
DEMO=${1:-$RAIZ/demo}
SCRIPTS=$RAIZ/scripts/demo
# The SQLite ODBC driver as the libsqliteodbc package registers it in odbcinst.ini.
DRIVER_SQLITE="SQLite3"

falha() { echo "cria-demo: $*" >&2; exit 1; }

if [ -f "$DEMO/.pronta" ]; then
  exit 0
fi
odbcinst -q -d -n "$DRIVER_SQLITE" >/dev/null 2>&1 || falha "driver ODBC \"$DRIVER_SQLITE\" ausente: instale libsqliteodbc"
command -v isql-fb >/dev/null || falha "isql-fb ausente: instale firebird3.0-utils"
command -v isql >/dev/null || falha "isql (unixODBC) ausente: instale unixodbc"

rm -rf "$DEMO"
mkdir -p "$DEMO"

# The machine's engine, plugins and messages, with a firebird.conf of the
# demo's own. The embedded engine's default mode locks a database file to
# one process; SuperClassic lets the monitor and isql-fb share it.
prepara_firebird() {
  local raiz=$DEMO/firebird sistema
  sistema=$(dirname "$(find /usr/lib -path '*firebird/3.0/plugins' -type d 2>/dev/null | head -n 1)")
  [ -d "$sistema/plugins" ] || falha "plugins do Firebird 3 ausentes: instale firebird3.0-server-core"
  mkdir -p "$raiz/lock"
  local item
  for item in firebird.msg intl plugins lib UDF plugins.conf fbtrace.conf; do
    [ -e "$sistema/$item" ] && ln -s "$sistema/$item" "$raiz/$item"
  done
  printf '# Firebird da demonstração do Quelix.\nServerMode = SuperClassic\n' >"$raiz/firebird.conf"
  export FIREBIRD=$raiz FIREBIRD_LOCK=$raiz/lock
}
prepara_firebird

cria_firebird() {
  local banco=$1; shift
  echo "CREATE DATABASE '$banco' PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8;" | isql-fb -q -b \
    || falha "não foi possível criar $banco"
  local script
  for script in "$@"; do
    isql-fb -q -b -ch UTF8 -i "$script" "$banco" || falha "erro ao rodar $script em $banco"
  done
}

# Vapora: the demo's SOAP service listens on 127.0.0.1 at this port
# (scripts/executa.sh starts it and reads the port back from the file).
SOAP_PORTA=${QX_DEMO_SOAP_PORT:-3030}
VAPORA=http://127.0.0.1:$SOAP_PORTA/integracao

echo "Criando a demonstração em $DEMO"
cria_firebird "$DEMO/erp.fdb" "$RAIZ/sql/erp_firebird.sql" "$SCRIPTS/dados_erp.sql"
sed "s/@HOJE@/$(date +%Y%m%d)/g" "$SCRIPTS/dados_eas.sql" >"$DEMO/dados_eas.sql"
cria_firebird "$DEMO/eas_host.fdb" "$RAIZ/sql/eas_host_firebird.sql" "$DEMO/dados_eas.sql"
rm -f "$DEMO/dados_eas.sql"

cat >"$DEMO/odbc.ini" <<INI
[quelix_bruma]
Description = Fila das máquinas Bruma (demonstração)
Driver = $DRIVER_SQLITE
Database = $DEMO/bruma.sqlite
Timeout = 2000
INI
ODBCINI="$DEMO/odbc.ini" isql -b quelix_bruma <"$SCRIPTS/bruma_sqlite.sql" >/dev/null \
  || falha "não foi possível criar a fila Bruma em $DEMO/bruma.sqlite"

cat >"$DEMO/QX.ini" <<INI
; Configuração da demonstração do Quelix.
[Banco1]
Protocolo=firebird
Base=$DEMO/erp.fdb
Usuario=SYSDBA
Senha=

[Banco2]
Protocolo=odbc
Base=quelix_bruma
Usuario=
Senha=

[Banco3]
Protocolo=firebird
Base=$DEMO/eas_host.fdb
Usuario=SYSDBA
Senha=
Schema=
Estoque=S

[Vapora]
; Os nove serviços do serviço SOAP da demonstração, que scripts/executa.sh inicia.
Artigo=$VAPORA/ArtigoWS?wsdl
Cliente=$VAPORA/ClienteWS?wsdl
Cor=$VAPORA/CorWS?wsdl
ClasseProduto=$VAPORA/ClasseProdutoWS?wsdl
SubClasseProduto=$VAPORA/SubClasseProdutoWS?wsdl
Produto=$VAPORA/ProdutoWS?wsdl
GerarOP=$VAPORA/GerarOPWS?wsdl
Programacao=$VAPORA/ProgramacaoWS?wsdl
TipoFio=$VAPORA/TipoFioWS.xml
Passo=N
PorVariante=N
podeIniciar=S
EnviarGrafico=S

[ModeloAtivo]
; 0 Bruma, 1 Vapora, 2 EAS (read at start-up: change it and start again)
Modelo=0
INI

echo "$SOAP_PORTA" >"$DEMO/servico-soap.porta"

touch "$DEMO/.pronta"
