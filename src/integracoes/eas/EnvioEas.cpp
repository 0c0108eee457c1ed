#include "integracoes/eas/EnvioEas.h"

#include "base/Erros.h"
#include "base/Apara.h"
#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/campos/CamposHost.h"

#include <QHash>

TEnvioEas::TEnvioEas(TDadosEas& dados) : FDados(dados), FHost(dados) {}

void TEnvioEas::EnviaParaEas()
{
    if (!FDados.KoDatabase1.Connected())
        return;
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
    QList<QStringList> chaves;
    QHash<QStringList, QStringList> registros;
    for (consulta.First(); !consulta.Eof(); consulta.Next()) {
        QStringList chave;
        for (const QString& coluna : passo.ColunasChave)
            chave << consulta.FieldByName(coluna).AsString();
        auto grupo = registros.find(chave);
        if (grupo == registros.end()) {
            chaves << chave;
            grupo = registros.insert(chave, {});
        }
        grupo->append(MontaRegistroHost(consulta));
    }

    TMarcacaoErp marcacao{passo.Tabela, passo.Tipo, passo.Descricao, QString(), passo.Chaves,
                          passo.ColunasChave, {}};
    FMarca.reset();
    int marcados = 0;
    for (const QStringList& chave : chaves) {
        if (!EnviaDaChave(passo.Tipo, registros.value(chave)))
            continue;
        marcacao.Valores = {chave};
        if (!Marca(marcacao, false))
            break;
        ++marcados;
    }
    FMarca.reset();
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
    bool enviados = true;
    for (const QString& registro : registros)
        if (!FHost.GravaNoHost(tipo, QStringLiteral("X"), registro, false)) {
            enviados = false;
            break;
        }
    if (enviados && ConfirmaNoHost()) {
        for (const QString& registro : registros)
            FDados.Registra(TRegistroTratado::Enviado, tipo, CampoHost(registro, 1), TRegistroTratado::Enviado);
        return true;
    }
    DesfazPendentes({&FDados.KoDatabase2});
    FDados.AdicionaLinha(QStringLiteral("Envio de %1 registros (%2) de mesma chave desfeito no EAS; ficam pendentes "
                                        "para o próximo ciclo.")
                             .arg(registros.size())
                             .arg(tipo));
    FDados.ContaFalha();
    for (const QString& registro : registros)
        FDados.Registra(TRegistroTratado::Enviado, tipo, CampoHost(registro, 1), TRegistroTratado::Falhou);
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
    QStringList linhas{QStringLiteral("UPDATE ") + marcacao.Tabela + QStringLiteral(" SET"),
                       flag + QStringLiteral(" = 'N'"),
                       QStringLiteral("WHERE ((") + flag + QStringLiteral(" <> 'N') OR (") + flag
                           + QStringLiteral(" IS NULL))")};
    linhas += marcacao.Condicoes;
    // A step marks row by row with one statement: prepared once.
    if (!FMarca || FLinhasMarca != linhas) {
        FMarca = std::make_unique<TKoQuery>();
        FMarca->SetDatabase(&FDados.KoDatabase1);
        for (const QString& linha : linhas)
            FMarca->SQL.Add(linha);
        FLinhasMarca = linhas;
    }
    TKoQuery& comando = *FMarca;
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
