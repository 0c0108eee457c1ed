#include "integracoes/eas/campos/CamposHost.h"

#include "base/Apara.h"
#include "base/Erros.h"
#include "integracoes/eas/campos/Trecho.h"

namespace {

int ParteInteira(const QString& campo, qsizetype inicio, qsizetype tamanho)
{
    const QString parte = Trecho(campo, inicio, tamanho);
    const std::optional<qint64> valor = InteiroDecimal(parte);
    if (!valor || *valor < -99 || *valor > 9999)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(parte));
    return int(*valor);
}

} // namespace

QString CampoHost(const QString& registro, int n)
{
    const QString texto = Apara(registro);
    if (!texto.contains(u'|'))
        return texto;
    qsizetype inicio = 0;
    for (int contador = 1; contador <= n; ++contador) {
        const qsizetype separador = texto.indexOf(u'|', inicio);
        if (separador < 0)
            break;
        if (contador == n)
            return texto.mid(inicio, separador - inicio);
        inicio = separador + 1;
    }
    return {};
}

QDate DataHost(const QString& campo)
{
    const int ano = ParteInteira(campo, 0, 4);
    const int mes = ParteInteira(campo, 4, 2);
    const int dia = ParteInteira(campo, 6, 2);
    const QDate data(ano, mes, dia);
    if (ano < 1 || !data.isValid())
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(campo));
    return data;
}

QTime HoraHost(const QString& campo)
{
    const int horas = ParteInteira(campo, 0, 2);
    const int minutos = ParteInteira(campo, 2, 2);
    const QTime hora(horas, minutos);
    if (!hora.isValid())
        throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(campo));
    return hora;
}

QString AjustaObs(const QString& obs, qsizetype tamanhoAteAqui)
{
    const qsizetype espaco = TamanhoMaximoAteObs - tamanhoAteAqui;
    if (obs.size() <= espaco)
        return obs;
    return Esquerda(obs, espaco);
}
