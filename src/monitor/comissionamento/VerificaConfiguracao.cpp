#include "monitor/comissionamento/VerificaConfiguracao.h"

#include "base/DonoDaPasta.h"
#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/IndicesTabela.h"
#include "dblayer/PreparaSemExecutar.h"
#include "integracao/AbreConexao.h"
#include "integracao/Configuracao.h"
#include "integracao/Verificacao.h"
#include "monitor/NucleoCiclo.h"

#include "dblayer/KoDatabase.h"
#include "dblayer/LimitesExecucao.h"
#include "monitor/comissionamento/VerificacaoLimitada.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <atomic>
#include <exception>
#include <memory>

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

// What a connection's check needs, copied on the cycle's thread: the part
// runs on a thread of its own and may outlive the objects it came from.
struct TParametrosConexao {
    QString Nome;
    QString DriverName;
    QString DatabaseName;
    QString Database;
    QString HostName;
    QString User;
    QString Password;
    QString DriverOdbc;
    int Port = 0;

    explicit TParametrosConexao(const TKoDatabase& banco)
        : Nome(banco.objectName()), DriverName(banco.DriverName()), DatabaseName(banco.DatabaseName()),
          Database(banco.Database), HostName(banco.HostName), User(banco.User), Password(banco.Password),
          DriverOdbc(banco.DriverOdbc), Port(banco.Port)
    {
    }

    bool Configurada() const { return !Database.trimmed().isEmpty() || !DatabaseName.trimmed().isEmpty(); }

    void Aplica(TKoDatabase& banco) const
    {
        banco.setObjectName(Nome);
        banco.SetDriverName(DriverName);
        banco.SetDatabaseName(DatabaseName);
        banco.Database = Database;
        banco.HostName = HostName;
        banco.User = User;
        banco.Password = Password;
        banco.DriverOdbc = DriverOdbc;
        banco.Port = Port;
    }
};

// A statement as the site sends it, and an index to look for, on the
// connection being checked.
struct TComandoDoSite {
    QString Texto;
};
struct TIndiceCopiado {
    QString Tabela;
    QStringList Colunas;
    QString Motivo;
};
// A table of the monitor's own that the connection should hold.
struct TTabelaCopiada {
    QString Tabela;
    QString Motivo;
};

void VerificaComandos(TKoDatabase& banco, const QString& legenda, const QList<TComandoDoSite>& comandos,
                      const QStringList& tabelasAusentes, TVerificacao& verificacao,
                      const std::function<bool()>& passo);
bool VerificaTabelaPropria(TKoDatabase& banco, const TTabelaCopiada& tabela, TVerificacao& verificacao);
void VerificaIndice(TKoDatabase& banco, const TIndiceCopiado& indice, TVerificacao& verificacao);

// One connection: opened anew from the settings start-up gave it (the
// driver's own error when it does not open), then the statements the model
// sends on it, then the indexes its passes need there. All of it on a
// thread of its own: a server that does not answer for the time of a
// liveness check and its margin is said as such, and the check goes on.
enum class TConexaoVerificada { Aberta, NaoAbriu, SemResposta, NaoConfigurada };

TConexaoVerificada VerificaConexao(TKoDatabase& original, const QString& legenda, const QList<TComandoDoSite>& comandos,
                     const QList<TIndiceCopiado>& indices, const QList<TTabelaCopiada>& tabelas,
                     TVerificacao& verificacao)
{
    const TParametrosConexao parametros(original);
    // Nothing configured: the key's own line has said why (an I/O error on
    // a file with no name would say nothing more).
    if (!parametros.Configurada())
        return TConexaoVerificada::NaoConfigurada;
    auto abriu = std::make_shared<std::atomic<bool>>(false);
    const int semRespostaMs = LimitesExecucao().ConfereConexaoMs + LimitesExecucao().FolgaSemRespostaMs;
    const bool terminou = VerificaComLimite(
        verificacao, verificacao.Relator(), semRespostaMs,
        [parametros, legenda, comandos, indices, tabelas, abriu](TVerificacao& parte,
                                                                 const std::function<bool()>& passo) {
            TKoDatabase banco;
            parametros.Aplica(banco);
            if (const auto erro = TentaAbrir(banco)) {
                parte.Falha(QStringLiteral("conexão ") + parametros.Nome, *erro);
                return;
            }
            *abriu = true;
            parte.Ok(QStringLiteral("conexão ") + parametros.Nome + QStringLiteral(" aberta"));
            if (!passo())
                return;
            QStringList ausentes;
            for (const TTabelaCopiada& tabela : tabelas)
                if (!VerificaTabelaPropria(banco, tabela, parte))
                    ausentes << tabela.Tabela;
            if (!comandos.isEmpty())
                VerificaComandos(banco, legenda, comandos, ausentes, parte, passo);
            for (const TIndiceCopiado& indice : indices) {
                if (!passo())
                    return;
                VerificaIndice(banco, indice, parte);
            }
            banco.Close();
        });
    if (terminou)
        return *abriu ? TConexaoVerificada::Aberta : TConexaoVerificada::NaoAbriu;
    verificacao.Falha(QStringLiteral("conexão ") + parametros.Nome,
                      QStringLiteral("o servidor não responde em %1 s; os comandos e índices desta conexão não "
                                     "foram verificados")
                          .arg((semRespostaMs + 999) / 1000));
    return TConexaoVerificada::SemResposta;
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

// The table is there when a statement that reads it prepares.
bool VerificaTabelaPropria(TKoDatabase& banco, const TTabelaCopiada& tabela, TVerificacao& verificacao)
{
    const QString oQue = QStringLiteral("tabela %1 em %2").arg(tabela.Tabela, banco.objectName());
    const QString erro = ErroAoPreparar(banco, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(tabela.Tabela));
    if (erro.isEmpty()) {
        verificacao.Ok(oQue);
        return true;
    }
    verificacao.Falha(oQue, QStringLiteral("ausente (%1): %2; crie-a com o script do ERP em sql/")
                                .arg(erro.simplified(), tabela.Motivo));
    return false;
}

// Each statement that fails has its line with the server's message (which
// names the table or column) and its text; when all prepare, one line says
// how many. The statements on a table of the monitor's own that is missing
// are left out: its own line has said so once.
void VerificaComandos(TKoDatabase& banco, const QString& legenda, const QList<TComandoDoSite>& comandos,
                      const QStringList& tabelasAusentes, TVerificacao& verificacao,
                      const std::function<bool()>& passo)
{
    int preparados = 0;
    int deixados = 0;
    for (const TComandoDoSite& comando : comandos) {
        if (!passo())
            return;
        if (NomeiaTabela(comando.Texto, tabelasAusentes)) {
            ++deixados;
            continue;
        }
        const QString erro = ErroAoPreparar(banco, comando.Texto);
        if (erro.isEmpty())
            ++preparados;
        else
            verificacao.Falha(QStringLiteral("comando em ") + banco.objectName(),
                              erro.simplified() + QStringLiteral(" [") + comando.Texto.simplified() + u']');
    }
    if (preparados + deixados == comandos.size())
        verificacao.Ok(QStringLiteral("%1 de %2 comandos de %3 preparados em %4")
                           .arg(preparados).arg(comandos.size() - deixados).arg(legenda, banco.objectName()));
}

QString CriaIndice(const TIndiceCopiado& indice)
{
    return QStringLiteral("CREATE INDEX %1_%2 ON %1 (%3)")
        .arg(indice.Tabela, indice.Colunas.join(u'_'), indice.Colunas.join(QStringLiteral(", ")));
}

void VerificaIndice(TKoDatabase& banco, const TIndiceCopiado& indice, TVerificacao& verificacao)
{
    const QString oQue = QStringLiteral("índice de %1 (%2) em %3")
                             .arg(indice.Tabela, indice.Colunas.join(QStringLiteral(", ")), banco.objectName());
    try {
        const std::optional<bool> existe = TemIndice(banco, indice.Tabela, indice.Colunas);
        if (!existe)
            verificacao.Aviso(oQue + QStringLiteral(": o catálogo deste servidor não é lido; confira-o à mão"));
        else if (*existe)
            verificacao.Ok(oQue);
        else
            verificacao.Aviso(QStringLiteral("%1 ausente (%2; %3 linhas): %4")
                                  .arg(oQue, indice.Motivo)
                                  .arg(ContaLinhas(banco, indice.Tabela))
                                  .arg(CriaIndice(indice)));
    } catch (const std::exception& e) {
        // A table that is not there fails its statements already.
        verificacao.Aviso(oQue + QStringLiteral(": não verificado: ") + MensagemDoErro(e).simplified());
    }
}

// Logs/ is not made here (the monitor makes it at its first line): a file
// is tried in it, or in the folder that will hold it, and removed. Run as
// root, whose writes nothing refuses, Logs/ must belong to the folder's
// owner, the user the monitor runs as.
void VerificaLogs(TVerificacao& verificacao)
{
    const QString pasta = QDir(PastaDoExecutavel()).filePath(QStringLiteral("Logs"));
    const QString onde = QFileInfo(pasta).isDir() ? pasta : PastaDoExecutavel();
    QTemporaryFile teste(QDir(onde).filePath(QStringLiteral("verifica-XXXXXX")));
    QString erro = teste.open() ? QString() : teste.errorString();
    if (erro.isEmpty() && onde == pasta)
        erro = DonoDiferenteDaPasta(pasta);
    verificacao.Confere(QStringLiteral("pasta de logs ") + pasta + QStringLiteral(" gravável"), erro);
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

    // Each connection with the catalogue's statements for it (the catalogue
    // names an integration's own database by its caption) and the indexes
    // its passes need there.
    QList<std::pair<QString, TKoDatabase*>> bancos{{QStringLiteral("ERP"), &nucleo.KoDatabase1}};
    QMap<QString, QList<TComandoCatalogo>> porBanco;
    QList<TIndiceNecessario> indices;
    QList<TTabelaPropria> tabelas;
    if (integracao) {
        for (TKoDatabase* banco : integracao->Conexoes())
            bancos << std::pair{integracao->Legenda(), banco};
        for (const TComandoCatalogo& comando : catalogo)
            if (comando.Modelo == integracao->Legenda())
                porBanco[comando.Banco] << comando;
        indices = integracao->IndicesNecessarios();
        tabelas = integracao->TabelasProprias();
    }
    QSet<QString> ditos;
    QSet<QString> naoConfiguradas;
    for (const auto& [chave, banco] : bancos) {
        QList<TComandoDoSite> comandos;
        for (const TComandoCatalogo& comando : porBanco.value(chave))
            comandos << TComandoDoSite{integracao->ComandoDoSite(comando.Texto)};
        QList<TIndiceCopiado> seus;
        for (const TIndiceNecessario& indice : indices)
            if (indice.Banco == banco)
                seus << TIndiceCopiado{indice.Tabela, indice.Colunas, indice.Motivo};
        QList<TTabelaCopiada> proprias;
        for (const TTabelaPropria& tabela : tabelas)
            if (tabela.Banco == banco)
                proprias << TTabelaCopiada{tabela.Tabela, tabela.Motivo};
        // A server that did not answer has said what it left unchecked.
        const TConexaoVerificada resultado =
            VerificaConexao(*banco, integracao ? integracao->Legenda() : QString(), comandos, seus, proprias, verificacao);
        if (resultado == TConexaoVerificada::Aberta || resultado == TConexaoVerificada::SemResposta)
            ditos.insert(chave);
        else if (resultado == TConexaoVerificada::NaoConfigurada)
            naoConfiguradas.insert(chave);
    }
    for (auto grupo = porBanco.cbegin(); grupo != porBanco.cend(); ++grupo)
        if (!ditos.contains(grupo.key()))
            verificacao.Falha(QStringLiteral("comandos de %1 em %2").arg(integracao->Legenda(), grupo.key()),
                              QStringLiteral("%1 comandos não verificados: a conexão %2")
                                  .arg(grupo.value().size())
                                  .arg(naoConfiguradas.contains(grupo.key()) ? QStringLiteral("não está configurada")
                                                                             : QStringLiteral("não abriu")));
    if (integracao)
        integracao->VerificaServicos(verificacao);
    VerificaLogs(verificacao);
}
