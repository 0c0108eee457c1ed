#!/usr/bin/env bash
# Fuzzes the SQL translation (every driver id in each run) for about a minute
# with libFuzzer, ASan and UBSan. Exits non-zero on a crash, a hang (over 10 s
# for one input) or a sanitizer report; the input that failed is left in
# build-fuzz/artefatos/.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=build-fuzz
SEGUNDOS=${QX_FUZZ_SEGUNDOS:-60}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUELIX_FUZZ=ON -DQUELIX_TESTES=OFF -DQUELIX_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j 2 --target fuzz-traducao

# The seeds are copied so that what the run learns stays out of the tree.
CORPUS=$BUILD/corpus
mkdir -p "$CORPUS" "$BUILD/artefatos"
cp -n fuzz/corpus/* "$CORPUS"/

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$BUILD/fuzz/fuzz-traducao" -max_total_time="$SEGUNDOS" -timeout=10 -rss_limit_mb=2048 \
  -dict=fuzz/dicionario-traducao.txt -artifact_prefix="$BUILD/artefatos/" \
  -print_final_stats=1 "$CORPUS"
