#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <vector>

struct TElementoSoap;

// A value sent in a SOAP message: a scalar of one of the XML Schema types
// the services use, or a structure, which is the list of its elements in
// the order they are written.
class TValorSoap {
public:
    enum class TTipo { Texto, Inteiro, Real, Logico, Estrutura };

    explicit TValorSoap(const QString& texto);
    explicit TValorSoap(const char*) = delete; // would silently become a bool
    explicit TValorSoap(qint32 inteiro);
    explicit TValorSoap(double real);
    explicit TValorSoap(bool logico);
    explicit TValorSoap(std::vector<TElementoSoap> elementos);

    TTipo Tipo() const { return FTipo; }
    const std::vector<TElementoSoap>& Elementos() const { return FElementos; }

    // The XML Schema type, "xsd:string" and so on; empty for a structure.
    QString TipoXsd() const;
    // The scalar in its XML Schema lexical form (not yet escaped).
    QString TextoXsd() const;

private:
    TTipo FTipo;
    QString FTexto;
    qint32 FInteiro = 0;
    double FReal = 0;
    bool FLogico = false;
    std::vector<TElementoSoap> FElementos;
};

// One named element: a parameter of an operation or a field of a structure.
struct TElementoSoap {
    QString Nome;
    TValorSoap Valor;
};

// ValorSoap(x) turns a property value into a message value. Structured types
// of a contract declare their own overload next to them (found by argument
// lookup), so that TEstruturaSoap can nest them.
inline TValorSoap ValorSoap(const QString& v) { return TValorSoap(v); }
inline TValorSoap ValorSoap(qint32 v) { return TValorSoap(v); }
inline TValorSoap ValorSoap(double v) { return TValorSoap(v); }
inline TValorSoap ValorSoap(bool v) { return TValorSoap(v); }
inline TValorSoap ValorSoap(const TValorSoap& v) { return v; }

// A parameter or field named in the code, e.g. ElementoSoap("aux", aux).
template <class T>
TElementoSoap ElementoSoap(const char* nome, const T& valor)
{
    return {QString::fromLatin1(nome), ValorSoap(valor)};
}

// Builds a structured value element by element, in declared order:
//   Obrigatorio  always written;
//   Opcional     written only when the value is set (an empty text is set);
//   Repetido     one element per entry, each named after the property, no
//                wrapping element; an empty list writes nothing.
class TEstruturaSoap {
public:
    template <class T>
    TEstruturaSoap& Obrigatorio(const QString& nome, const T& valor)
    {
        FElementos.push_back({nome, ValorSoap(valor)});
        return *this;
    }

    template <class T>
    TEstruturaSoap& Opcional(const QString& nome, const std::optional<T>& valor)
    {
        if (valor)
            Obrigatorio(nome, *valor);
        return *this;
    }

    template <class T>
    TEstruturaSoap& Repetido(const QString& nome, const QList<T>& valores)
    {
        for (const T& valor : valores)
            Obrigatorio(nome, valor);
        return *this;
    }

    TValorSoap Valor() const { return TValorSoap(FElementos); }

private:
    std::vector<TElementoSoap> FElementos;
};
