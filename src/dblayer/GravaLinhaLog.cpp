#include "dblayer/GravaLinhaLog.h"

#include "base/Apara.h"
#include "base/DonoDaPasta.h"
#include "base/Erros.h"
#include "base/Windows1252.h"
#include "dblayer/Localidade.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>

namespace {

NomeJanelaAtivaFn gNomeJanela = nullptr;
QString gPastaExecutavel;

QString MensagemLimpa(QString mensagem)
{
    mensagem.replace(QLatin1String("\r\n"), QLatin1String(" "));
    mensagem.replace(u'|', QChar(0x00DF));
    return Apara(mensagem);
}

// Logs/ beside the executable; the executable's own folder when Logs/
// cannot be created. Made, it is the folder owner's.
QString PastaDosLogs()
{
    const QString base = PastaDoExecutavel();
    const QString logs = base + QStringLiteral("/Logs");
    const bool existia = QFileInfo::exists(logs);
    if (!QDir().mkpath(logs))
        return base;
    if (!existia)
        DaAoDonoDaPasta(logs);
    return logs;
}

} // namespace

QString PastaDoExecutavel()
{
    if (!gPastaExecutavel.isEmpty())
        return gPastaExecutavel;
    return QCoreApplication::applicationDirPath();
}

void DefinePastaDoExecutavel(const QString& pasta) { gPastaExecutavel = pasta; }

void DefineNomeJanelaAtiva(NomeJanelaAtivaFn fornecedor) { gNomeJanela = fornecedor; }

QString MontaLinhaLog(const QString& nrIP, const QString& nomeJanela, const QString& nmUsuario,
                      const QDateTime& momento, const QString& mensagem)
{
    // "dd/mm/yy hh:mm:ss" with the locale's date and time separators.
    const QString d = Localidade::SeparadorData();
    const QString h = Localidade::SeparadorHora();
    const QString carimbo = momento.toString(QStringLiteral("dd") + d + QStringLiteral("MM") + d
                                             + QStringLiteral("yy HH") + h + QStringLiteral("mm") + h
                                             + QStringLiteral("ss"));
    return u'|' + nrIP + u'|' + nomeJanela + u'|' + nmUsuario + u'|' + carimbo + u'|'
        + MensagemLimpa(mensagem) + u'|';
}

void GravaLinhaLog(const QString& nmMaquina, const QString& nrIP,
                   const QString& nmUsuario, const QString& mensagem)
{
    const QString janela = gNomeJanela ? gNomeJanela() : QString();
    const QDateTime agora = QDateTime::currentDateTime();
    const QString data = agora.toString(QStringLiteral("yyyyMMdd"));
    const QString nomeArquivo = (nmMaquina.isEmpty() ? QStringLiteral("MaqDesconhecida") : nmMaquina)
        + u'-' + data + QStringLiteral(".log");
    const QString caminho = PastaDosLogs() + u'/' + nomeArquivo;

    QFile arquivo(caminho);
    const bool novo = !arquivo.exists();
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EInOutError(QStringLiteral("Não foi possível abrir o arquivo de log %1: %2")
                              .arg(caminho, arquivo.errorString()));
    if (novo)
        DaAoDonoDaPasta(caminho);
    // One byte per character, in the ANSI code page of the Windows the
    // files are read on.
    const QByteArray linha = ParaWindows1252(MontaLinhaLog(nrIP, janela, nmUsuario, agora, mensagem)
                                             + QLatin1String("\r\n"));
    // The write only fills Qt's buffer: the line is on disk once the flush
    // and the close went through (a full disk fails there).
    const bool gravada = arquivo.write(linha) == linha.size() && arquivo.flush();
    const QString erro = arquivo.errorString();
    arquivo.close();
    if (!gravada || arquivo.error() != QFileDevice::NoError)
        throw EInOutError(QStringLiteral("Não foi possível gravar o arquivo de log %1: %2")
                              .arg(caminho, gravada ? arquivo.errorString() : erro));
}
