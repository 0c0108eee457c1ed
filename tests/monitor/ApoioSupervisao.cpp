#include "ApoioSupervisao.h"

#include "AmbienteTeste.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>

#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

TSocketNotificacao::TSocketNotificacao()
{
    // Short: a socket's path has at most 107 bytes.
    static std::atomic<int> contador = 0;
    FCaminho = QStringLiteral("/tmp/qx-notifica-%1-%2").arg(::getpid()).arg(++contador);
    ::unlink(FCaminho.toLocal8Bit().constData());
    FSocket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un endereco{};
    endereco.sun_family = AF_UNIX;
    const QByteArray caminho = FCaminho.toLocal8Bit();
    std::memcpy(endereco.sun_path, caminho.constData(), size_t(caminho.size()));
    if (FSocket < 0 || ::bind(FSocket, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0)
        throw std::runtime_error("não foi possível criar o socket de notificação " + caminho.toStdString());
    timeval espera{0, 100000};
    ::setsockopt(FSocket, SOL_SOCKET, SO_RCVTIMEO, &espera, sizeof espera);
    FLeitor = std::thread([this] {
        char dados[4096];
        while (!FParar) {
            const ssize_t lidos = ::recv(FSocket, dados, sizeof dados, 0);
            if (lidos <= 0)
                continue;
            const std::lock_guard trava(FMutex);
            FRecebidos.push_back({TRelogio::now(), QString::fromUtf8(dados, int(lidos))});
        }
    });
}

TSocketNotificacao::~TSocketNotificacao()
{
    FParar = true;
    FLeitor.join();
    ::close(FSocket);
    ::unlink(FCaminho.toLocal8Bit().constData());
}

std::vector<TSocketNotificacao::TDatagrama> TSocketNotificacao::Recebidos() const
{
    const std::lock_guard trava(FMutex);
    return FRecebidos;
}

QStringList TSocketNotificacao::Avisos() const
{
    QStringList avisos;
    for (const TDatagrama& datagrama : Recebidos())
        if (datagrama.Texto != QLatin1String("WATCHDOG=1"))
            avisos << datagrama.Texto;
    return avisos;
}

int TSocketNotificacao::Pings(TRelogio::time_point de, TRelogio::time_point ate) const
{
    int pings = 0;
    for (const TDatagrama& datagrama : Recebidos())
        if (datagrama.Texto == QLatin1String("WATCHDOG=1") && datagrama.Chegada >= de && datagrama.Chegada <= ate)
            ++pings;
    return pings;
}

bool TSocketNotificacao::Espera(const QString& texto, int limiteMs) const
{
    QElapsedTimer relogio;
    relogio.start();
    while (relogio.elapsed() < limiteMs) {
        for (const TDatagrama& datagrama : Recebidos())
            if (datagrama.Texto.contains(texto))
                return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return false;
}

TRespostaHttp HttpGet(quint16 porta, const QByteArray& caminho, int limiteMs)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), porta);
    if (!socket.waitForConnected(limiteMs))
        return {};
    socket.write("GET " + caminho + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QElapsedTimer relogio;
    relogio.start();
    QByteArray dados;
    TRespostaHttp resposta;
    qsizetype fimCabecalho = -1;
    qsizetype tamanho = -1;
    while (relogio.elapsed() < limiteMs) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(limiteMs - relogio.elapsed())))
            break;
        dados += socket.readAll();
        if (fimCabecalho < 0 && (fimCabecalho = dados.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> linhas = dados.left(fimCabecalho).split('\n');
            resposta.Status = linhas.front().split(' ').value(1).toInt();
            for (const QByteArray& linha : linhas) {
                const qsizetype doisPontos = linha.indexOf(':');
                const QByteArray nome = linha.left(doisPontos).trimmed().toLower();
                const QByteArray valor = linha.mid(doisPontos + 1).trimmed();
                if (nome == "content-type")
                    resposta.Tipo = valor;
                else if (nome == "content-length")
                    tamanho = valor.toLongLong();
            }
        }
        if (fimCabecalho >= 0 && tamanho >= 0 && dados.size() >= fimCabecalho + 4 + tamanho)
            break;
    }
    if (fimCabecalho < 0)
        return {};
    resposta.Corpo = dados.mid(fimCabecalho + 4);
    return resposta;
}
