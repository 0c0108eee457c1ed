#include "soap/DescricaoServico.h"

#include "soap/ErrosSoap.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace {

const QString EspacoWsdl = QStringLiteral("http://schemas.xmlsoap.org/wsdl/");
const QString EspacoLigacaoSoap = QStringLiteral("http://schemas.xmlsoap.org/wsdl/soap/");

QString NomeLocal(const QString& nomeQualificado)
{
    return nomeQualificado.mid(nomeQualificado.indexOf(QLatin1Char(':')) + 1);
}

// Reads the description element by element, knowing where it stands by the
// WSDL elements it is inside of.
class TLeitorDescricao {
public:
    explicit TLeitorDescricao(const QByteArray& xml) : FXml(xml) {}

    TDescricaoServico Le(const QString& local)
    {
        while (!FXml.atEnd()) {
            FXml.readNext();
            if (FXml.isStartElement()) {
                if (FCaminho.isEmpty() && !EhWsdl(u"definitions"))
                    throw ESoapDescricao(QStringLiteral(
                        "O documento em %1 não é uma descrição de serviço (WSDL): a raiz é <%2>.")
                        .arg(local, FXml.qualifiedName()));
                Abre();
                FCaminho.push_back(FXml.name().toString());
            } else if (FXml.isEndElement()) {
                FCaminho.pop_back();
            }
        }
        if (FXml.hasError())
            throw ESoapDescricao(QStringLiteral(
                "A descrição do serviço em %1 não pôde ser lida: XML inválido na linha %2, coluna %3: %4")
                .arg(local).arg(FXml.lineNumber()).arg(FXml.columnNumber()).arg(FXml.errorString()));
        return FDescricao;
    }

private:
    bool EhWsdl(QStringView nome) const
    {
        return FXml.namespaceUri() == EspacoWsdl && FXml.name() == nome;
    }
    bool EhLigacaoSoap(QStringView nome) const
    {
        return FXml.namespaceUri() == EspacoLigacaoSoap && FXml.name() == nome;
    }
    bool Dentro(std::initializer_list<const char*> caminho) const
    {
        if (FCaminho.size() != qsizetype(caminho.size()))
            return false;
        return std::equal(caminho.begin(), caminho.end(), FCaminho.begin(),
                          [](const char* a, const QString& b) { return b == QLatin1String(a); });
    }
    QString Atributo(const char* nome) const
    {
        return FXml.attributes().value(QLatin1String(nome)).toString();
    }

    void Abre()
    {
        if (FCaminho.isEmpty()) {
            FDescricao.EspacoAlvo = Atributo("targetNamespace");
        } else if (Dentro({"definitions"}) && EhWsdl(u"service")) {
            FDescricao.Servicos.push_back({Atributo("name"), {}});
        } else if (Dentro({"definitions", "service"}) && EhWsdl(u"port")) {
            FDescricao.Servicos.back().Portas.push_back(
                {Atributo("name"), NomeLocal(Atributo("binding")), {}});
        } else if (Dentro({"definitions", "service", "port"}) && EhLigacaoSoap(u"address")) {
            FDescricao.Servicos.back().Portas.back().Endereco = Atributo("location").trimmed();
        } else if (Dentro({"definitions"}) && EhWsdl(u"binding")) {
            FDescricao.Ligacoes.push_back({Atributo("name"), {}});
            FEstiloLigacao = QStringLiteral("document");
        } else if (Dentro({"definitions", "binding"}) && EhLigacaoSoap(u"binding")) {
            if (!Atributo("style").isEmpty())
                FEstiloLigacao = Atributo("style");
        } else if (Dentro({"definitions", "binding"}) && EhWsdl(u"operation")) {
            FDescricao.Ligacoes.back().Operacoes.push_back({Atributo("name"), {}, FEstiloLigacao, {}, {}});
        } else if (Dentro({"definitions", "binding", "operation"}) && EhLigacaoSoap(u"operation")) {
            TOperacaoDescrita& operacao = FDescricao.Ligacoes.back().Operacoes.back();
            operacao.AcaoSoap = Atributo("soapAction");
            if (!Atributo("style").isEmpty())
                operacao.Estilo = Atributo("style");
        } else if (Dentro({"definitions", "binding", "operation", "input"}) && EhLigacaoSoap(u"body")) {
            TOperacaoDescrita& operacao = FDescricao.Ligacoes.back().Operacoes.back();
            operacao.Uso = Atributo("use");
            operacao.EspacoCorpo = Atributo("namespace");
        }
    }

    QXmlStreamReader FXml;
    QStringList FCaminho;
    QString FEstiloLigacao;
    TDescricaoServico FDescricao;
};

} // namespace

TDescricaoServico LeDescricaoServico(const QByteArray& xml, const QString& local)
{
    return TLeitorDescricao(xml).Le(local);
}

const TPortaDescrita& TDescricaoServico::Porta(const QString& servico, const QString& porta,
                                               const QString& local) const
{
    const auto s = std::find_if(Servicos.begin(), Servicos.end(),
                                [&](const TServicoDescrito& x) { return x.Nome == servico; });
    if (s == Servicos.end())
        throw ESoapDescricao(QStringLiteral(
            "A descrição do serviço em %1 não tem o serviço \"%2\".").arg(local, servico));
    const auto p = std::find_if(s->Portas.begin(), s->Portas.end(),
                                [&](const TPortaDescrita& x) { return x.Nome == porta; });
    if (p == s->Portas.end())
        throw ESoapDescricao(QStringLiteral(
            "A descrição do serviço em %1 não tem a porta \"%2\" no serviço \"%3\".")
            .arg(local, porta, servico));
    if (p->Endereco.isEmpty())
        throw ESoapDescricao(QStringLiteral(
            "A porta \"%2\" do serviço \"%3\" na descrição em %1 não tem endereço SOAP.")
            .arg(local, porta, servico));
    return *p;
}

const TOperacaoDescrita* TDescricaoServico::Operacao(const TPortaDescrita& porta,
                                                     const QString& nome) const
{
    for (const TLigacaoDescrita& ligacao : Ligacoes) {
        if (ligacao.Nome != porta.Ligacao)
            continue;
        for (const TOperacaoDescrita& operacao : ligacao.Operacoes)
            if (operacao.Nome == nome)
                return &operacao;
    }
    return nullptr;
}
