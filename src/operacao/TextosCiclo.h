#pragma once

#include "operacao/ObservadorCiclo.h"

#include <QDateTime>
#include <QString>

// The texts that say how cycles and connections stand, the same in the
// window's status bar, `quelix --estado`, the metrics and systemd's status.

// How a cycle ended, as the cycle counters and the journal name it.
enum class TDesfechoCiclo { Concluido, ComFalhas, Erro };
TDesfechoCiclo Desfecho(const TFimCiclo& fim);
// "concluido", "com_falhas", "erro".
QString Texto(TDesfechoCiclo desfecho);

// A moment as people read it beside `agora`: "14:03:12" on the same day,
// "2026-03-01 14:03:12" on another.
QString Hora(const QDateTime& momento, const QDateTime& agora);

// The last cycle in one line: "14:03:12: 12 enviados, 1 falha", or its
// error; "14:03:12: concluído, sem falhas" when no record was reported one
// by one.
QString Resumo(const TFimCiclo& fim, const QDateTime& agora);

// "KoDatabase1: ativa desde 14:00:01".
QString TextoConexao(const TEstadoConexao& conexao, const QDateTime& agora);

// A call waiting past its limit as the health rule names it, `segundos`
// after it began: "SELECT em KoDatabase2 há 40 s (limite de 30 s)".
QString TextoSemResposta(const TChamadaSemResposta& chamada, qint64 segundos);

// The direction of a journal's record as people read it: "saída" (to the
// machine side), "entrada" (into the ERP), "ação" (a person's, as a
// resend); another text as it is.
QString TextoDirecao(const QString& direcao);
