#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// What a client takes from a service description (WSDL 1.1 with the SOAP 1.1
// binding): the target namespace, each service's ports with their endpoint
// addresses, and each binding's operations with their SOAP actions.
struct TOperacaoDescrita {
    QString Nome;
    QString AcaoSoap;  // soapAction, empty when not given
    QString Estilo;    // "rpc" or "document"
    QString Uso;       // "encoded" or "literal" of the input body
    QString EspacoCorpo;  // the input body's namespace attribute, empty when not given
};

struct TLigacaoDescrita {
    QString Nome;
    std::vector<TOperacaoDescrita> Operacoes;
};

struct TPortaDescrita {
    QString Nome;
    QString Ligacao;   // local name of the binding
    QString Endereco;  // soap:address location; empty when the port has none
};

struct TServicoDescrito {
    QString Nome;
    std::vector<TPortaDescrita> Portas;
};

struct TDescricaoServico {
    QString EspacoAlvo;
    std::vector<TServicoDescrito> Servicos;
    std::vector<TLigacaoDescrita> Ligacoes;

    // The port of the service, with an endpoint address; raises
    // ESoapDescricao naming what is missing. `local` only names the
    // description in the message.
    const TPortaDescrita& Porta(const QString& servico, const QString& porta,
                                const QString& local) const;
    // The operation as the port's binding declares it; none when it does not.
    const TOperacaoDescrita* Operacao(const TPortaDescrita& porta, const QString& nome) const;
};

// Reads a description; raises ESoapDescricao when it is not a readable WSDL.
TDescricaoServico LeDescricaoServico(const QByteArray& xml, const QString& local);
