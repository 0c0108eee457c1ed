// Linked into the integration tests: while they run, every distinct
// statement the system sends is written, as the code wrote it, to the file
// named by QX_CATALOGO_COMANDOS (one JSON object a line), with the model
// whose passes sent it (QX_CATALOGO_MAQUINA: "Bruma", "EAS", "Vapora") and
// the database it went to: "ERP" for the monitor's connection, the model's
// name for the integration's own. The statement catalogue test
// prepares each one on every server. Statements on connections of the
// tests' own (unnamed), and those a test sends itself (TComandosDoTeste),
// are left out.

#include "ComandosDoTeste.h"

#include "dblayer/ObservadorComandos.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSet>

#include <cstdio>
#include <cstdlib>

namespace {

QString BancoDaConexao(const QString& conexao)
{
    if (conexao == QLatin1String("KoDatabase1"))
        return QStringLiteral("ERP");
    if (conexao == QLatin1String("KoDatabase2"))
        return qEnvironmentVariable("QX_CATALOGO_MAQUINA");
    return QString();
}

class TGravadorComandos {
public:
    explicit TGravadorComandos(const QString& caminho) : FArquivo(caminho)
    {
        if (!FArquivo.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::fprintf(stderr, "Catálogo de comandos: não foi possível criar %s: %s\n", qPrintable(caminho),
                         qPrintable(FArquivo.errorString()));
            std::exit(2);
        }
    }

    void Grava(const TComandoEnviado& comando)
    {
        const QString banco = BancoDaConexao(comando.Conexao);
        if (banco.isEmpty() || TComandosDoTeste::Ativo())
            return;
        QMutexLocker trava(&FMutex);
        if (FVistos.contains(banco + u'\n' + comando.TextoEscrito))
            return;
        FVistos.insert(banco + u'\n' + comando.TextoEscrito);
        QJsonArray parametros;
        for (const auto& [nome, valor] : comando.Parametros)
            parametros.append(nome);
        const QJsonObject linha{{"modelo", qEnvironmentVariable("QX_CATALOGO_MAQUINA")},
                                {"banco", banco}, {"driver", comando.Driver},
                                {"texto", comando.TextoEscrito}, {"parametros", parametros}};
        // Written at once, so that a test that crashes later loses nothing.
        if (FArquivo.write(QJsonDocument(linha).toJson(QJsonDocument::Compact) + '\n') < 0 || !FArquivo.flush()) {
            std::fprintf(stderr, "Catálogo de comandos: falha ao gravar %s: %s\n",
                         qPrintable(FArquivo.fileName()), qPrintable(FArquivo.errorString()));
            std::exit(2);
        }
    }

private:
    QFile FArquivo;
    QMutex FMutex;
    QSet<QString> FVistos;
};

const bool kInstalado = [] {
    const QString caminho = qEnvironmentVariable("QX_CATALOGO_COMANDOS");
    if (caminho.isEmpty())
        return false;
    static TGravadorComandos gravador(caminho);
    DefineObservadorComandos([](const TComandoEnviado& comando) { gravador.Grava(comando); });
    return true;
}();

} // namespace
