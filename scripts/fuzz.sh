#!/usr/bin/env bash
# Fuzzes the pure-text layers with libFuzzer, ASan and UBSan within one time
# budget of about a minute (QX_FUZZ_SEGUNDOS): two thirds for the SQL
# translation (every driver id in each run), one third for the readers of
# the EAS kitchen's records. Exits non-zero on a crash, a hang (over 10 s for
# one input) or a sanitizer report; the input that failed is left in
# build-fuzz/artefatos/.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=build-fuzz
SEGUNDOS=${QX_FUZZ_SEGUNDOS:-60}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUELIX_FUZZ=ON -DQUELIX_TESTES=OFF -DQUELIX_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j 2 --target fuzz-traducao fuzz-campos-host

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$BUILD/artefatos"

# roda ALVO SEMENTES DICIONARIO SEGUNDOS: the seeds are copied so that what
# the run learns stays out of the tree.
roda() {
  local alvo=$1 sementes=$2 dicionario=$3 segundos=$4
  local corpus=$BUILD/corpus-$alvo
  mkdir -p "$corpus"
  cp -n "$sementes"/* "$corpus"/
  echo "== $alvo ($segundos s)"
  "$BUILD/fuzz/$alvo" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 \
    -dict="$dicionario" -artifact_prefix="$BUILD/artefatos/$alvo-" -print_final_stats=1 "$corpus"
}

TRADUCAO=$((SEGUNDOS * 2 / 3))
roda fuzz-traducao fuzz/corpus fuzz/dicionario-traducao.txt "$TRADUCAO"
roda fuzz-campos-host fuzz/corpus-campos fuzz/dicionario-campos.txt "$((SEGUNDOS - TRADUCAO))"
