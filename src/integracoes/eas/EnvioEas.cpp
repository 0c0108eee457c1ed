#include "integracoes/eas/EnvioEas.h"

#include "base/Erros.h"
#include "base/Apara.h"
#include "integracoes/eas/DadosEas.h"

TEnvioEas::TEnvioEas(TDadosEas& dados) : FDados(dados), FHost(dados) {}

void TEnvioEas::EnviaParaEas()
{
    if (!FDados.KoDatabase1.Connected())
        return;
    // Without the host connection every record would fail alike: the pass
    // says why once and counts once, as the inbound pass does.
    if (!FDados.KoDatabase2.Connected()) {
        FDados.AdicionaLinha(QStringLiteral("Envio para o EAS não executado: KoDatabase2 (banco do EAS) ")
                             + (FDados.KoDatabase2.DatabaseName().trimmed().isEmpty()
                                    ? QStringLiteral("não foi conectado no início (o monitor conecta o EAS com "
                                                     "Modelo=2 em [ModeloAtivo] e [Banco3] no QX.ini).")
                                    : QStringLiteral("não está conectado.")));
        FDados.ContaFalha();
        return;
    }
    EnviaMateriais();
    if (FDados.bGravaEstoque)
        EnviaEstoque();
    EnviaProdutos();
    EnviaClientes();
    EnviaCores();
    EnviaFals();
    EnviaMensagensFase();
}

void TEnvioEas::EnviaMateriais() { EnviaCadastro(PassoMateriais()); }
void TEnvioEas::EnviaEstoque() { EnviaCadastro(PassoEstoque()); }
void TEnvioEas::EnviaProdutos() { EnviaCadastro(PassoProdutos()); }
void TEnvioEas::EnviaClientes() { EnviaCadastro(PassoClientes()); }
void TEnvioEas::EnviaCores() { EnviaCadastro(PassoCores()); }

// Every selected row is sent and, right after its send committed, marked by
// its key: a row that failed, or a stop in the middle, sends again at most
// the row in flight, and a row the step did not select (or that became
// pending after its query) is never marked without having been sent. A
// marking that fails ends the step: what it did not reach stays pending.
void TEnvioEas::EnviaCadastro(const TPassoCadastro& passo)
{
    TKoQuery consulta;
    consulta.SetDatabase(&FDados.KoDatabase1);
    for (const QString& linha : passo.Linhas)
        consulta.SQL.Add(linha);
    try {
        consulta.Open();
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(passo.FalhaConsulta + MensagemDoErro(erro));
        FDados.ContaFalha();
        return;
    }
    if (consulta.Eof())
        return;

    TMarcacaoErp marcacao{passo.Tabela, passo.Tipo, passo.Descricao, QString(), passo.Chaves,
                          passo.ColunasChave, {}};
    int marcados = 0;
    for (consulta.First(); !consulta.Eof(); consulta.Next()) {
        if (!FHost.GravaNoHost(passo.Tipo, QStringLiteral("X"), MontaRegistroHost(consulta))) {
            FDados.ContaFalha();
            continue;
        }
        QStringList chave;
        for (const QString& coluna : passo.ColunasChave)
            chave << consulta.FieldByName(coluna).AsString();
        marcacao.Valores = {chave};
        if (!Marca(marcacao, false))
            return;
        ++marcados;
    }
    if (marcados > 0)
        RelataMarcacao(marcacao);
}

bool TEnvioEas::MarcaEnviadoErp(const QString& tabela, const QString& numeroFal, const QString& tipo,
                                const QString& descricao)
{
    TMarcacaoErp marcacao{tabela, tipo, descricao, numeroFal, {}, {}, {QStringList()}};
    const QString numero = Apara(numeroFal);
    if (!numero.isEmpty()) {
        marcacao.Condicoes << QStringLiteral("AND (NUMERO = :NUMERO)");
        marcacao.Parametros << QStringLiteral("NUMERO");
        marcacao.Valores = {QStringList{numero}};
    }
    return Marca(marcacao);
}

bool TEnvioEas::Marca(const TMarcacaoErp& marcacao, bool relataSucesso)
{
    const QString flag = QStringLiteral("STATUS_EAS") + marcacao.Tipo;
    TKoQuery comando;
    comando.SetDatabase(&FDados.KoDatabase1);
    comando.SQL.Add(QStringLiteral("UPDATE ") + marcacao.Tabela + QStringLiteral(" SET"));
    comando.SQL.Add(flag + QStringLiteral(" = 'N'"));
    comando.SQL.Add(QStringLiteral("WHERE ((") + flag + QStringLiteral(" <> 'N') OR (") + flag
                    + QStringLiteral(" IS NULL))"));
    for (const QString& condicao : marcacao.Condicoes)
        comando.SQL.Add(condicao);
    try {
        for (const QStringList& valores : marcacao.Valores) {
            for (qsizetype i = 0; i < marcacao.Parametros.size(); ++i) {
                const QString& parametro = marcacao.Parametros[i];
                comando.ParamByName(parametro).SetAsString(valores.value(i));
                if (marcacao.Condicoes.join(u' ').contains(u':' + parametro + QStringLiteral("_VAZIO")))
                    comando.ParamByName(parametro + QStringLiteral("_VAZIO")).SetAsInteger(valores.value(i).isEmpty() ? 1 : 0);
            }
            comando.TryExecSQL();
        }
        FDados.KoDatabase1.CommitRetaining();
    } catch (const std::exception& erro) {
        // The rows marked before the failure go back to pending with the rest.
        DesfazPendentes({&FDados.KoDatabase1});
        FDados.ContaFalha();
        const QString mensagem = MensagemDoErro(erro);
        FDados.AdicionaLinha(QStringLiteral("Falha na alteração do ERP (") + marcacao.Tipo + QStringLiteral(") - ")
                             + marcacao.Descricao + QStringLiteral(". Erro: ") + mensagem);
        const QString fal = Apara(marcacao.NumeroFal).isEmpty()
            ? QString()
            : QStringLiteral(" FAL: ") + marcacao.NumeroFal;
        FDados.MostraMensagem(QStringLiteral("Falha na alteração do ERP (") + marcacao.Tipo + u')' + fal
                              + QStringLiteral(" Erro: ") + mensagem);
        return false;
    }
    if (relataSucesso)
        RelataMarcacao(marcacao);
    return true;
}

void TEnvioEas::RelataMarcacao(const TMarcacaoErp& marcacao)
{
    FDados.AdicionaLinha(QStringLiteral("Sucesso na alteração do ERP (") + marcacao.Tipo + QStringLiteral(") - ")
                         + marcacao.Descricao);
}

bool NomeDeColunaValido(const QString& texto)
{
    if (texto.isEmpty())
        return false;
    for (const QChar c : texto) {
        const bool valido = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')
                         || c == u'_';
        if (!valido)
            return false;
    }
    return true;
}
