#include "integracoes/vapora/Consultas.h"

#include "dblayer/KoQuery.h"

QString TextoDe(TKoQuery& consulta, const char* coluna)
{
    return consulta.FieldByName(QString::fromLatin1(coluna)).AsString();
}

double NumeroDe(TKoQuery& consulta, const char* coluna)
{
    return consulta.FieldByName(QString::fromLatin1(coluna)).AsFloat();
}

qint64 InteiroDe(TKoQuery& consulta, const char* coluna)
{
    return consulta.FieldByName(QString::fromLatin1(coluna)).AsInteger();
}

void AbreComLote(TKoQuery& consulta, const QStringList& linhas, const QString& numero)
{
    consulta.DefineLinhas(linhas);
    consulta.ParamByName(QStringLiteral("NUMERO")).SetAsString(numero);
    consulta.Open();
    consulta.First();
}

ELoteNaoEncontrado::ELoteNaoEncontrado(const QString& numero)
    : Exception(QStringLiteral("Lote %1 não encontrado no ERP; nada foi enviado.").arg(numero))
{
}

const QStringList& LinhasLoteExiste()
{
    static const QStringList linhas = {QStringLiteral("SELECT NUMERO FROM FAL_001 "),
                                       QStringLiteral("WHERE NUMERO = :NUMERO")};
    return linhas;
}

void ExigeLote(TKoQuery& consulta, const QString& numero)
{
    AbreComLote(consulta, LinhasLoteExiste(), numero);
    const bool existe = !consulta.Eof();
    consulta.Close();
    if (!existe)
        throw ELoteNaoEncontrado(numero);
}
