#pragma once

#include "integracao/Integracao.h"

#include <functional>
#include <memory>
#include <optional>

// An integration for the monitor's tests: its operations are the functions
// given, run on the cycle's thread like a real integration's.
struct TDefinicaoTeste {
    int indice = 0;
    QString legenda;
    std::function<void(TContextoIntegracao&)> primeira;
    std::function<void(TContextoIntegracao&)> segunda;
    std::function<void(TContextoIntegracao&)> inicia;
    std::optional<TVisaoFila> fila;
    std::function<void(TContextoIntegracao&)> limpaFila;
    std::function<bool(TRelator&)> pergunta;  // "Limpar fila"'s question; none: go on
    int limpas = 0;                           // rows "Limpar fila" says it cleared
};

inline TDefinicaoTeste Tipo(int indice, const QString& legenda, std::optional<TVisaoFila> fila = std::nullopt)
{
    TDefinicaoTeste definicao;
    definicao.indice = indice;
    definicao.legenda = legenda;
    definicao.fila = std::move(fila);
    return definicao;
}

class TIntegracaoTeste : public TIntegracao {
public:
    TIntegracaoTeste(TContextoIntegracao& contexto, TDefinicaoTeste definicao)
        : FContexto(contexto), FDefinicao(std::move(definicao))
    {
    }

    int Indice() const override { return FDefinicao.indice; }
    QString Legenda() const override { return FDefinicao.legenda; }
    void Inicia() override { Roda(FDefinicao.inicia); }
    void PrimeiraOperacao() override { Roda(FDefinicao.primeira); }
    void SegundaOperacao() override { Roda(FDefinicao.segunda); }
    const TVisaoFila* VisaoFila() const override { return FDefinicao.fila ? &*FDefinicao.fila : nullptr; }
    bool ConfirmaLimpaFila(TRelator& relator) const override
    {
        return !FDefinicao.pergunta || FDefinicao.pergunta(relator);
    }
    int LimpaFila() override
    {
        Roda(FDefinicao.limpaFila);
        return FDefinicao.limpas;
    }

private:
    void Roda(const std::function<void(TContextoIntegracao&)>& f)
    {
        if (f)
            f(FContexto);
    }

    TContextoIntegracao& FContexto;
    TDefinicaoTeste FDefinicao;
};

inline TFabricaIntegracao FabricaTeste(TDefinicaoTeste definicao)
{
    return [definicao](TContextoIntegracao& contexto) {
        return std::make_unique<TIntegracaoTeste>(contexto, definicao);
    };
}
