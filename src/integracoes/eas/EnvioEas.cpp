#include "integracoes/eas/EnvioEas.h"

#include "base/Erros.h"
#include "base/Apara.h"
#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/campos/CamposHost.h"

#include <QHash>

#include <utility>

TEnvioEas::TEnvioEas(TDadosEas& dados) : FDados(dados), FHost(dados) {}

void TEnvioEas::EnviaParaEas()
{
    if (!FDados.KoDatabase1.Connected())
        return;
    FDados.ConteudoEnviado.clear();
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
// its key, so a row that failed, or a stop in the middle, sends again at
// most the rows in flight. The marking names rows by key, and a key need not
// name one row alone: two lines of one invoice for one material and supplier
// are two stock movements with one key. The rows that share a key are
// therefore sent in one commit and marked together, and when the host
// refuses one of them none is marked. Where the key is the table's own (a
// code), a row is never marked without having been sent; for stock
// movements, a movement the query did not select (another deposit) or that
// arrived after it is marked with the rows of its key. A marking that fails
// ends the step: what it did not reach stays pending.
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

    // The rows grouped by key, in the order their first row came.
    QList<int> colunasChave;
    for (const QString& coluna : passo.ColunasChave) {
        int indice = 0;
        while (consulta.Fields(indice).FieldName().compare(coluna, Qt::CaseInsensitive) != 0)
            if (++indice == consulta.FieldCount())
                throw EDatabaseError(QStringLiteral("Campo inexistente na consulta: ") + coluna);
        colunasChave << indice;
    }
    QList<QStringList> chaves;
    QList<QStringList> grupos;
    QHash<QStringList, qsizetype> grupoDaChave;
    for (consulta.First(); !consulta.Eof(); consulta.Next()) {
        QStringList chave;
        for (const int indice : colunasChave)
            chave << consulta.Fields(indice).AsString();
        const auto achado = grupoDaChave.constFind(chave);
        if (achado != grupoDaChave.cend()) {
            grupos[*achado] << MontaRegistroHost(consulta);
            continue;
        }
        grupoDaChave.insert(chave, grupos.size());
        chaves << chave;
        grupos << QStringList{MontaRegistroHost(consulta)};
    }

    TMarcacaoErp marcacao{passo.Tabela, passo.Tipo, passo.Descricao, QString(), passo.Chaves,
                          passo.ColunasChave, {}};
    // One marking statement for the step, prepared once.
    const QString flag = QStringLiteral("STATUS_EAS") + passo.Tipo;
    TKoQuery marca;
    marca.SetDatabase(&FDados.KoDatabase1);
    marca.SQL.Add(QStringLiteral("UPDATE ") + passo.Tabela + QStringLiteral(" SET"));
    marca.SQL.Add(flag + QStringLiteral(" = 'N'"));
    marca.SQL.Add(QStringLiteral("WHERE ((") + flag + QStringLiteral(" <> 'N') OR (") + flag + QStringLiteral(" IS NULL))"));
    for (const QString& condicao : passo.Chaves)
        marca.SQL.Add(condicao);
    int marcados = 0;
    for (qsizetype i = 0; i < chaves.size(); ++i) {
        if (!EnviaDaChave(passo.Tipo, grupos[i]))
            continue;
        marcacao.Valores = {chaves[i]};
        if (!Marca(marca, marcacao, false))
            break;
        ++marcados;
    }
    if (marcados > 0)
        RelataMarcacao(marcacao);
}

// One row alone is committed with its send, as every record is; rows that
// share a key are committed together, or undone together.
bool TEnvioEas::EnviaDaChave(const QString& tipo, const QStringList& registros)
{
    if (registros.size() == 1) {
        if (FHost.GravaNoHost(tipo, QStringLiteral("X"), registros.front()))
            return true;
        FDados.ContaFalha();
        return false;
    }
    // Each row's journal record keeps the row it sent.
    QStringList conteudos;
    bool enviados = true;
    for (const QString& registro : registros) {
        const bool gravado = FHost.GravaNoHost(tipo, QStringLiteral("X"), registro, false);
        conteudos << std::exchange(FDados.ConteudoEnviado, QString());
        if (!gravado) {
            enviados = false;
            break;
        }
    }
    if (enviados && ConfirmaNoHost()) {
        for (qsizetype i = 0; i < registros.size(); ++i) {
            FDados.ConteudoEnviado = conteudos.value(i);
            FDados.Registra(TDirecaoRegistro::Saida, tipo, CampoHost(registros[i], 1), TDesfechoRegistro::Enviado);
        }
        return true;
    }
    DesfazPendentes({&FDados.KoDatabase2});
    FDados.AdicionaLinha(QStringLiteral("Envio de %1 registros (%2) de mesma chave desfeito no EAS; ficam pendentes "
                                        "para o próximo ciclo.")
                             .arg(registros.size())
                             .arg(tipo));
    FDados.ContaFalha();
    for (qsizetype i = 0; i < registros.size(); ++i) {
        FDados.ConteudoEnviado = conteudos.value(i);
        FDados.Registra(TDirecaoRegistro::Saida, tipo, CampoHost(registros[i], 1), TDesfechoRegistro::Falhou);
    }
    return false;
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
    return Marca(comando, marcacao, relataSucesso);
}

bool TEnvioEas::Marca(TKoQuery& comando, const TMarcacaoErp& marcacao, bool relataSucesso)
{
    try {
        // The parameters that say whether their value is empty (CondicaoVazioIgual).
        QStringList vazios;
        const QString condicoes = marcacao.Condicoes.join(u' ');
        for (const QString& parametro : marcacao.Parametros)
            vazios << (condicoes.contains(u':' + parametro + QStringLiteral("_VAZIO")) ? parametro + QStringLiteral("_VAZIO")
                                                                                        : QString());
        for (const QStringList& valores : marcacao.Valores) {
            for (qsizetype i = 0; i < marcacao.Parametros.size(); ++i) {
                comando.ParamByName(marcacao.Parametros[i]).SetAsString(valores.value(i));
                if (!vazios[i].isEmpty())
                    comando.ParamByName(vazios[i]).SetAsInteger(valores.value(i).isEmpty() ? 1 : 0);
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
