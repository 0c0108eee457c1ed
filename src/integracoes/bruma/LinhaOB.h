#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <array>

class TKoQuery;
class TListaLinhas;
class TRelator;

// The programme chain of a colour: up to five machine programme names,
// an empty name meaning no programme in that place.
struct TEncadeamento {
    std::array<QString, 5> Receitas;

    // The names that are not empty (blanks count as a name).
    int TotalReceitas() const;
};

// One row of the machine queue table OB, as the pass writes it. Every value
// reaches the server as a bound parameter of its own type: texts as texts,
// numbers as numbers, the moments as date-times, so neither the dialect
// translation nor the machine's regional settings can change them.
struct TLinhaOB {
    QString NumeroOB;
    QVariant Pecas;  // the lot's total pieces, a whole number
    QString Maquina;
    QString Cliente;
    QVariant Peso;   // the lot's total weight, a number
    QString Encadeamento;
    QString Cor;
    qint64 Rgb = 0;
    QString StatusTermino = QStringLiteral("0");
    int Posicao = 0;
    QDateTime DataProg;
    QDateTime DataInicio;
    QDateTime DataFim;
    int TotalReceitas = 0;
    std::array<QString, 5> Receitas;
    int TempoTotal = 0;
    qint64 TempoProg = 0;
};

// The OB row of the lot on the current row of `lote` (the query of
// ConsultaLotesBruma). A COR_SIS that is not a whole number raises
// EConvertError; a malformed TEMPO is reported through `relator`.
TLinhaOB MontaLinhaOB(TKoQuery& lote, const TEncadeamento& encadeamento, int posicao,
                      TRelator& relator);

// Adds the INSERT INTO OB statement to `sql`, one parameter a line.
void AdicionaInsertOB(TListaLinhas& sql);
// Sets the statement's parameters to the row's values.
void DefineParametrosOB(TKoQuery& comando, const TLinhaOB& linha);
