#include "PlanoFalhas.h"

#include <algorithm>

namespace {

// The monitors are up and have run a few cycles before the first fault.
constexpr int InicioPrimeiraMs = 6000;

// Longer than the Firebird call limit (60 s) and PostgreSQL's (30 s): the
// monitor must then name the frozen server.
constexpr int CongelamentoLongoMinMs = 36000;
constexpr int CongelamentoLongoMaxMs = 70000;

int Duracao(TSorteio& sorteio, TTipoFalha tipo, bool longa)
{
    switch (tipo) {
    case TTipoFalha::Kill9:
        return sorteio.Entre(300, 3000);  // the time the monitor stays dead
    case TTipoFalha::CongelaFirebird:
    case TTipoFalha::CongelaPostgres:
        if (longa && sorteio.Chance(15))
            return sorteio.Entre(CongelamentoLongoMinMs, CongelamentoLongoMaxMs);
        return sorteio.Entre(3000, 15000);
    case TTipoFalha::LogsCheio:
        return sorteio.Entre(3000, 9000);
    default:
        return sorteio.Entre(2000, 8000);
    }
}

int Alvo(TSorteio& sorteio, TTipoFalha tipo)
{
    switch (tipo) {
    case TTipoFalha::Kill9:
    case TTipoFalha::LogsCheio:
        return sorteio.Entre(0, 2);
    case TTipoFalha::Servico400:
        return sorteio.Entre(0, int(OperacoesSoap().size()) - 1);
    default:
        return 0;
    }
}

const char* const Monitores[] = {"Bruma", "Vapora", "EAS"};

} // namespace

QString NomeFalha(TTipoFalha tipo)
{
    switch (tipo) {
    case TTipoFalha::Kill9: return QStringLiteral("kill -9 do monitor");
    case TTipoFalha::CongelaFirebird: return QStringLiteral("SIGSTOP do Firebird");
    case TTipoFalha::CongelaPostgres: return QStringLiteral("SIGSTOP do PostgreSQL (ODBC e nativo)");
    case TTipoFalha::ServicoRecusa: return QStringLiteral("serviço recusa conexões");
    case TTipoFalha::ServicoMudo: return QStringLiteral("serviço não responde");
    case TTipoFalha::ServicoCortada: return QStringLiteral("200 cortado com Content-Length");
    case TTipoFalha::ServicoCortadaSemTamanho: return QStringLiteral("200 cortado sem Content-Length");
    case TTipoFalha::Servico400: return QStringLiteral("400 sem falha SOAP");
    case TTipoFalha::ServicoHtmlDescricao: return QStringLiteral("HTML na descrição");
    case TTipoFalha::HostRecusaMarcas: return QStringLiteral("host do EAS recusa marcas");
    case TTipoFalha::LogsCheio: return QStringLiteral("Logs/ cheio");
    }
    return QStringLiteral("?");
}

QString DescreveFalha(const TFalha& falha)
{
    QString alvo;
    if (falha.Tipo == TTipoFalha::Kill9 || falha.Tipo == TTipoFalha::LogsCheio)
        alvo = QStringLiteral(" (%1)").arg(QLatin1String(Monitores[falha.Alvo]));
    else if (falha.Tipo == TTipoFalha::Servico400)
        alvo = QStringLiteral(" (%1)").arg(OperacoesSoap().value(falha.Alvo));
    return QStringLiteral("%1,%2 s +%3 s: %4%5")
        .arg(falha.InicioMs / 1000)
        .arg(falha.InicioMs % 1000 / 100)
        .arg(falha.DuracaoMs / 1000.0, 0, 'f', 1)
        .arg(NomeFalha(falha.Tipo), alvo);
}

const QStringList& OperacoesSoap()
{
    static const QStringList operacoes = {
        QStringLiteral("ArtigoWS.save"), QStringLiteral("ArtigoWS.delete"),
        QStringLiteral("ClienteWS.save"), QStringLiteral("ClienteWS.delete"),
        QStringLiteral("CorWS.save"), QStringLiteral("CorWS.delete"),
        QStringLiteral("ClasseProdutoWS.save"), QStringLiteral("ClasseProdutoWS.delete"),
        QStringLiteral("SubClasseProdutoWS.save"), QStringLiteral("SubClasseProdutoWS.delete"),
        QStringLiteral("ProdutoWS.save"), QStringLiteral("ProdutoWS.delete"),
        QStringLiteral("TipoFioWS.save"), QStringLiteral("TipoFioWS.delete"),
        QStringLiteral("GerarOPWS.gerarOP"), QStringLiteral("GerarOPWS.excluir"),
        QStringLiteral("ProgramacaoWS.programar"), QStringLiteral("ProgramacaoWS.excluirProgramacao"),
        QStringLiteral("ProgramacaoWS.atualizarPodeIniciar")};
    return operacoes;
}

QList<TFalha> PlanoFalhas(std::uint64_t semente, int duracaoMs)
{
    TSorteio sorteio(semente);
    const bool longa = duracaoMs >= 10 * 60 * 1000;

    // Every kind once first, shuffled by the seed.
    QList<TTipoFalha> primeiras;
    for (int i = 0; i < TiposDeFalha; ++i)
        primeiras << TTipoFalha(i);
    for (int i = TiposDeFalha - 1; i > 0; --i)
        std::swap(primeiras[i], primeiras[sorteio.Entre(0, i)]);

    // A monitor killed comes more often than the rest: it is the fault
    // that splits a record's work in the most places.
    static const int Pesos[TiposDeFalha] = {4, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2};
    int somaPesos = 0;
    for (const int peso : Pesos)
        somaPesos += peso;

    QList<TFalha> plano;
    int momento = InicioPrimeiraMs;
    for (;;) {
        TTipoFalha tipo;
        if (plano.size() < primeiras.size()) {
            tipo = primeiras[plano.size()];
        } else {
            int escolha = sorteio.Entre(1, somaPesos);
            int i = 0;
            while (escolha > Pesos[i])
                escolha -= Pesos[i++];
            tipo = TTipoFalha(i);
        }
        TFalha falha;
        falha.Tipo = tipo;
        falha.InicioMs = momento;
        falha.DuracaoMs = Duracao(sorteio, tipo, longa);
        falha.Alvo = Alvo(sorteio, tipo);
        if (falha.FimMs() > duracaoMs)
            break;
        plano << falha;
        momento = falha.FimMs() + sorteio.Entre(500, 3000);
    }
    return plano;
}
