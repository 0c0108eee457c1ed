#include "integracoes/vapora/TiposTarefa.h"

#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/TarefasCadastro.h"
#include "integracoes/vapora/TarefasLote.h"

#include <array>

namespace {

TTipoTarefa Tipo(const char* codigo, TRamoTarefa ramo, const char* inicioFalha, qsizetype corte1 = 10,
                 qsizetype corte2 = 30, bool mensagemComErro = true)
{
    return {QString::fromLatin1(codigo), ramo, QString::fromUtf8(inicioFalha), corte1, corte2, mensagemComErro};
}

const std::array<TTipoTarefa, 10>& Tipos()
{
    static const std::array<TTipoTarefa, 10> tipos = {
        Tipo("AR", TarefaArtigo, "Erro no envio do Artigo - "),
        Tipo("CL", TarefaCliente, "Erro no envio do Cliente - "),
        Tipo("CO", TarefaCor, "Erro no envio da Cor - "),
        Tipo("CP", TarefaClasseProduto, "Erro no envio da Classe Produto - "),
        Tipo("SP", TarefaSubClasseProduto, "Erro no envio da SubClasse Produto - "),
        Tipo("PR", TarefaProduto, "Erro no envio do Produto - "),
        Tipo("OP", TarefaOP, "Erro na geração da OP - "),
        Tipo("PG", TarefaProgramacao, "Erro na geração da Programação - "),
        Tipo("TF", TarefaTipoFio, "Erro no envio do TipoFio - ", 20, 100),
        Tipo("PI", TarefaPodeIniciar, "Erro na atualização do pode iniciar - ", 0, 0, false),
    };
    return tipos;
}

QString Corte(const QString& campo, qsizetype corte)
{
    return corte > 0 ? PrimeirosCaracteres(campo, corte) : campo;
}

} // namespace

QString TTipoTarefa::LinhaDeFalha(const TTarefaFila& tarefa) const
{
    return InicioFalha + Corte(tarefa.Campo1, CorteCampo1) + QStringLiteral(" - ")
         + Corte(tarefa.Campo2, CorteCampo2);
}

QString TTipoTarefa::MensagemDeFalha(const TTarefaFila& tarefa, const QString& erro) const
{
    const QString linha = LinhaDeFalha(tarefa);
    return MensagemComErro ? linha + u' ' + erro : linha;
}

const TTipoTarefa* TipoTarefa(const QString& codigo)
{
    for (const TTipoTarefa& tipo : Tipos())
        if (tipo.Codigo == codigo)
            return &tipo;
    return nullptr;
}
