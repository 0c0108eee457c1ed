// quelix --simula: one cycle of the active model run as --ciclo runs it,
// each write shown as it goes to its database and every connection's work
// rolled back at the end; no commit runs, and no service is called.
#include "monitor/NucleoCiclo.h"

#include "base/Erros.h"
#include "dblayer/KoQuery.h"
#include "dblayer/ObservadorComandos.h"
#include "integracao/Relator.h"
#include "monitor/comissionamento/EscritaSimulada.h"

void TNucleoCiclo::Simula(int indice)
{
    TIntegracao* integracao = Integracao(indice);
    const QList<TKoDatabase*> conexoes = ConexoesDe(integracao);
    for (TKoDatabase* banco : conexoes)
        banco->IniciaSimulacao();
    if (integracao)
        integracao->DefineSimulacao(true);
    // The cycle's connections only: the queue tab reads on a thread and a
    // connection of its own.
    QStringList nomes;
    for (const TKoDatabase* banco : conexoes)
        nomes << banco->objectName();
    DefineObservadorComandos([this, nomes](const TComandoEnviado& comando) {
        if (nomes.contains(comando.Conexao) && !TKoQuery::EhConsulta(comando.TextoEnviado.trimmed()))
            FRelator.AdicionaLinha(EscritaSimulada(comando));
    });
    std::exception_ptr erro;
    try {
        Ciclo(indice);
    } catch (...) {
        erro = std::current_exception();
    }
    DefineObservadorComandos(nullptr);
    if (integracao)
        integracao->DefineSimulacao(false);
    bool desfeito = true;
    for (TKoDatabase* banco : conexoes) {
        try {
            banco->DesfazSimulacao();
        } catch (const std::exception& e) {
            // Nothing was committed: the server undoes it when the link ends.
            desfeito = false;
            FRelator.AdicionaLinha(QStringLiteral("Simulação: o rollback em %1 falhou (%2); nada foi confirmado, "
                                                  "e o servidor desfaz o que ficou ao fim da conexão.")
                                       .arg(banco->objectName(), MensagemDoErro(e)));
        }
    }
    if (desfeito)
        FRelator.AdicionaLinha(QStringLiteral("Simulação: tudo o que o ciclo gravou foi desfeito."));
    if (erro)
        std::rethrow_exception(erro);
}
