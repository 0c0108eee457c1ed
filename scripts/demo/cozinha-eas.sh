#!/usr/bin/env bash
# Plays the EAS colour kitchen of the demo: posts kitchen events in FTOHOST
# of demo/eas_host.fdb, as the kitchen would, for the monitor to apply in its
# next cycle (with the EAS model: QX_MODELO=2 bash scripts/executa.sh). It
# runs while the monitor runs: the demo's Firebird configuration
# (demo/firebird) lets both open the file.
#
#   cozinha-eas.sh                          the rest of the dyeing of lot
#                                           4711: salt weighed, finished
#   cozinha-eas.sh inicia LOTE [MAQUINA]    lot started on a machine (80)
#   cozinha-eas.sh consome LOTE MATERIAL KG a material weighed for it (89)
#   cozinha-eas.sh termina LOTE [MAQUINA] [MINUTOS]
#                                           lot finished (81)
#   cozinha-eas.sh fila LOTE MAQUINA POSICAO
#                                           lot put in a machine's queue (95)
#   cozinha-eas.sh ajuda                    this text
#   cozinha-eas.sh mostra                   the events (FTOHOST) and the last
#                                           20 records the monitor sent
#                                           (FFROMHOST)
#
# QX_DEMO names another demo folder.
set -euo pipefail

RAIZ=$(cd "$(dirname "$0")/../.." && pwd)
DEMO=${QX_DEMO:-$RAIZ/demo}
BANCO=$DEMO/eas_host.fdb

falha() { echo "cozinha-eas: $*" >&2; exit 1; }
uso() { awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; }
case "${1:-}" in ajuda | -h | --help) uso; exit 0 ;; esac

[ -f "$BANCO" ] || falha "$BANCO não existe: crie a demonstração com bash scripts/executa.sh"
[ -f "$DEMO/firebird/firebird.conf" ] \
  || falha "demonstração criada antes da cozinha do EAS: apague $DEMO e rode bash scripts/executa.sh de novo"
command -v isql-fb >/dev/null || falha "isql-fb ausente: instale firebird3.0-utils"
export FIREBIRD=$DEMO/firebird FIREBIRD_LOCK=$DEMO/firebird/lock

isql() {
  isql-fb -q -b -ch UTF8 -user SYSDBA "$BANCO" || falha "não foi possível usar $BANCO (um monitor iniciado sem scripts/executa.sh trava o arquivo: feche-o)"
}

texto() { local v=$1; printf "'%s'" "${v//\'/\'\'}"; }

# posta TIPO DATOS
posta() {
  echo "INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ($(texto "$1"), 'X', $(texto "$2"), 'F'); COMMIT;" | isql
  echo "FTOHOST ($1): $2"
}

lote7() { printf '%07d' "$((10#$1))"; }
hoje() { date +%Y%m%d; }
agora() { date +%H%M; }

inicia() {
  local lote=$1 maquina=${2:-M01}
  posta 80 "CZ$(lote7 "$lote")|K1||$maquina|$(hoje)|$(agora)|"
}

consome() {
  local lote=$1 material=$2 kg=$3
  local quantidade
  quantidade=$(awk -v kg="$kg" 'BEGIN { printf "%.0f", kg * 100000000 }')
  posta 89 "PES$(lote7 "$lote")|||$material|||$quantidade|||||||9|"
}

termina() {
  local lote=$1 maquina=${2:-M01} minutos=${3:-95}
  local inicio
  inicio=$(date -d "-$minutos minutes" +'%Y%m%d|%H%M')
  posta 81 "CZ$(lote7 "$lote")|K1||$maquina|$inicio|$(hoje)|$(agora)||||||||||OPER0042||$minutos|"
}

fila() {
  posta 95 "AX$2|$1|||$3|"
}

mostra() {
  isql <<'SQL'
SET LIST OFF;
SELECT NRECNO, IDTIPO, LEIDO, CAST(SUBSTRING(DATOS FROM 1 FOR 90) AS VARCHAR(90)) AS DATOS
  FROM FTOHOST ORDER BY NRECNO;
SELECT FIRST 20 NRECNO, IDTIPO, CAST(FECHA AS VARCHAR(24)) AS FECHA,
  CAST(SUBSTRING(DATOS FROM 1 FOR 90) AS VARCHAR(90)) AS DATOS FROM FFROMHOST ORDER BY NRECNO DESC;
SQL
}

case "${1:-}" in
  "") consome 4711 AX-SAL 40; termina 4711 M01 95 ;;
  inicia) [ $# -ge 2 ] || falha "uso: cozinha-eas.sh inicia LOTE [MAQUINA]"; inicia "$2" "${3:-M01}" ;;
  consome) [ $# -ge 4 ] || falha "uso: cozinha-eas.sh consome LOTE MATERIAL KG"; consome "$2" "$3" "$4" ;;
  termina) [ $# -ge 2 ] || falha "uso: cozinha-eas.sh termina LOTE [MAQUINA] [MINUTOS]"; termina "$2" "${3:-M01}" "${4:-95}" ;;
  fila) [ $# -ge 4 ] || falha "uso: cozinha-eas.sh fila LOTE MAQUINA POSICAO"; fila "$2" "$3" "$4" ;;
  mostra) mostra ;;
  *) uso >&2; exit 2 ;;
esac
