#!/usr/bin/env bash
# The benchmarks: installs what is missing, builds them, starts the test
# servers they measure against (stopped again at the end), runs every
# benchmark and prints each one's figures, then a summary of every ratio
# beside its goal.
#
#   bash scripts/bench.sh            all of them
#   bash scripts/bench.sh bruma eas  only the benchmarks whose names contain these
set -euo pipefail
cd "$(dirname "$0")/.."
RAIZ=$(pwd)

bash scripts/instala-dependencias.sh testar

BUILD=${QX_BUILD:-build}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELIX_TESTES=ON -DQUELIX_BENCH=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)"

parar() { bash "$RAIZ/scripts/servidores-teste.sh" parar || true; }
trap parar EXIT
ambiente=$(QX_BUILD=$BUILD bash scripts/servidores-teste.sh iniciar) || {
  echo "Os servidores de teste não iniciaram; nenhum benchmark foi rodado." >&2
  exit 1
}
eval "$ambiente"

mapfile -t benchmarks < <(find "$BUILD/bench" -type f -name 'bench_*' -perm -u+x | sort)
resumo=()
falhas=0
for bench in "${benchmarks[@]}"; do
  nome=$(basename "$bench")
  if [ $# -gt 0 ]; then
    escolhido=0
    for filtro in "$@"; do [[ $nome == *"$filtro"* ]] && escolhido=1; done
    [ $escolhido = 1 ] || continue
  fi
  echo "== $nome"
  # Shown as it comes (a long benchmark prints its progress), kept for the summary.
  saida=$(mktemp)
  if "$bench" 2>&1 | tee "$saida"; then
    while IFS= read -r linha; do resumo+=("$nome: $linha"); done < <(grep -iE 'meta' "$saida" || true)
  else
    echo "$nome falhou" >&2
    falhas=$((falhas + 1))
  fi
  rm -f "$saida"
  echo
done

echo "== Razões e metas"
printf '%s\n' "${resumo[@]}"
[ $falhas = 0 ]
