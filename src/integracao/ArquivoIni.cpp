#include "integracao/ArquivoIni.h"

#include <QDir>
#include <QFile>
#include "base/Windows1252.h"

#include <QStringDecoder>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <optional>

namespace {

// The file's lines as read from disk; none when it cannot be read. UTF-8
// when the bytes are valid UTF-8, otherwise Latin-1 (files written by older
// editors).
QStringList LeLinhas(const QString& caminho)
{
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = arquivo.readAll();
    arquivo.close();

    QStringDecoder utf8(QStringDecoder::Utf8);
    QString texto = utf8.decode(bytes);
    // Not UTF-8: a file saved by a Windows editor, in its ANSI code page.
    if (utf8.hasError())
        texto = DeWindows1252(bytes);
    if (texto.startsWith(QChar(0xFEFF)))
        texto.remove(0, 1);
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(u'\r', u'\n');
    return texto.split(u'\n');
}

// The lines of the file. Some keys are read for every record of a pass, so
// the lines are kept and read again only when the file's time or size has
// changed: an edit still counts from the next reading.
QStringList LinhasDoArquivo(const QString& caminho)
{
    struct TLido {
        QDateTime momento;
        qint64 tamanho = -1;
        QStringList linhas;
    };
    static QMutex trava;
    static QHash<QString, TLido> lidos;

    const QFileInfo info(caminho);
    if (!info.isFile())
        return {};
    const QDateTime momento = info.lastModified();
    const QMutexLocker travado(&trava);
    TLido& lido = lidos[caminho];
    if (lido.momento != momento || lido.tamanho != info.size())
        lido = {momento, info.size(), LeLinhas(caminho)};
    return lido.linhas;
}

// The section name of a header line "[name]", if the line is one.
std::optional<QString> NomeDaSecao(const QString& linha)
{
    if (!linha.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype fim = linha.indexOf(QLatin1Char(']'));
    if (fim < 0)
        return std::nullopt;
    return Apara(linha.mid(1, fim - 1));
}

QString TiraAspas(const QString& valor)
{
    if (valor.size() >= 2) {
        const QChar primeira = valor.front();
        if ((primeira == QLatin1Char('"') || primeira == QLatin1Char('\''))
            && valor.back() == primeira)
            return valor.mid(1, valor.size() - 2);
    }
    return valor;
}

// The raw value of the first matching key of the matching sections, or none.
std::optional<QString> ProcuraChave(const QString& pasta, const QString& secao,
                                    const QString& chave, const QString& arquivo)
{
    const QStringList linhas = LinhasDoArquivo(QDir(pasta).filePath(arquivo));
    const QString secaoProcurada = Apara(secao);
    const QString chaveProcurada = Apara(chave);
    bool naSecao = false;
    for (const QString& linhaBruta : linhas) {
        const QString linha = Apara(linhaBruta);
        if (const auto nome = NomeDaSecao(linha)) {
            naSecao = nome->compare(secaoProcurada, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!naSecao)
            continue;
        const qsizetype igual = linha.indexOf(QLatin1Char('='));
        if (igual < 0)
            continue;
        if (Apara(linha.left(igual)).compare(chaveProcurada, Qt::CaseInsensitive) == 0)
            return linha.mid(igual + 1);
    }
    return std::nullopt;
}

} // namespace

QString LerValorIni(const QString& pasta, const QString& secao,
                    const QString& chave, const QString& arquivo)
{
    const auto bruto = ProcuraChave(pasta, secao, chave, arquivo);
    if (!bruto)
        return {};
    return TiraAspas(Apara(*bruto)).left(TamanhoMaximoValorIni);
}

bool ExisteChaveNoIni(const QString& pasta, const QString& secao,
                      const QString& chave, const QString& arquivo)
{
    return ProcuraChave(pasta, secao, chave, arquivo).has_value();
}
