#pragma once

#include "integracao/ConexaoDaSecao.h"
#include "integracao/Integracao.h"
#include "integracoes/eas/DadosEas.h"

// The EAS colour kitchen: records exchanged through the host tables
// FFROMHOST (written) and FTOHOST (read and marked) of the host database
// (KoDatabase2, from [Banco3]). One cycle applies the kitchen's events to
// the ERP (RecebeDoEas), then exports what is pending for it
// (EnviaParaEas). Selector index 2, model "2" of QX.ini.
class TEas : public TIntegracao {
public:
    explicit TEas(TContextoIntegracao& contexto);

    int Indice() const override { return 2; }
    QString Legenda() const override { return QStringLiteral("EAS"); }
    void Inicia() override { ConectaBanco3(); }
    void PrimeiraOperacao() override { RecebeDoEas(); }
    void SegundaOperacao() override { EnviaParaEas(); }
    QList<TKoDatabase*> Conexoes() override;
    void Encerra() override;
    void VerificaChaves(TVerificacao& verificacao) const override;
    QString ComandoDoSite(const QString& texto) const override;
    QList<TIndiceNecessario> IndicesNecessarios() override;
    QList<TTabelaPropria> TabelasProprias() override;

    // Configures and opens KoDatabase2 from [Banco3] and reads the schema of
    // the host tables and the stock switch; a failure to open is shown in a
    // message and start-up goes on.
    void ConectaBanco3();

    void RecebeDoEas();
    void EnviaParaEas();

    TDadosEas& Dados() { return FDados; }

private:
    TContextoIntegracao& FContexto;
    TDadosEas FDados;
    TConexaoDaSecao FBanco3{FDados.KoDatabase2};
};
