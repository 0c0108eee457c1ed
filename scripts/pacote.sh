#!/usr/bin/env bash
# Builds the Debian package quelix_<version>_amd64.deb with CPack.
#
#   pacote.sh [PASTA]     the package goes to PASTA (default: BUILD/pacote)
#
# QX_BUILD names the build folder (default build-pacote). One made here is
# configured for a release, without the tests; an existing one is used with
# the settings it has. Install the package with
#   apt install ./quelix_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/instala-dependencias.sh empacotar

BUILD=${QX_BUILD:-build-pacote}
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELIX_TESTES=OFF -DQUELIX_BENCH=OFF >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)" --target quelix quelix-sql manuais

SAIDA=${1:-$BUILD/pacote}
mkdir -p "$SAIDA"
SAIDA=$(cd "$SAIDA" && pwd)
rm -f "$SAIDA"/quelix_*.deb
(cd "$BUILD" && cpack -G DEB -B "$SAIDA" >/dev/null)
rm -rf "$SAIDA/_CPack_Packages"
ls "$SAIDA"/quelix_*.deb
