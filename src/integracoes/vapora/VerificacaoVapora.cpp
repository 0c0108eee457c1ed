// What commissioning checks of the Vapora model: its switches, each
// service's description, and the index its status update needs.
#include "integracoes/vapora/Vapora.h"

#include "base/Erros.h"
#include "integracao/Configuracao.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/contratos/ServicosVapora.h"

void TVapora::VerificaChaves(TVerificacao& verificacao) const
{
    for (const char* chave : {"Passo", "PorVariante", "podeIniciar", "EnviarGrafico", "VerificaCertificado"})
        verificacao.ChaveSimNao(FContexto.Configuracao, SecaoVapora, QString::fromLatin1(chave));
    const QString tentativas = FContexto.Configuracao.LerIni(SecaoVapora, QStringLiteral("TentativasRecusa"));
    if (!tentativas.isEmpty()) {
        bool numero = false;
        const int valor = tentativas.toInt(&numero);
        verificacao.Confere(QStringLiteral("[Vapora] TentativasRecusa"),
                            numero && valor >= 1 ? QString()
                                                 : QStringLiteral("\"%1\" não é um número inteiro a partir de 1 "
                                                                  "(vale 3)").arg(tentativas));
    }
}

// Each description is read as a pass reads it (a client of its own, so the
// location is fetched now), and its service, port and the operations the
// dispatch calls must be there; an operation of the interface it never calls
// may be missing, with a warning.
void TVapora::VerificaServicos(TVerificacao& verificacao)
{
    const bool verificaCertificado =
        FContexto.Configuracao.LerIni(SecaoVapora, QStringLiteral("VerificaCertificado")) == QLatin1String("S");
    for (const Vapora::TServicoVapora servico : Vapora::ServicosVapora()) {
        const Vapora::TContratoVapora& contrato = Vapora::ContratoVapora(servico);
        const QString configurado = FContexto.Configuracao.LerIni(SecaoVapora, contrato.ChaveIni);
        const QString local = configurado.isEmpty() ? contrato.LocalPadrao : configurado;
        const QString oQue = QStringLiteral("serviço %1 (%2)").arg(contrato.NomeServico, local);
        Vapora::TClienteVapora cliente;
        cliente.DefineVerificaCertificado(verificaCertificado);
        cliente.LigaPorDescricao(local, contrato.NomeServico, contrato.NomePorta);
        try {
            const QStringList ausentes = cliente.OperacoesAusentes(contrato.Operacoes);
            verificacao.Confere(oQue, ausentes.isEmpty() ? QString()
                                                        : QStringLiteral("operações ausentes: ") + ausentes.join(QStringLiteral(", ")));
            const QStringList naoChamadas = cliente.OperacoesAusentes(contrato.OperacoesNaoChamadas);
            if (!naoChamadas.isEmpty())
                verificacao.Aviso(QStringLiteral("%1: operações ausentes que o monitor não chama: %2")
                                      .arg(oQue, naoChamadas.join(QStringLiteral(", "))));
        } catch (const std::exception& e) {
            verificacao.Falha(oQue, MensagemDoErro(e));
        }
    }
}

QList<TIndiceNecessario> TVapora::IndicesNecessarios()
{
    return {{&FContexto.KoDatabase1, QStringLiteral("QX_INTEGRA"), {QStringLiteral("ORDEM")},
             QStringLiteral("a atualização do estado da fila seleciona por ORDEM")}};
}
