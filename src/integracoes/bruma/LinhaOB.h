#pragma once

#include <QString>
#include <QStringList>

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

// One row of the machine queue table OB, as the pass writes it.
struct TLinhaOB {
    QString NumeroOB;
    QString Pecas;
    QString Maquina;
    QString Cliente;
    QString Peso;
    QString Encadeamento;
    QString Cor;
    qint64 Rgb = 0;
    QString StatusTermino = QStringLiteral("0");
    int Posicao = 0;
    QString DataProg;
    QString DataInicio;
    QString DataFim;
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

// The 21 values in column order as SQL text: quoted literals, except RGB,
// POSICAO, TEMPOTOTAL and TEMPOPROG, which go bare.
QStringList ValoresOB(const TLinhaOB& linha);

// Adds the INSERT INTO OB statement for the row to `sql`, one value a line.
void AdicionaInsertOB(TListaLinhas& sql, const TLinhaOB& linha);
