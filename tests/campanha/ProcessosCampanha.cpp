#include "ProcessosCampanha.h"

#include <QFile>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QThread>
#include <QUrlQuery>

#include <stdexcept>

#include <signal.h>

TMonitorCampanha::TMonitorCampanha(QString nome, QString executavel, QString pasta, int intervaloMs,
                                   const QElapsedTimer& relogio)
    : FNome(std::move(nome))
    , FExecutavel(std::move(executavel))
    , FPasta(std::move(pasta))
    , FIntervaloMs(intervaloMs)
    , FRelogio(relogio)
{
}

TMonitorCampanha::~TMonitorCampanha()
{
    if (Rodando())
        Mata();
}

void TMonitorCampanha::Inicia()
{
    FProcesso = std::make_unique<TMonitorEmExecucao>(
        FExecutavel, QStringList{QStringLiteral("--sem-janela"), QStringLiteral("--pasta"), FPasta},
        QMap<QString, QString>{{QStringLiteral("QUELIX_INTERVALO_MS"), QString::number(FIntervaloMs)}});
    FLidas = 0;
    FErrosLidos = 0;
    ++FInicios;
    FLinhas << TLinhaMonitor{FRelogio.elapsed(), QStringLiteral("campanha: monitor iniciado")};
}

void TMonitorCampanha::Le()
{
    if (!FProcesso)
        return;
    FProcesso->Espera([](const QStringList&) { return false; }, 1);
    const qint64 agora = FRelogio.elapsed();
    const QStringList& linhas = FProcesso->Linhas();
    for (; FLidas < linhas.size(); ++FLidas)
        FLinhas << TLinhaMonitor{agora, linhas[FLidas]};
    const QString& erros = FProcesso->Erros();
    // Whole lines only: the rest waits for its end.
    const qsizetype fim = erros.lastIndexOf(u'\n');
    if (fim >= FErrosLidos) {
        for (const QString& linha : erros.mid(FErrosLidos, fim - FErrosLidos).split(u'\n', Qt::SkipEmptyParts))
            FLinhas << TLinhaMonitor{agora, QStringLiteral("stderr: ") + linha};
        FErrosLidos = fim + 1;
    }
}

void TMonitorCampanha::Mata()
{
    if (!FProcesso)
        return;
    Le();
    FProcesso->Mata();
    FProcesso->Fim(10000);
    FLinhas << TLinhaMonitor{FRelogio.elapsed(), QStringLiteral("campanha: kill -9")};
    FProcesso.reset();
}

void TMonitorCampanha::Congela()
{
    if (!FProcesso || !FProcesso->Rodando())
        return;
    const qint64 pid = FProcesso->Pid();
    ::kill(pid_t(pid), SIGSTOP);
    // Stopped once /proc says so ("T"); at most a second.
    QFile estado(QStringLiteral("/proc/%1/stat").arg(pid));
    for (int i = 0; i < 100; ++i) {
        if (estado.open(QIODevice::ReadOnly)) {
            const QByteArray linha = estado.readAll();
            estado.close();
            const qsizetype fim = linha.lastIndexOf(')');
            if (fim > 0 && linha.mid(fim + 2, 1) == "T")
                return;
        }
        QThread::msleep(10);
    }
    throw std::runtime_error("o monitor " + FNome.toStdString() + " não parou com SIGSTOP");
}

int TMonitorCampanha::Termina()
{
    if (!FProcesso)
        return -1;
    Le();
    FProcesso->PedeTermino();
    const int status = FProcesso->Fim(30000);
    Le();
    FLinhas << TLinhaMonitor{FRelogio.elapsed(), QStringLiteral("campanha: terminado com status %1").arg(status)};
    FProcesso.reset();
    return status;
}

QStringList TMonitorCampanha::LinhasEntre(qint64 deMs, qint64 ateMs) const
{
    QStringList linhas;
    for (const TLinhaMonitor& linha : FLinhas)
        if (linha.Ms >= deMs && linha.Ms <= ateMs && !linha.Texto.startsWith(QLatin1String("campanha: ")))
            linhas << linha.Texto;
    return linhas;
}

TRespostaCampanha PedidoHttp(int porta, const QByteArray& metodo, const QByteArray& caminho, int limiteMs)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(porta));
    if (!socket.waitForConnected(limiteMs))
        return {};
    socket.write(metodo + ' ' + caminho
                 + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    QElapsedTimer relogio;
    relogio.start();
    QByteArray dados;
    qsizetype fimCabecalho = -1;
    qsizetype tamanho = -1;
    while (relogio.elapsed() < limiteMs) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(limiteMs - relogio.elapsed())))
            break;
        dados += socket.readAll();
        if (fimCabecalho < 0 && (fimCabecalho = dados.indexOf("\r\n\r\n")) >= 0) {
            for (const QByteArray& linha : dados.left(fimCabecalho).split('\n'))
                if (linha.toLower().startsWith("content-length:"))
                    tamanho = linha.mid(15).trimmed().toLongLong();
        }
        if (fimCabecalho >= 0 && tamanho >= 0 && dados.size() >= fimCabecalho + 4 + tamanho)
            break;
    }
    if (fimCabecalho < 0)
        return {};
    return {dados.left(dados.indexOf("\r\n")).split(' ').value(1).toInt(), dados.mid(fimCabecalho + 4)};
}

TServicoCampanha::TServicoCampanha(QString executavel, int porta) : FExecutavel(std::move(executavel)), FPorta(porta) {}

TServicoCampanha::~TServicoCampanha()
{
    if (Rodando()) {
        FProcesso.kill();
        FProcesso.waitForFinished(10000);
    }
}

void TServicoCampanha::Inicia()
{
    FProcesso.setProcessChannelMode(QProcess::MergedChannels);
    FProcesso.start(FExecutavel, {QStringLiteral("--porta"), QString::number(FPorta), QStringLiteral("--endereco"),
                                  QStringLiteral("127.0.0.1"), QStringLiteral("--silencioso")});
    // A port just freed can stay taken a moment: a few tries.
    for (int tentativa = 0; tentativa < 50; ++tentativa) {
        if (FProcesso.waitForReadyRead(200) && FProcesso.readAll().contains("ouvindo em"))
            return;
        if (FProcesso.state() == QProcess::NotRunning) {
            QThread::msleep(200);
            FProcesso.start(FExecutavel, FProcesso.arguments());
        }
    }
    throw std::runtime_error("o serviço SOAP de teste não iniciou na porta " + std::to_string(FPorta) + ": "
                             + FProcesso.readAll().toStdString());
}

void TServicoCampanha::Para()
{
    // Nothing is taken while it is read and stopped: a call in between is
    // refused, never lost from the count.
    Modo({}, {}, QStringLiteral("http"), QStringLiteral("status=503"));
    for (const QJsonValue& pedido : PedidosDoProcesso())
        FAnteriores << pedido.toObject();
    FProcesso.kill();
    FProcesso.waitForFinished(10000);
}

void TServicoCampanha::Modo(const QString& servico, const QString& operacao, const QString& resposta,
                            const QString& extra)
{
    QUrlQuery consulta;
    if (!servico.isEmpty())
        consulta.addQueryItem(QStringLiteral("servico"), servico);
    if (!operacao.isEmpty())
        consulta.addQueryItem(QStringLiteral("operacao"), operacao);
    consulta.addQueryItem(QStringLiteral("resposta"), resposta);
    QString caminho = QStringLiteral("/controle/modo?") + consulta.toString(QUrl::FullyEncoded);
    if (!extra.isEmpty())
        caminho += u'&' + extra;
    const TRespostaCampanha r = PedidoHttp(FPorta, "POST", caminho.toUtf8());
    if (r.Status != 200)
        throw std::runtime_error("o serviço SOAP de teste não aceitou o modo " + caminho.toStdString() + ": "
                                 + std::to_string(r.Status) + " " + r.Corpo.toStdString());
}

QJsonArray TServicoCampanha::PedidosDoProcesso()
{
    const TRespostaCampanha r = PedidoHttp(FPorta, "GET", "/controle/pedidos", 60000);
    if (r.Status != 200)
        throw std::runtime_error("o serviço SOAP de teste não deu os pedidos recebidos");
    return QJsonDocument::fromJson(r.Corpo).array();
}

QList<QJsonObject> TServicoCampanha::Pedidos()
{
    QList<QJsonObject> pedidos = FAnteriores;
    if (Rodando())
        for (const QJsonValue& pedido : PedidosDoProcesso())
            pedidos << pedido.toObject();
    return pedidos;
}

QString TServicoCampanha::Local(const QString& interface) const
{
    return QStringLiteral("http://127.0.0.1:%1/integracao/%2?wsdl").arg(FPorta).arg(interface);
}
