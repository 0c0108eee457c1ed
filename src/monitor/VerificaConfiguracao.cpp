#include "monitor/VerificaConfiguracao.h"

#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/IndicesTabela.h"
#include "dblayer/PreparaSemExecutar.h"
#include "integracao/AbreConexao.h"
#include "integracao/Configuracao.h"
#include "integracao/Verificacao.h"
#include "monitor/NucleoCiclo.h"

#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <exception>

namespace {

QString NomeConexao(const TKoDatabase& banco) { return QStringLiteral("conexão ") + banco.objectName(); }

void VerificaArquivoIni(const TConfiguracao& ini, TVerificacao& verificacao)
{
    verificacao.Confere(QStringLiteral("QX.ini ") + ini.Caminho(),
                        ini.Existe() ? QString() : QStringLiteral("não encontrado"));
}

TIntegracao* VerificaModelo(TNucleoCiclo& nucleo, const TConfiguracao& ini, TVerificacao& verificacao)
{
    TIntegracao* integracao = nucleo.IntegracaoDoModelo();
    const QString modelo = ini.LerIni(QStringLiteral("ModeloAtivo"), QStringLiteral("Modelo"));
    if (integracao)
        verificacao.Ok(QStringLiteral("[ModeloAtivo] Modelo = %1 (%2)").arg(modelo, integracao->Legenda()));
    else
        verificacao.Falha(QStringLiteral("[ModeloAtivo] Modelo"),
                          QStringLiteral("\"%1\" não é um tipo de máquina").arg(modelo));
    return integracao;
}

void VerificaChavesBanco1(const TConfiguracao& ini, TVerificacao& verificacao)
{
    const QString secao = QStringLiteral("Banco1");
    verificacao.ChavePreenchida(ini, secao, QStringLiteral("Base"));
    const QString servidor = ini.LerIni(secao, QStringLiteral("servidor"));
    const qsizetype doisPontos = servidor.indexOf(u':');
    bool ok = true;
    if (doisPontos >= 0)
        servidor.mid(doisPontos + 1).toInt(&ok, 10);
    if (!ok)
        verificacao.Falha(QStringLiteral("[Banco1] servidor"),
                          QStringLiteral("\"%1\": a porta não é um número (é lida como 5432)").arg(servidor));
}

// Opened by start-up, or the driver's own message of a new attempt.
bool VerificaConexao(TKoDatabase& banco, TVerificacao& verificacao)
{
    if (!banco.Connected()) {
        if (const auto erro = TentaAbrir(banco)) {
            verificacao.Falha(NomeConexao(banco), *erro);
            return false;
        }
    }
    verificacao.Ok(NomeConexao(banco) + QStringLiteral(" aberta"));
    return true;
}

// True when the statement names one of the tables.
bool NomeiaTabela(const QString& texto, const QStringList& tabelas)
{
    for (const QString& tabela : tabelas)
        if (texto.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(tabela)),
                                              QRegularExpression::CaseInsensitiveOption)))
            return true;
    return false;
}

// Each statement that fails has its line with the server's message (which
// names the table or column) and its text; when all prepare, one line says
// how many. The statements on a table of the monitor's own that is missing
// are left out: its own line has said so once.
void VerificaComandos(TKoDatabase& banco, TIntegracao& integracao, const QList<TComandoCatalogo>& comandos,
                      const QStringList& tabelasAusentes, TVerificacao& verificacao)
{
    int preparados = 0;
    int deixados = 0;
    for (const TComandoCatalogo& comando : comandos) {
        const QString texto = integracao.ComandoDoSite(comando.Texto);
        if (NomeiaTabela(texto, tabelasAusentes)) {
            ++deixados;
            continue;
        }
        const QString erro = ErroAoPreparar(banco, texto);
        if (erro.isEmpty())
            ++preparados;
        else
            verificacao.Falha(QStringLiteral("comando em ") + banco.objectName(),
                              erro.simplified() + QStringLiteral(" [") + texto.simplified() + u']');
    }
    if (preparados + deixados == comandos.size())
        verificacao.Ok(QStringLiteral("%1 de %2 comandos de %3 preparados em %4")
                           .arg(preparados).arg(comandos.size() - deixados).arg(integracao.Legenda(), banco.objectName()));
}

// The table is there when a statement that reads it prepares.
bool VerificaTabelaPropria(const TTabelaPropria& tabela, TVerificacao& verificacao)
{
    const QString oQue = QStringLiteral("tabela %1 em %2").arg(tabela.Tabela, tabela.Banco->objectName());
    const QString erro = ErroAoPreparar(*tabela.Banco, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(tabela.Tabela));
    if (erro.isEmpty()) {
        verificacao.Ok(oQue);
        return true;
    }
    verificacao.Falha(oQue, QStringLiteral("ausente (%1): %2; crie-a com o script do ERP em sql/")
                                .arg(erro.simplified(), tabela.Motivo));
    return false;
}

QString CriaIndice(const TIndiceNecessario& indice)
{
    return QStringLiteral("CREATE INDEX %1_%2 ON %1 (%3)")
        .arg(indice.Tabela, indice.Colunas.join(u'_'), indice.Colunas.join(QStringLiteral(", ")));
}

void VerificaIndice(const TIndiceNecessario& indice, TVerificacao& verificacao)
{
    const QString oQue = QStringLiteral("índice de %1 (%2) em %3")
                             .arg(indice.Tabela, indice.Colunas.join(QStringLiteral(", ")), indice.Banco->objectName());
    try {
        const std::optional<bool> existe = TemIndice(*indice.Banco, indice.Tabela, indice.Colunas);
        if (!existe)
            verificacao.Aviso(oQue + QStringLiteral(": o catálogo deste servidor não é lido; confira-o à mão"));
        else if (*existe)
            verificacao.Ok(oQue);
        else
            verificacao.Aviso(QStringLiteral("%1 ausente (%2; %3 linhas): %4")
                                  .arg(oQue, indice.Motivo)
                                  .arg(ContaLinhas(*indice.Banco, indice.Tabela))
                                  .arg(CriaIndice(indice)));
    } catch (const std::exception& e) {
        // A table that is not there fails its statements already.
        verificacao.Aviso(oQue + QStringLiteral(": não verificado: ") + MensagemDoErro(e).simplified());
    }
}

void VerificaLogs(TVerificacao& verificacao)
{
    const QString pasta = QDir(PastaDoExecutavel()).filePath(QStringLiteral("Logs"));
    QDir().mkpath(pasta);
    QTemporaryFile teste(QDir(pasta).filePath(QStringLiteral("verifica-XXXXXX")));
    verificacao.Confere(QStringLiteral("pasta de logs ") + pasta + QStringLiteral(" gravável"),
                        teste.open() ? QString() : teste.errorString());
}

} // namespace

void VerificaConfiguracao(TNucleoCiclo& nucleo, const TConfiguracao& ini,
                          const QList<TComandoCatalogo>& catalogo, TVerificacao& verificacao)
{
    VerificaArquivoIni(ini, verificacao);
    TIntegracao* integracao = VerificaModelo(nucleo, ini, verificacao);
    VerificaChavesBanco1(ini, verificacao);
    if (integracao)
        integracao->VerificaChaves(verificacao);

    QMap<QString, TKoDatabase*> bancos;
    if (VerificaConexao(nucleo.KoDatabase1, verificacao))
        bancos.insert(QStringLiteral("ERP"), &nucleo.KoDatabase1);
    if (integracao) {
        // The catalogue names an integration's own database by its caption.
        for (TKoDatabase* banco : integracao->Conexoes())
            if (VerificaConexao(*banco, verificacao))
                bancos.insert(integracao->Legenda(), banco);
        QStringList ausentes;
        for (const TTabelaPropria& tabela : integracao->TabelasProprias())
            if (tabela.Banco->Connected() && !VerificaTabelaPropria(tabela, verificacao))
                ausentes << tabela.Tabela;
        QMap<QString, QList<TComandoCatalogo>> porBanco;
        for (const TComandoCatalogo& comando : catalogo)
            if (comando.Modelo == integracao->Legenda())
                porBanco[comando.Banco] << comando;
        for (auto grupo = porBanco.cbegin(); grupo != porBanco.cend(); ++grupo)
            if (TKoDatabase* banco = bancos.value(grupo.key()))
                VerificaComandos(*banco, *integracao, grupo.value(), ausentes, verificacao);
            else
                verificacao.Falha(QStringLiteral("comandos de %1 em %2").arg(integracao->Legenda(), grupo.key()),
                                  QStringLiteral("%1 comandos não verificados: a conexão não abriu").arg(grupo.value().size()));
        for (const TIndiceNecessario& indice : integracao->IndicesNecessarios())
            if (indice.Banco->Connected())
                VerificaIndice(indice, verificacao);
        integracao->VerificaServicos(verificacao);
    }
    VerificaLogs(verificacao);
}
