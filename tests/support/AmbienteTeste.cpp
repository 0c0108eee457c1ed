#include "AmbienteTeste.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

namespace AmbienteTeste {

QString exige(const char* variavel)
{
    const char* valor = std::getenv(variavel);
    if (!valor || !*valor) {
        const std::string msg = std::string("variável de ambiente ") + variavel
            + " ausente: os servidores de teste não foram iniciados "
              "(rode os testes com scripts/testa.sh, ou "
              "eval \"$(scripts/servidores-teste.sh iniciar)\")";
        ADD_FAILURE() << msg;
        throw std::runtime_error(msg);
    }
    return QString::fromLocal8Bit(valor);
}

QString pgHost() { return exige("QX_PG_HOST"); }
int pgPorta() { return exige("QX_PG_PORT").toInt(); }
QString pgUsuario() { return exige("QX_PG_USER"); }
QString pgSenha() { return exige("QX_PG_PASSWORD"); }
QString pgBanco() { return exige("QX_PG_DATABASE"); }
// Firebird's own notation for a server on another port: host/port.
QString fbHost() { return fbMaquina() + u'/' + QString::number(fbPorta()); }
QString fbMaquina() { return exige("QX_FB_HOST"); }
int fbPorta() { return exige("QX_FB_PORT").toInt(); }
QString fbPastaServidor() { return exige("QX_FB_DIR"); }
QString fbUsuario() { return exige("QX_FB_USER"); }
QString fbSenha() { return exige("QX_FB_PASSWORD"); }
QString odbcDsn() { return exige("QX_ODBC_DSN"); }

QString pastaTemporaria()
{
    static QTemporaryDir pasta(QDir::tempPath() + "/quelix-teste-XXXXXX");
    if (!pasta.isValid())
        throw std::runtime_error("não foi possível criar a pasta temporária dos testes");
    return pasta.path();
}

QString nomeUnico(const QString& prefixo)
{
    static QAtomicInteger<int> contador = 0;
    return QStringLiteral("%1_%2_%3").arg(prefixo).arg(QCoreApplication::applicationPid()).arg(++contador);
}

} // namespace AmbienteTeste
