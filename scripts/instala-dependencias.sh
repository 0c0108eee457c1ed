#!/usr/bin/env bash
# Installs the Debian packages Quelix needs to build, test and run.
# Idempotent and non-interactive: installs only what is missing.
set -euo pipefail

PACOTES=(
  build-essential cmake pkg-config git
  qt6-base-dev libqt6sql6-psql libqt6sql6-odbc libqt6sql6-sqlite libgl-dev
  firebird3.0-server firebird3.0-utils firebird-dev
  postgresql unixodbc unixodbc-dev odbc-postgresql libsqliteodbc
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth
)

faltando=()
for p in "${PACOTES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltando+=("$p")
done

if [ ${#faltando[@]} -eq 0 ]; then
  exit 0
fi

echo "Instalando: ${faltando[*]}"
export DEBIAN_FRONTEND=noninteractive
# Firebird asks for the SYSDBA password once; answer it up front.
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password masterkey" | debconf-set-selections
echo "firebird3.0-server shared/firebird/sysdba_password/new_password password masterkey" | debconf-set-selections
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${faltando[@]}" </dev/null
