#include "ApoioSupervisao.h"

#include "AmbienteTeste.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
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

TClienteHttp::TClienteHttp(quint16 porta, int limiteMs)
    : FLimiteMs(limiteMs)
{
    FSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval espera{limiteMs / 1000, (limiteMs % 1000) * 1000};
    ::setsockopt(FSocket, SOL_SOCKET, SO_RCVTIMEO, &espera, sizeof espera);
    ::setsockopt(FSocket, SOL_SOCKET, SO_SNDTIMEO, &espera, sizeof espera);
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_port = htons(porta);
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(FSocket, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
        ::close(FSocket);
        FSocket = -1;
    }
}

TClienteHttp::~TClienteHttp()
{
    if (FSocket >= 0)
        ::close(FSocket);
}

void TClienteHttp::Envia(const QByteArray& dados)
{
    if (FSocket >= 0)
        [[maybe_unused]] const auto enviados = ::send(FSocket, dados.constData(), size_t(dados.size()), MSG_NOSIGNAL);
}

TRespostaHttp TClienteHttp::LeResposta(bool semCorpo)
{
    TRespostaHttp resposta;
    QElapsedTimer relogio;
    relogio.start();
    qsizetype fimCabeca = -1;
    qsizetype tamanho = 0;
    while (FSocket >= 0 && relogio.elapsed() < FLimiteMs) {
        if (fimCabeca < 0 && (fimCabeca = FRecebido.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> linhas = FRecebido.left(fimCabeca).split('\n');
            resposta.Status = linhas.front().split(' ').value(1).toInt();
            for (const QByteArray& linha : linhas) {
                const QByteArray nome = linha.left(linha.indexOf(':')).trimmed().toLower();
                const QByteArray valor = linha.mid(linha.indexOf(':') + 1).trimmed();
                if (nome == "content-type")
                    resposta.Tipo = valor;
                else if (nome == "content-length" && !semCorpo)
                    tamanho = valor.toLongLong();
            }
        }
        if (fimCabeca >= 0 && FRecebido.size() >= fimCabeca + 4 + tamanho) {
            resposta.Corpo = FRecebido.mid(fimCabeca + 4, tamanho);
            FRecebido.remove(0, fimCabeca + 4 + tamanho);
            return resposta;
        }
        char bloco[65536];
        const auto lidos = ::recv(FSocket, bloco, sizeof bloco, 0);
        if (lidos <= 0)
            break;
        FRecebido.append(bloco, lidos);
    }
    return {};
}

bool TClienteHttp::EsperaFechamento(int limiteMs)
{
    QElapsedTimer relogio;
    relogio.start();
    while (FSocket >= 0 && relogio.elapsed() < limiteMs) {
        pollfd espera{FSocket, POLLIN, 0};
        if (::poll(&espera, 1, int(limiteMs - relogio.elapsed())) <= 0)
            return false;
        char bloco[4096];
        const auto lidos = ::recv(FSocket, bloco, sizeof bloco, MSG_DONTWAIT);
        if (lidos == 0 || (lidos < 0 && errno == ECONNRESET))
            return true;
    }
    return false;
}

std::vector<int> AbreConexoesOciosas(quint16 porta, int total, int limiteMs)
{
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_port = htons(porta);
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<pollfd> pendentes;
    for (int i = 0; i < total; ++i) {
        const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (socket < 0)
            break;
        if (::connect(socket, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0 || errno == EINPROGRESS)
            pendentes.push_back({socket, POLLOUT, 0});
        else
            ::close(socket);
    }
    std::vector<int> conectadas;
    QElapsedTimer relogio;
    relogio.start();
    while (!pendentes.empty() && relogio.elapsed() < limiteMs) {
        if (::poll(pendentes.data(), nfds_t(pendentes.size()), 1000) < 0)
            break;
        std::vector<pollfd> ainda;
        for (const pollfd& p : pendentes) {
            if (p.revents == 0) {
                ainda.push_back({p.fd, POLLOUT, 0});
                continue;
            }
            int erro = 0;
            socklen_t tamanho = sizeof erro;
            ::getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &erro, &tamanho);
            if (erro == 0)
                conectadas.push_back(p.fd);
            else
                ::close(p.fd);
        }
        pendentes.swap(ainda);
    }
    for (const pollfd& p : pendentes)
        ::close(p.fd);
    return conectadas;
}

int FechadasPeloServidor(const std::vector<int>& conexoes, int limiteMs)
{
    std::vector<pollfd> abertas;
    for (const int socket : conexoes)
        abertas.push_back({socket, POLLIN, 0});
    int fechadas = 0;
    QElapsedTimer relogio;
    relogio.start();
    while (!abertas.empty() && relogio.elapsed() < limiteMs) {
        if (::poll(abertas.data(), nfds_t(abertas.size()), 1000) < 0)
            break;
        std::vector<pollfd> ainda;
        for (const pollfd& p : abertas) {
            char bloco[4096];
            const auto lidos = p.revents ? ::recv(p.fd, bloco, sizeof bloco, MSG_DONTWAIT) : -1;
            // An answer before the end (the 503 of a refusal) is read on.
            if (lidos == 0 || (lidos < 0 && p.revents && errno != EAGAIN)) {
                ++fechadas;
                ::close(p.fd);
            } else {
                ainda.push_back({p.fd, POLLIN, 0});
            }
        }
        abertas.swap(ainda);
    }
    for (const pollfd& p : abertas)
        ::close(p.fd);
    return fechadas;
}

bool ElevaLimiteDeArquivos(int minimo)
{
    rlimit limite{};
    if (::getrlimit(RLIMIT_NOFILE, &limite) != 0 || limite.rlim_max < rlim_t(minimo))
        return false;
    if (limite.rlim_cur < rlim_t(minimo)) {
        limite.rlim_cur = rlim_t(minimo);
        return ::setrlimit(RLIMIT_NOFILE, &limite) == 0;
    }
    return true;
}

quint16 PortaLivre()
{
    QTcpServer servidor;
    if (!servidor.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("nenhuma porta livre em 127.0.0.1");
    return servidor.serverPort();
}

bool EsperaSemConexoesNaPorta(quint16 porta, int limiteMs)
{
    // "sl local_address rem_address st ...": local 0100007F:PORT, state 01.
    const QByteArray local = ":" + QByteArray::number(porta, 16).toUpper().rightJustified(4, '0');
    const auto estabelecidas = [&local] {
        QFile tabela(QStringLiteral("/proc/net/tcp"));
        if (!tabela.open(QIODevice::ReadOnly))
            return -1;
        int total = 0;
        for (const QByteArray& linha : tabela.readAll().split('\n')) {
            const QList<QByteArray> campos = linha.simplified().split(' ');
            total += campos.size() > 3 && campos[1].endsWith(local) && campos[3] == "01";
        }
        return total;
    };
    QElapsedTimer relogio;
    relogio.start();
    while (estabelecidas() != 0) {
        if (relogio.elapsed() > limiteMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}
