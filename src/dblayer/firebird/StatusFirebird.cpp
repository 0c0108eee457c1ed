#include "dblayer/firebird/StatusFirebird.h"

#include <QStringDecoder>
#include <QStringList>

#include <iberror.h>

namespace StatusFirebird {

namespace {

QString decodifica(const char* linha)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texto = utf8(QByteArrayView(linha));
    return utf8.hasError() ? QString::fromLatin1(linha) : texto;
}

} // namespace

QString texto(const ISC_STATUS* status)
{
    QStringList linhas;
    const ISC_STATUS* cursor = status;
    char linha[1024];
    while (fb_interpret(linha, sizeof linha, &cursor) > 0)
        linhas << decodifica(linha);
    return linhas.join(QLatin1Char('\n'));
}

bool conexaoPerdida(const ISC_STATUS* status)
{
    if (!falhou(status))
        return false;
    // The vector is a list of clusters: a tag, then one value (a code, a
    // number, a string) or two (a counted string's length and address).
    for (const ISC_STATUS* s = status; *s != isc_arg_end;) {
        const ISC_STATUS tag = s[0];
        if (tag == isc_arg_gds) {
            switch (s[1]) {
            case isc_network_error:
            case isc_net_read_err:
            case isc_net_write_err:
            case isc_lost_db_connection:
            case isc_conn_lost:
            case isc_shutdown:
            case isc_shutinprog:
            case isc_att_shutdown:
            case isc_bad_db_handle:
                return true;
            default:
                break;
            }
        }
        s += tag == isc_arg_cstring ? 3 : 2;
    }
    return false;
}

ISC_LONG codigo(const ISC_STATUS* status)
{
    if (!falhou(status))
        return 0;
    return static_cast<ISC_LONG>(status[1]);
}

QSqlError erro(const ISC_STATUS* status, QSqlError::ErrorType tipo)
{
    // The server's text goes in databaseText and driverText stays empty, so
    // that QSqlError::text() is exactly the server's text.
    if (conexaoPerdida(status))
        tipo = QSqlError::ConnectionError;
    return QSqlError(QString(), texto(status), tipo, QString::number(codigo(status)));
}

QSqlError erroDoDriver(const QString& texto, QSqlError::ErrorType tipo)
{
    return QSqlError(texto, QString(), tipo);
}

} // namespace StatusFirebird
