#include "InstanciasPrivadas.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <stdexcept>

TInstanciasPrivadas::TInstanciasPrivadas(QString estado, int portaPg, int portaFb)
    : FEstado(std::move(estado)), FPortaPg(portaPg), FPortaFb(portaFb)
{
}

QString TInstanciasPrivadas::Script(const QStringList& argumentos) const
{
    QProcess p;
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("QX_ESTADO_TESTES"), FEstado);
    ambiente.insert(QStringLiteral("QX_PG_PORT"), QString::number(FPortaPg));
    ambiente.insert(QStringLiteral("QX_FB_PORT"), QString::number(FPortaFb));
    ambiente.insert(QStringLiteral("QX_SOAP_PORT"), QStringLiteral("0"));  // the databases alone
    p.setProcessEnvironment(ambiente);
    p.start(QStringLiteral("bash"),
            QStringList{QStringLiteral(QUELIX_DIR_SCRIPTS "/servidores-teste.sh")} + argumentos);
    const bool terminou = p.waitForFinished(180000);
    if (!terminou || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(("servidores-teste.sh " + argumentos.join(u' ') + " (instâncias privadas em "
                                  + FEstado + ") falhou: " + QString::fromUtf8(p.readAllStandardError()))
                                     .toStdString());
    return QString::fromUtf8(p.readAllStandardOutput());
}

QMap<QString, QString> TInstanciasPrivadas::Inicia()
{
    static const QRegularExpression linha(QStringLiteral("^export (\\w+)='?([^']*)'?$"));
    QMap<QString, QString> valores;
    for (const QString& l : Script({QStringLiteral("iniciar")}).split(u'\n')) {
        const auto m = linha.match(l.trimmed());
        if (m.hasMatch())
            valores[m.captured(1)] = m.captured(2);
    }
    FAmbiente = valores;
    return valores;
}

void TInstanciasPrivadas::Para() { Script({QStringLiteral("parar")}); }

void TInstanciasPrivadas::Derruba(const QString& servidor) { Script({QStringLiteral("derruba"), servidor}); }
void TInstanciasPrivadas::Congela(const QString& servidor) { Script({QStringLiteral("congela"), servidor}); }
void TInstanciasPrivadas::Descongela(const QString& servidor) { Script({QStringLiteral("descongela"), servidor}); }

void TInstanciasPrivadas::Exporta() const
{
    for (auto i = FAmbiente.cbegin(); i != FAmbiente.cend(); ++i)
        qputenv(i.key().toLocal8Bit().constData(), i.value().toLocal8Bit());
}
