#include "dblayer/LogsAntigos.h"

#include "dblayer/GravaLinhaLog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

int RemoveLogsAntigos(int dias, const QDate& hoje, QStringList& falhas)
{
    static const QRegularExpression nome(QStringLiteral("^.+-(\\d{8})\\.log$"));
    const QDate limite = hoje.addDays(-dias);
    const QDir pasta(PastaDoExecutavel() + QStringLiteral("/Logs"));
    int removidos = 0;
    for (const QString& arquivo : pasta.entryList({QStringLiteral("*.log")}, QDir::Files)) {
        const QRegularExpressionMatch partes = nome.match(arquivo);
        const QDate data = partes.hasMatch() ? QDate::fromString(partes.captured(1), QStringLiteral("yyyyMMdd")) : QDate();
        if (!data.isValid() || data >= limite)
            continue;
        QFile log(pasta.filePath(arquivo));
        if (log.remove())
            ++removidos;
        else
            falhas << log.fileName() + QStringLiteral(": ") + log.errorString();
    }
    return removidos;
}
