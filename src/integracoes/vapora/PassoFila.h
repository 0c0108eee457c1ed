#pragma once

#include "base/Caracteres.h"
#include "integracoes/vapora/contratos/ServicosVapora.h"

#include <QString>

class TConfiguracao;
class TKoQuery;
class TRelator;
struct TComponentesVapora;

// One row of the queue QX_INTEGRA as the pass reads it (NULL reads as
// empty). Campo1Ate(n) and the others are the first n characters of a
// column, never half of one.
struct TTarefaFila {
    QString Tipo;
    QString Operacao;  // "S" save, "D" delete, anything else: nothing is sent
    QString Campo1;
    QString Campo2;
    QString Campo3;

    QString Campo1Ate(qsizetype n) const { return PrimeirosCaracteres(Campo1, n); }
    QString Campo2Ate(qsizetype n) const { return PrimeirosCaracteres(Campo2, n); }
    QString Campo3Ate(qsizetype n) const { return PrimeirosCaracteres(Campo3, n); }
};

// The row on which the queue query stands.
TTarefaFila LeTarefa(TKoQuery& fila);

// The switches of [Vapora] that a pass reads once: each is on only for the
// capital letter "S".
struct TChavesPasso {
    bool Passo = false;        // programme products filtered and numbered by their step
    bool PorVariante = false;  // the machine's capacity ratio for the lot's variant
    bool PodeIniciar = false;  // the start permission sent with a programme
    bool VerificaCertificado = false;  // HTTPS certificates verified
};

TChavesPasso LeChavesPasso(const TConfiguracao& configuracao);

// What the branch of a row works with.
struct TPassoFila {
    TComponentesVapora& Dados;
    TRelator& Relator;
    const TConfiguracao& Configuracao;
    TChavesPasso Chaves;

    // The configured description location of a service, read from [Vapora]
    // for every row, so a change takes effect at the next one.
    QString Local(Vapora::TServicoVapora servico) const;
    // The service's client component.
    Vapora::TClienteVapora& Cliente(Vapora::TServicoVapora servico) const;

    // The service's interface, its client component bound to the configured
    // location (Obtem...WS of the service; an empty location is the
    // service's default). The client reads the description again only when
    // the location changed.
    template <class FObtem>
    auto Liga(Vapora::TServicoVapora servico, FObtem obtem) const
    {
        return obtem(true, Local(servico), &Cliente(servico));
    }
};

// The section of QX.ini that holds the services and the switches.
inline const QString SecaoVapora = QStringLiteral("Vapora");
