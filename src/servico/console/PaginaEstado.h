#pragma once

#include "operacao/LeituraDiario.h"
#include "operacao/ObservadorCiclo.h"
#include "operacao/RegraSaude.h"

#include <QDateTime>
#include <QMap>
#include <QString>

#include <optional>

class TMonitora;

// What the console's "Estado" page shows, gathered at one moment.
struct TDadosEstado {
    QDateTime Agora;
    // The health rule's answer, as /saude gives it.
    TSaude Saude;
    TParametrosSaude Parametros;
    // The running monitor's last cycle and the one in progress.
    std::optional<TFimCiclo> UltimoCiclo;
    std::optional<TCicloEmAndamento> CicloAtual;
    // What the monitor is busy with ("Ciclo em andamento", "Verificando a
    // configuração"...) and since when; empty when nothing runs.
    QString Trabalho;
    QDateTime TrabalhoDesde;
    // When the next cycle is due; none while polling is paused.
    std::optional<QDateTime> ProximoCiclo;
    // Each connection's component ("KoDatabase1") to its name for a person ("ERP").
    QMap<QString, QString> NomesConexoes;
    // From the journal: the last cycles, newest first, and the records of
    // each of the last 7 × 24 hours, oldest first.
    QList<TCicloDiario> Ciclos;
    QList<TContagemHora> Horas;
    // Why the journal could not be read, for a person (no path, no SQL);
    // empty when it was.
    QString ErroDiario;
};

// The last cycles the page lists, and the hours its pictures cover.
inline constexpr int CiclosNaPaginaEstado = 10;
inline constexpr int HorasNaPaginaEstado = 7 * 24;

// The page's body (an HTML fragment; the frame around it is the console's):
// the health rule's answer, the last cycle and the next, each connection by
// name, the last cycles with their outcome, and the records sent, failed
// and pending per hour over the last 24 hours and the last 7 days. Every
// value is escaped.
QString PaginaEstado(const TDadosEstado& dados);

// The page's data from a running monitor and its journal (read through a
// connection of its own, on the calling thread: the monitor's). The hours
// end with the current one.
TDadosEstado DadosEstado(const TMonitora& monitora, const QDateTime& agora = QDateTime::currentDateTime());

// The journal's part of the page's data, from the journal file.
void LeDiarioEstado(const QString& arquivo, TDadosEstado& dados);
