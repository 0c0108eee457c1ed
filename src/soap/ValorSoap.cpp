#include "soap/ValorSoap.h"

#include "soap/TextoXml.h"

TValorSoap::TValorSoap(const QString& texto) : FTipo(TTipo::Texto), FTexto(texto) {}
TValorSoap::TValorSoap(qint32 inteiro) : FTipo(TTipo::Inteiro), FInteiro(inteiro) {}
TValorSoap::TValorSoap(double real) : FTipo(TTipo::Real), FReal(real) {}
TValorSoap::TValorSoap(bool logico) : FTipo(TTipo::Logico), FLogico(logico) {}
TValorSoap::TValorSoap(std::vector<TElementoSoap> elementos)
    : FTipo(TTipo::Estrutura), FElementos(std::move(elementos))
{
}

QString TValorSoap::TipoXsd() const
{
    switch (FTipo) {
    case TTipo::Texto: return QStringLiteral("xsd:string");
    case TTipo::Inteiro: return QStringLiteral("xsd:int");
    case TTipo::Real: return QStringLiteral("xsd:double");
    case TTipo::Logico: return QStringLiteral("xsd:boolean");
    case TTipo::Estrutura: break;
    }
    return {};
}

QString TValorSoap::TextoXsd() const
{
    switch (FTipo) {
    case TTipo::Texto: return FTexto;
    case TTipo::Inteiro: return QString::number(FInteiro);
    case TTipo::Real: return RealXsd(FReal);
    case TTipo::Logico: return FLogico ? QStringLiteral("true") : QStringLiteral("false");
    case TTipo::Estrutura: break;
    }
    return {};
}
