#include "monitor/comissionamento/EscritaSimulada.h"

#include "dblayer/ObservadorComandos.h"
#include "dblayer/ParametrosSQL.h"

#include <QDateTime>
#include <QStringList>

namespace {

QString ValorSimulado(const QVariant& valor)
{
    if (valor.isNull())
        return QStringLiteral("NULL");
    switch (valor.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return u'\'' + valor.toString() + u'\'';
    case QMetaType::QDateTime:
        return valor.toDateTime().toString(Qt::ISODate);
    default:
        return valor.toString();
    }
}

} // namespace

QString EscritaSimulada(const TComandoEnviado& comando)
{
    // Only those the text names: a query component keeps the values of its
    // earlier statements.
    const QStringList nomes = NomesParametros(comando.TextoEnviado);
    QStringList valores;
    for (const auto& [nome, valor] : comando.Parametros)
        if (nomes.contains(nome, Qt::CaseInsensitive))
            valores << nome + u'=' + ValorSimulado(valor);
    QString linha = QStringLiteral("Simulação: %1: %2").arg(comando.Conexao, comando.TextoEnviado.simplified());
    if (!valores.isEmpty())
        linha += QStringLiteral(" [") + valores.join(QStringLiteral(", ")) + u']';
    return linha;
}
