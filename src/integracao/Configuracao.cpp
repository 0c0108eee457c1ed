#include "integracao/Configuracao.h"

#include "integracao/ArquivoIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

TConfiguracao::TConfiguracao(const QString& pasta) : FPasta(pasta) {}

QString TConfiguracao::Pasta() const
{
    return FPasta.isEmpty() ? QCoreApplication::applicationDirPath() : FPasta;
}

QString TConfiguracao::Caminho(const QString& arquivo) const
{
    return QDir(Pasta()).filePath(arquivo);
}

bool TConfiguracao::Existe(const QString& arquivo) const
{
    return QFileInfo(Caminho(arquivo)).isFile();
}

QString TConfiguracao::LerIni(const QString& secao, const QString& chave, const QString& arquivo) const
{
    return LerValorIni(Pasta(), secao, chave, arquivo);
}

bool TConfiguracao::ExisteChaveIni(const QString& secao, const QString& chave,
                                   const QString& arquivo) const
{
    return ExisteChaveNoIni(Pasta(), secao, chave, arquivo);
}
