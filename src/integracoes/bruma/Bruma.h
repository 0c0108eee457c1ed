#pragma once

#include "integracao/ConexaoDaSecao.h"
#include "integracao/Integracao.h"
#include "integracao/Relator.h"
#include "integracoes/bruma/ComponentesBruma.h"

#include <QString>

class TRelator;
struct TEncadeamento;
struct TLinhaOB;

// The Bruma machine queue: pending dye lots of the ERP (KoDatabase1) are
// placed in the queue table OB of the machine-side database (KoDatabase2)
// with their programme chain, queue position and programmed time, and then
// marked "E" in the ERP. One cycle runs ConsultaLotesBruma, then
// EnviaLotesBruma. Selector index 0, model "0" of QX.ini.
class TBruma : public TIntegracao {
public:
    explicit TBruma(TContextoIntegracao& contexto);

    int Indice() const override { return 0; }
    QString Legenda() const override { return QStringLiteral("Bruma"); }
    // Configures and opens KoDatabase2 from [Banco2].
    void Inicia() override { ConectaBanco2(); }
    void PrimeiraOperacao() override { ConsultaLotesBruma(); }
    void SegundaOperacao() override { EnviaLotesBruma(); }
    QList<TKoDatabase*> Conexoes() override;
    void Encerra() override;
    void VerificaChaves(TVerificacao& verificacao) const override;
    QList<TIndiceNecessario> IndicesNecessarios() override;

    void ConectaBanco2();

    // Leaves the pending lots open in KoQuery1.
    void ConsultaLotesBruma();
    // Sends each lot open in KoQuery1. A lot that fails is rolled back on
    // both connections and logged, and the pass goes on with the next; a
    // lost connection ends the pass.
    void EnviaLotesBruma();

    TComponentesBruma& Dados() { return FDados; }

private:
    void EnviaLote();
    void EnviaLoteNaFila(const QString& numeroLote, const QString& nrOB);
    bool EmAndamentoNaMaquina(const QString& nrOB);
    bool LeEncadeamento(const QString& cor, TEncadeamento& encadeamento);
    int LePosicao(const QString& maquina);
    void SubstituiNaFila(const TLinhaOB& linha);
    void MarcaEnviadoNoErp(const QString& numeroLote);
    // The lot, as the journal keeps it, with the OB row sent for it.
    void RegistraLote(const QString& numeroLote, TDesfechoRegistro desfecho, const QString& erro = {});

    TContextoIntegracao& FContexto;
    TRelator& FRelator;
    TComponentesBruma FDados;
    TConexaoDaSecao FBanco2{FDados.KoDatabase2};
    // The values of the lot's OB insert as they were bound, once it ran
    // (whether the server took it or not); empty before.
    QString FConteudoLote;
};
