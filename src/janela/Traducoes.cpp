#include "janela/Traducoes.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool CarregaTraducoesQt(QCoreApplication& aplicacao)
{
    const QString pasta = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* traducao = new QTranslator(&aplicacao);
    const bool carregou =
        (QLocale::system().language() == QLocale::Portuguese
         && traducao->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"), pasta))
        || traducao->load(QStringLiteral("qtbase_pt_BR"), pasta);
    if (!carregou) {
        delete traducao;
        return false;
    }
    QCoreApplication::installTranslator(traducao);
    return true;
}
