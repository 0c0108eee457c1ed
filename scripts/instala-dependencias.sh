#!/usr/bin/env bash
# Installs the Debian packages Quelix needs, only those missing.
# Idempotent and non-interactive.
#
#   instala-dependencias.sh executar   what building and running the monitor needs
#   instala-dependencias.sh empacotar  that, plus what building the package needs
#   instala-dependencias.sh testar     that, plus the test servers and tools,
#                                      and the npm packages of ferramentas/soap-node
#
# Running needs no database server: the demo's ERP is an embedded Firebird
# file. The Firebird and PostgreSQL servers are for the test command only;
# the test command runs its own instances of them on loopback. git names the
# commit that `quelix --versao` prints.
set -euo pipefail

EXECUCAO=(
  build-essential cmake git pkg-config
  qt6-base-dev libgl-dev libqt6sql6-odbc libqt6sql6-psql libqt6sql6-sqlite libpq-dev
  qt6-translations-l10n
  qt6-websockets-dev libsystemd-dev
  # the console's password hashes (PBKDF2 of libcrypto)
  libssl-dev
  firebird-dev firebird3.0-server-core firebird3.0-utils
  unixodbc unixodbc-dev libsqliteodbc tdsodbc
)
# scripts/pacote.sh: CPack's Debian generator reads the executables'
# library dependencies with file and dpkg-shlibdeps.
EMPACOTAMENTO=(
  "${EXECUCAO[@]}"
  file dpkg-dev
)
# The package test checks the package with lintian and the unit's sandbox
# with systemd-analyze.
TESTE=(
  "${EMPACOTAMENTO[@]}"
  firebird3.0-server postgresql odbc-postgresql
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  openssl
  prometheus
  lintian systemd
  # scripts/captura-janela.sh: the window's picture on a virtual display
  xvfb xauth imagemagick
  # the web console's test in a real browser
  chromium chromium-driver python3-selenium
  # the fault campaign: whether a full Logs/ met a write that needed room
  strace
)

case "${1:-testar}" in
  executar) PACOTES=("${EXECUCAO[@]}") ;;
  empacotar) PACOTES=("${EMPACOTAMENTO[@]}") ;;
  testar) PACOTES=("${TESTE[@]}") ;;
  *) echo "uso: $0 executar|empacotar|testar" >&2; exit 2 ;;
esac

faltando=()
for p in "${PACOTES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltando+=("$p")
done

if [ ${#faltando[@]} -gt 0 ]; then
  echo "Instalando: ${faltando[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${faltando[@]}" </dev/null
fi

# The interoperability test's SOAP stack: node and npm from Debian only when
# the commands are missing (a node installed some other way is kept), then
# the locked packages of ferramentas/soap-node, installed again only when the
# lock file has changed.
if [ "${1:-testar}" = testar ]; then
  node_faltando=()
  command -v node >/dev/null || node_faltando+=(nodejs)
  command -v npm >/dev/null || node_faltando+=(npm)
  if [ ${#node_faltando[@]} -gt 0 ]; then
    echo "Instalando: ${node_faltando[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${node_faltando[@]}" </dev/null
  fi
  SOAP_NODE=$(cd "$(dirname "$0")/.." && pwd)/ferramentas/soap-node
  if ! cmp -s "$SOAP_NODE/package-lock.json" "$SOAP_NODE/node_modules/.quelix-lock"; then
    echo "Instalando os pacotes npm de $SOAP_NODE"
    # From the registry's own tarballs kept in pacotes/ (the lock file names
    # them and their integrity): no network, the same bytes on every machine.
    (cd "$SOAP_NODE" && npm ci --offline --cache "$SOAP_NODE/node_modules/.cache-npm" \
      --no-audit --no-fund --loglevel=error </dev/null)
    cp "$SOAP_NODE/package-lock.json" "$SOAP_NODE/node_modules/.quelix-lock"
  fi
fi
