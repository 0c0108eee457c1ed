#include "dblayer/traducao/TextoSQL.h"

namespace TextoSQL {

namespace {

inline char16_t Maiuscula(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

bool IguaisEm(QStringView texto, qsizetype pos, QStringView padrao)
{
    for (qsizetype j = 0; j < padrao.size(); ++j) {
        if (Maiuscula(texto[pos + j].unicode()) != Maiuscula(padrao[j].unicode()))
            return false;
    }
    return true;
}

} // namespace

qsizetype Acha(QStringView texto, QStringView padrao, qsizetype de)
{
    if (padrao.isEmpty() || de < 0 || de > texto.size())
        return -1;
    return texto.indexOf(padrao, de, Qt::CaseSensitive);
}

qsizetype AchaCI(QStringView texto, QStringView padrao, qsizetype de)
{
    if (padrao.isEmpty() || de < 0)
        return -1;
    const qsizetype ultimo = texto.size() - padrao.size();
    // Candidates are the places of the first character in either case, found
    // with the library's vectorised character search.
    const QChar maiuscula(Maiuscula(padrao[0].unicode()));
    const QChar minuscula = (maiuscula >= u'A' && maiuscula <= u'Z') ? QChar(maiuscula.unicode() + 32)
                                                                     : maiuscula;
    qsizetype proximaMaiuscula = texto.indexOf(maiuscula, de);
    qsizetype proximaMinuscula = minuscula == maiuscula ? -1 : texto.indexOf(minuscula, de);
    for (;;) {
        qsizetype i = proximaMaiuscula;
        if (i < 0 || (proximaMinuscula >= 0 && proximaMinuscula < i))
            i = proximaMinuscula;
        if (i < 0 || i > ultimo)
            return -1;
        if (IguaisEm(texto, i, padrao))
            return i;
        if (i == proximaMaiuscula)
            proximaMaiuscula = texto.indexOf(maiuscula, i + 1);
        else
            proximaMinuscula = texto.indexOf(minuscula, i + 1);
    }
}

QString SubstituiCI(const QString& texto, QStringView padrao, QStringView novo)
{
    qsizetype achado = AchaCI(texto, padrao);
    if (achado < 0)
        return texto;
    QString resultado;
    resultado.reserve(texto.size() + 16);
    qsizetype de = 0;
    while (achado >= 0) {
        resultado += QStringView(texto).mid(de, achado - de);
        resultado += novo;
        de = achado + padrao.size();
        achado = AchaCI(texto, padrao, de);
    }
    resultado += QStringView(texto).mid(de);
    return resultado;
}

QString SubstituiCS(const QString& texto, QStringView padrao, QStringView novo)
{
    if (padrao.isEmpty() || !texto.contains(padrao))
        return texto;
    QString resultado = texto;
    return resultado.replace(padrao.toString(), novo.toString(), Qt::CaseSensitive);
}

QString SubstituiPrimeiraCI(const QString& texto, QStringView padrao, QStringView novo)
{
    const qsizetype achado = AchaCI(texto, padrao);
    if (achado < 0)
        return texto;
    return TrocaTrecho(texto, achado, achado + padrao.size() - 1, novo);
}

QString Trecho(QStringView texto, qsizetype de, qsizetype ate)
{
    de = qMax<qsizetype>(de, 0);
    ate = qMin<qsizetype>(ate, texto.size() - 1);
    if (ate < de)
        return QString();
    return texto.mid(de, ate - de + 1).toString();
}

QString DesdeAte(QStringView texto, qsizetype de)
{
    return Trecho(texto, de, texto.size() - 1);
}

QString TrocaTrecho(const QString& texto, qsizetype de, qsizetype ate, QStringView novo)
{
    de = qBound<qsizetype>(0, de, texto.size());
    ate = qMin<qsizetype>(ate, texto.size() - 1);
    const qsizetype quantos = qMax<qsizetype>(ate - de + 1, 0);
    QString resultado = texto;
    return resultado.replace(de, quantos, novo.toString());
}


QString TrocaQuebras(const QString& texto, QStringView por)
{
    return SubstituiCS(texto, u"\r\n", por);
}

} // namespace TextoSQL
