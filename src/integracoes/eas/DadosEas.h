#pragma once

#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "integracao/ConexaoDaSecao.h"
#include "integracao/Integracao.h"
#include "integracao/Relator.h"

#include <QString>

#include <exception>
#include <optional>

// What every EAS step works with: the ERP connection (KoDatabase1, the
// monitor's), the host database of the exchange tables (KoDatabase2, from
// [Banco3]), the two settings read with it, and the reporting interface.
class TDadosEas {
public:
    explicit TDadosEas(TContextoIntegracao& contexto);

    TKoDatabase& KoDatabase1;
    TKoDatabase KoDatabase2;
    QString sSchema;             // schema of FFROMHOST and FTOHOST; blank for none
    bool bGravaEstoque = false;  // stock entries out, consumptions in
    // Whether the ERP has the monitor's table of applied events
    // (AplicadosErp.h): unknown until looked up; and whether its absence
    // has been said.
    std::optional<bool> bTemAplicados;
    bool bAusenciaAplicadosDita = false;

    void AdicionaLinha(const QString& linha);
    void MostraMensagem(const QString& texto);
    // A record failed and waits for the next cycle.
    void ContaFalha();
    // One record handled, for the monitor's journal. Without an outcome it
    // failed when a failure was counted since the last record (or the last
    // selection) and was sent otherwise. Its content: a record received is
    // the current row of SelecaoRecebida; one sent takes ConteudoEnviado,
    // which starts again empty.
    void Registra(TDirecaoRegistro direcao, const QString& tipo, const QString& chave,
                  std::optional<TDesfechoRegistro> desfecho = {});
    // A new selection: failures before it belong to no record.
    void IniciaRegistros();

    // The FFROMHOST rows written since the last record was reported, as
    // their values were bound (TGravacaoHost adds each one).
    QString ConteudoEnviado;
    // The FTOHOST selection of the inbound pass, on the row being handled.
    TKoQuery* SelecaoRecebida = nullptr;

private:
    QString ConteudoRecebido() const;

    TContextoIntegracao& FContexto;
    int FFalhasAteUltimoRegistro = 0;
};

