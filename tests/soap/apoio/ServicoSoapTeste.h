#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A request as the test SOAP service recorded it.
struct TPedidoRecebido {
    QString Metodo;
    QString Alvo;
    QJsonObject Cabecalhos; // names in lower case
    QString Corpo;
    QString Servico;
    QString Operacao;

    QString Cabecalho(const char* nome) const { return Cabecalhos.value(QLatin1String(nome)).toString(); }
};

// A process of quelix-servico-soap of this test's own, on a free port of
// 127.0.0.1, stopped when the object ends. Raises std::runtime_error, with
// what went wrong, when it does not start. `argumentos` are added to its
// command line (e.g. the TLS options).
class TServicoSoapTeste {
public:
    explicit TServicoSoapTeste(const QStringList& argumentos = {});
    ~TServicoSoapTeste();

    // "http://127.0.0.1:port" ("https://..." with TLS)
    const QString& Base() const { return FBase; }
    // Where the service's description is served ("...?wsdl", or the
    // TipoFioWS.xml file).
    QString LocalDescricao(const QString& interface) const;
    // The endpoint address of a service.
    QString Endereco(const QString& interface) const;

    // resposta: sucesso, falha, http, lixo, mudo, fecha, cortada, cortada-sem-tamanho,
    // cortada-chunked, vazia, html (see the service's README).
    void DefineModo(const QString& servico, const QString& operacao, const QString& resposta,
                    const QString& texto = {}, int status = 0);
    // Further choices of a mode: only the calls whose body holds `contem`,
    // the answer `atrasoMs` late, the service's description instead of its
    // calls.
    struct TOpcoesModo {
        QString Texto;
        int Status = 0;
        QString Contem;
        int AtrasoMs = 0;
        bool Descricao = false;
    };
    void DefineModo(const QString& servico, const QString& operacao, const QString& resposta,
                    const TOpcoesModo& opcoes);
    void Limpa();
    QList<TPedidoRecebido> Pedidos() const;
    // The SOAP calls alone (POST requests).
    QList<TPedidoRecebido> Chamadas() const;
    // How many times the description at this path and query was fetched.
    int LeiturasDescricao(const QString& interface) const;

private:
    QByteArray Controle(const QString& caminhoConsulta, bool post) const;

    std::unique_ptr<QProcess> FProcesso;
    QString FBase;
};

// Fixture: a test service of each test suite's own, clean at every test.
// A service that does not start fails every test of the suite, saying why.
class ComServicoSoap : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static TServicoSoapTeste& Servico() { return *FServico; }
    // The one SOAP call the service received; fails the test otherwise.
    static TPedidoRecebido UnicaChamada();

private:
    inline static TServicoSoapTeste* FServico = nullptr;
    inline static std::string FErro;
};
