#include "servico/console/UsuariosConsole.h"

#include "base/DonoDaPasta.h"
#include "base/Erros.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>

#include <openssl/evp.h>
#include <optional>

namespace {

constexpr int TamanhoSal = 16;
constexpr int TamanhoHash = 32;
const QByteArray Esquema = QByteArrayLiteral("pbkdf2-sha256");
const QString Secao = QStringLiteral("[Usuarios]");

QByteArray Aleatorio(int tamanho)
{
    QByteArray bytes(tamanho, Qt::Uninitialized);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32*>(bytes.data()),
                                         reinterpret_cast<quint32*>(bytes.data()) + tamanho / 4);
    return bytes;
}

// PBKDF2-HMAC-SHA-256 by OpenSSL's libcrypto, about 20 times the speed of
// Qt's own (which takes seconds for the rounds a password needs).
QByteArray DerivaCom(const QByteArray& senha, const QByteArray& sal, int iteracoes)
{
    QByteArray chave(TamanhoHash, Qt::Uninitialized);
    if (PKCS5_PBKDF2_HMAC(senha.constData(), int(senha.size()), reinterpret_cast<const unsigned char*>(sal.constData()),
                          int(sal.size()), iteracoes, EVP_sha256(), TamanhoHash,
                          reinterpret_cast<unsigned char*>(chave.data()))
        != 1)
        throw Exception(QStringLiteral("a derivação PBKDF2 da senha falhou"));
    return chave;
}

struct TRegistro {
    int Iteracoes = 0;
    QByteArray Sal;
    QByteArray Hash;
};

std::optional<TRegistro> LeRegistro(const QByteArray& texto)
{
    const QList<QByteArray> partes = texto.split(':');
    if (partes.size() != 4 || partes[0] != Esquema)
        return std::nullopt;
    TRegistro registro;
    bool ok = false;
    registro.Iteracoes = partes[1].toInt(&ok);
    const auto sal = QByteArray::fromBase64Encoding(partes[2], QByteArray::AbortOnBase64DecodingErrors);
    const auto hash = QByteArray::fromBase64Encoding(partes[3], QByteArray::AbortOnBase64DecodingErrors);
    if (!ok || !sal || !hash || sal.decoded.size() < TamanhoSal || hash.decoded.size() != TamanhoHash)
        return std::nullopt;
    registro.Sal = sal.decoded;
    registro.Hash = hash.decoded;
    return registro;
}

} // namespace

bool IguaisEmTempoConstante(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diferenca = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diferenca |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diferenca == 0;
}

namespace UsuariosConsole {

QString Arquivo(const QString& pastaIni) { return QDir(pastaIni).filePath(QStringLiteral("ConsoleUsuarios.ini")); }

bool NomeValido(const QString& nome)
{
    static const QRegularExpression valido(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    return valido.match(nome).hasMatch();
}

QByteArray Deriva(const QByteArray& senha, int iteracoes)
{
    const QByteArray sal = Aleatorio(TamanhoSal);
    return Esquema + ':' + QByteArray::number(iteracoes) + ':' + sal.toBase64() + ':'
        + DerivaCom(senha, sal, iteracoes).toBase64();
}

bool Confere(const QByteArray& senha, const QByteArray& registro)
{
    std::optional<TRegistro> lido = LeRegistro(registro);
    const bool valido = lido && lido->Iteracoes >= IteracoesPbkdf2;
    if (!valido)
        lido = TRegistro{IteracoesPbkdf2, QByteArray(TamanhoSal, '\0'), QByteArray(TamanhoHash, '\0')};
    const bool igual = IguaisEmTempoConstante(DerivaCom(senha, lido->Sal, lido->Iteracoes), lido->Hash);
    return valido && igual;
}

QMap<QString, QByteArray> Le(const QString& arquivo)
{
    QMap<QString, QByteArray> usuarios;
    QFile entrada(arquivo);
    if (!entrada.exists())
        return usuarios;
    if (!entrada.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("%1 não pode ser lido: %2").arg(arquivo, entrada.errorString()));
    int numero = 0;
    for (const QByteArray& bruta : entrada.readAll().split('\n')) {
        ++numero;
        const QString linha = QString::fromUtf8(bruta).trimmed();
        if (linha.isEmpty() || linha.startsWith(u'#') || linha.startsWith(u';') || linha == Secao)
            continue;
        const qsizetype igual = linha.indexOf(u'=');
        const QString nome = linha.left(igual).trimmed();
        const QByteArray registro = linha.mid(igual + 1).trimmed().toLatin1();
        if (igual <= 0 || !NomeValido(nome) || !LeRegistro(registro))
            throw Exception(QStringLiteral("%1, linha %2: não é \"nome=pbkdf2-sha256:...\"; "
                                           "refaça o usuário com quelix --usuario-console NOME")
                                .arg(arquivo)
                                .arg(numero));
        usuarios.insert(nome, registro);
    }
    return usuarios;
}

void Grava(const QString& arquivo, const QString& nome, const QByteArray& registro)
{
    QStringList linhas;
    QFile atual(arquivo);
    if (atual.exists()) {
        if (!atual.open(QIODevice::ReadOnly))
            throw Exception(QStringLiteral("%1 não pode ser lido: %2").arg(arquivo, atual.errorString()));
        linhas = QString::fromUtf8(atual.readAll()).split(u'\n');
        while (!linhas.isEmpty() && linhas.back().trimmed().isEmpty())
            linhas.removeLast();
    } else {
        linhas << QStringLiteral("# Usuários do console web do Quelix; cada um é criado ou trocado com")
               << QStringLiteral("# quelix --usuario-console NOME. Só o hash salgado da senha fica aqui.") << Secao;
    }
    const QString nova = nome + u'=' + QString::fromLatin1(registro);
    bool trocada = false;
    for (QString& linha : linhas) {
        const qsizetype igual = linha.indexOf(u'=');
        if (igual > 0 && linha.left(igual).trimmed() == nome) {
            linha = nova;
            trocada = true;
        }
    }
    if (!trocada)
        linhas << nova;
    QSaveFile saida(arquivo);
    if (!saida.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("%1 não pode ser gravado: %2").arg(arquivo, saida.errorString()));
    saida.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    saida.write((linhas.join(u'\n') + u'\n').toUtf8());
    if (!saida.commit())
        throw Exception(QStringLiteral("%1 não pode ser gravado: %2").arg(arquivo, saida.errorString()));
    DaAoDonoDaPasta(arquivo);
}

} // namespace UsuariosConsole
