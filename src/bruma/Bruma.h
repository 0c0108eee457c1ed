#pragma once

#include <QString>

struct TComponentesDados;
class TRelator;
class TKoDatabase;
struct TEncadeamento;
struct TLinhaOB;

// The Bruma machine queue: pending dye lots of the ERP (KoDatabase1) are
// placed in the queue table OB of the machine-side database (KoDatabase2)
// with their programme chain, queue position and programmed time, and then
// marked "E" in the ERP. One cycle runs ConsultaLotesBruma, then
// EnviaLotesBruma.
class TBruma {
public:
    TBruma(TComponentesDados& dados, TRelator& relator);

    // Leaves the pending lots open in KoQuery1.
    void ConsultaLotesBruma();
    // Sends each lot open in KoQuery1. The first lot that fails is rolled
    // back on both connections, logged, and its error passed on.
    void EnviaLotesBruma();
    // "hh:mm:ss" in decimal hours, 4 places; bad parts count 0 with a message.
    double HoraParaDecimal(const QString& tempo);

private:
    void EnviaLote();
    void EnviaLoteNaFila(const QString& numeroLote, const QString& nrOB);
    bool EmAndamentoNaMaquina(const QString& nrOB);
    bool LeEncadeamento(const QString& cor, TEncadeamento& encadeamento);
    int LePosicao(const QString& maquina);
    void SubstituiNaFila(const TLinhaOB& linha);
    void MarcaEnviadoNoErp(const QString& numeroLote);
    void DesfazTransacoes();

    TComponentesDados& FDados;
    TRelator& FRelator;
};
