// quelix-servico-soap: the project's own SOAP service for the tests and the
// demo. Prints the address it listens on as its first line, then (unless
// --silencioso) one line per request.
#include "ServidorSoap.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>

#include <cstdio>
#include <optional>

namespace {

std::optional<QSslConfiguration> LeTls(const QString& arquivoCertificado, const QString& arquivoChave)
{
    QFile certificado(arquivoCertificado);
    QFile chave(arquivoChave);
    if (!certificado.open(QIODevice::ReadOnly) || !chave.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QSslCertificate c(&certificado, QSsl::Pem);
    const QSslKey k(&chave, QSsl::Rsa, QSsl::Pem);
    if (c.isNull() || k.isNull())
        return std::nullopt;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(c);
    tls.setPrivateKey(k);
    return tls;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quelix-servico-soap"));

    QCommandLineParser opcoes;
    opcoes.setApplicationDescription(QStringLiteral(
        "Serviço SOAP de teste com os nove serviços Vapora. Controle: "
        "POST /controle/modo?servico=S&operacao=O&resposta=sucesso|falha|http|lixo|mudo|fecha|cortada|"
        "cortada-sem-tamanho|cortada-chunked|vazia|html[&texto=T][&status=N][&contem=X][&atraso=MS]"
        "[&descricao=1], GET /controle/pedidos, POST /controle/limpa (veja o README)."));
    opcoes.addHelpOption();
    const QCommandLineOption porta(QStringLiteral("porta"),
        QStringLiteral("Porta TCP (0 escolhe uma livre)."), QStringLiteral("porta"), QStringLiteral("3030"));
    const QCommandLineOption endereco(QStringLiteral("endereco"),
        QStringLiteral("Endereço IP em que escuta."), QStringLiteral("ip"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption silencioso(QStringLiteral("silencioso"),
        QStringLiteral("Não imprime uma linha por pedido."));
    const QCommandLineOption certificado(QStringLiteral("tls-certificado"),
        QStringLiteral("Atende por HTTPS com este certificado (PEM)."), QStringLiteral("arquivo"));
    const QCommandLineOption chave(QStringLiteral("tls-chave"),
        QStringLiteral("A chave privada RSA do certificado (PEM)."), QStringLiteral("arquivo"));
    opcoes.addOptions({porta, endereco, silencioso, certificado, chave});
    opcoes.process(app);

    bool numero = false;
    const uint numeroPorta = opcoes.value(porta).toUInt(&numero);
    const QHostAddress ip(opcoes.value(endereco));
    if (!numero || numeroPorta > 65535 || ip.isNull()) {
        std::fprintf(stderr, "quelix-servico-soap: porta ou endereço inválido\n");
        return 2;
    }

    std::optional<QSslConfiguration> tls;
    if (opcoes.isSet(certificado)) {
        tls = LeTls(opcoes.value(certificado), opcoes.value(chave));
        if (!tls) {
            std::fprintf(stderr, "quelix-servico-soap: certificado ou chave TLS ilegível\n");
            return 2;
        }
    }

    TServidorSoap servidor(!opcoes.isSet(silencioso), tls ? &*tls : nullptr);
    if (!servidor.Escuta(ip, quint16(numeroPorta))) {
        std::fprintf(stderr, "quelix-servico-soap: não foi possível escutar em %s:%u: %s\n",
                     qPrintable(ip.toString()), numeroPorta, qPrintable(servidor.ErroEscuta()));
        return 1;
    }
    std::printf("quelix-servico-soap: ouvindo em %s/\n", qPrintable(servidor.Base()));
    std::fflush(stdout);
    return app.exec();
}
