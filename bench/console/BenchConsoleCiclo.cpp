// The cycle under a watching browser: a Bruma site of 1 000 pending lots run
// by the monitor as the service runs it (the cycle on the cycle's thread,
// the journal on its own, the console answering on the main loop's
// thread), with a client asking for the console's "Estado" page every
// second, against the same cycle with nobody watching. Goal: the watched
// cycle takes at most 1.05 of the unwatched one's time.
//
// Between two cycles polling is paused and both databases are put back as
// they were, so that every cycle sends the same 1 000 lots. The cycles
// alternate, watched and not, and each side keeps its best.
#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "RelatorGravador.h"
#include "SiteBrumaBench.h"
#include "SiteTeste.h"
#include "app/Integracoes.h"
#include "base/Erros.h"
#include "dblayer/KoDatabase.h"
#include "integracao/Configuracao.h"
#include "monitor/Monitora.h"
#include "operacao/ObservadorCiclo.h"
#include "operacao/ObservadorDiario.h"
#include "servico/console/PaginasDiario.h"
#include "servico/console/ServidorConsole.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

constexpr int TotalLotes = 1000;
constexpr int TotalMaquinas = 10;
constexpr int Rodadas = 5;  // watched and unwatched cycles each, after one to warm up

QString SqlErp() { return SqlErpBruma(TotalLotes, TotalMaquinas); }

void Executa(QSqlDatabase& banco, const QString& sql)
{
    QSqlQuery consulta(banco);
    if (!consulta.exec(sql))
        throw std::runtime_error(consulta.lastError().text().toStdString() + "\n" + sql.toStdString());
    if (!banco.commit())
        throw std::runtime_error(banco.lastError().text().toStdString());
    banco.transaction();
}

// A browser left on the "Estado" page: one GET / a second while it is
// watching, each answer read to its end; every wait is bounded.
class TNavegador {
public:
    explicit TNavegador(quint16 porta) : FPorta(porta), FThread([this] { Laco(); }) {}
    ~TNavegador()
    {
        {
            std::lock_guard<std::mutex> trava(FTrava);
            FbFim = true;
        }
        FSinal.notify_all();
        FThread.join();
    }

    void Olha(bool olhando)
    {
        {
            std::lock_guard<std::mutex> trava(FTrava);
            FbOlhando = olhando;
        }
        FSinal.notify_all();
    }

    int Respostas() const { return FRespostas; }
    int Falhas() const { return FFalhas; }

private:
    void Laco()
    {
        std::unique_lock<std::mutex> trava(FTrava);
        while (!FbFim) {
            if (!FbOlhando) {
                FSinal.wait(trava);
                continue;
            }
            trava.unlock();
            (PedeEstado() ? FRespostas : FFalhas)++;
            trava.lock();
            FSinal.wait_for(trava, std::chrono::seconds(1));
        }
    }

    bool PedeEstado() const
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        if (s < 0)
            return false;
        const timeval limite{10, 0};
        ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limite, sizeof limite);
        ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &limite, sizeof limite);
        sockaddr_in endereco{};
        endereco.sin_family = AF_INET;
        endereco.sin_port = htons(FPorta);
        endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QByteArray resposta;
        if (::connect(s, reinterpret_cast<const sockaddr*>(&endereco), sizeof endereco) == 0) {
            const QByteArray pedido = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\nConnection: close\r\n\r\n";
            if (::send(s, pedido.constData(), size_t(pedido.size()), MSG_NOSIGNAL) == pedido.size()) {
                char bloco[16384];
                for (ssize_t lidos; (lidos = ::recv(s, bloco, sizeof bloco, 0)) > 0;)
                    resposta.append(bloco, qsizetype(lidos));
            }
        }
        ::close(s);
        return resposta.startsWith("HTTP/1.1 200") && resposta.contains("id=\"saude\"");
    }

    const quint16 FPorta;
    std::mutex FTrava;
    std::condition_variable FSinal;
    bool FbOlhando = false;
    bool FbFim = false;
    std::atomic<int> FRespostas{0};
    std::atomic<int> FFalhas{0};
    std::thread FThread;
};

// Each cycle's time, as the monitor tells its observers.
class TMedidor : public TObservadorCiclo {
public:
    std::function<void(const TFimCiclo&)> AoTerminar;
    void CicloIniciado(const TCicloEmAndamento&) override {}
    void CicloTerminado(const TFimCiclo& fim) override { AoTerminar(fim); }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication aplicacao(argc, argv);
    try {
        const SiteTeste::TSiteBruma site = SiteTeste::SiteBruma(SqlErp(), SqlEncadeamentosBruma());
        const quint16 porta = quint16(qEnvironmentVariableIntValue("QX_CONSOLE_PORT") > 0
                                          ? qEnvironmentVariableIntValue("QX_CONSOLE_PORT") : 26795);
        const QString pasta = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("bench_console_ciclo"));
        QDir().mkpath(pasta);
        QFile ini(QDir(pasta).filePath(QStringLiteral("QX.ini")));
        if (!ini.open(QIODevice::WriteOnly)
            || ini.write((site.Ini + QStringLiteral("[Monitor]\nConsole=127.0.0.1:%1\n").arg(porta)).toUtf8()) < 0)
            throw std::runtime_error("QX.ini não pôde ser escrito em " + pasta.toStdString());
        ini.close();

        // What puts the lots back between cycles: connections of its own.
        TKoDatabase erpVolta;
        erpVolta.SetDriverName(QStringLiteral("FB"));
        erpVolta.SetDatabaseName(site.Erp);
        erpVolta.Open();
        QSqlDatabase erp = erpVolta.Conexao();
        QSqlDatabase fila = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("volta_fila"));
        fila.setDatabaseName(site.Dsn);
        fila.setUserName(AmbienteTeste::pgUsuario());
        fila.setPassword(AmbienteTeste::pgSenha());
        if (!fila.open())
            throw std::runtime_error(fila.lastError().text().toStdString());
        erp.transaction();
        fila.transaction();

        // As quelix --sem-janela puts them together (src/app/main.cpp).
        TRelatorGravador relator;
        QStringList avisos;
        TObservadorDiario diario(TConfiguracao(pasta), [&avisos](const QString& aviso) { avisos << aviso; });
        TMonitora monitora(relator, Integracoes(), pasta);
        monitora.AdicionaObservador(&diario);
        TMedidor medidor;
        monitora.AdicionaObservador(&medidor);
        monitora.DefineIntervaloDoAmbiente(QStringLiteral("200"));
        monitora.DefineAposErro(TMonitora::TAposErro::Continua);
        TFontesConsole fontes;
        LigaPaginasDoDiario(fontes, monitora);
        const auto console = TServidorConsole::Inicia(TConfiguracao(pasta), std::move(fontes), relator);
        if (!console)
            throw std::runtime_error("o console não iniciou:\n" + relator.Linhas.join(u'\n').toStdString());
        TNavegador navegador(console->Porta());

        qint64 melhorSozinho = -1, melhorOlhado = -1;
        int ciclos = 0;
        std::string erro;
        medidor.AoTerminar = [&](const TFimCiclo& fim) {
            const qint64 ms = fim.Inicio.msecsTo(fim.Fim);
            const bool olhado = ciclos % 2 == 1;  // the odd ones are watched; the first warms up
            const bool aquecimento = ciclos == 0;
            ++ciclos;
            QTimer::singleShot(0, &monitora, [&, ms, olhado, aquecimento, fim] {
                monitora.DefineMonitorando(false);
                navegador.Olha(false);
                if (!fim.Erro.isEmpty() || fim.Enviados.value_or(0) != TotalLotes || !avisos.isEmpty()) {
                    erro = QStringLiteral("o ciclo não enviou os %1 lotes (%2 enviados): %3\n%4")
                               .arg(TotalLotes).arg(fim.Enviados.value_or(0)).arg(fim.Erro, avisos.join(u'\n'))
                               .toStdString();
                    QCoreApplication::quit();
                    return;
                }
                if (!aquecimento) {
                    std::printf("ciclo %s: %lld ms\n", olhado ? "com o Estado pedido a cada segundo" : "sem ninguém olhando",
                                static_cast<long long>(ms));
                    qint64& melhor = olhado ? melhorOlhado : melhorSozinho;
                    melhor = melhor < 0 ? ms : std::min(melhor, ms);
                }
                if (ciclos > 2 * Rodadas) {
                    QCoreApplication::quit();
                    return;
                }
                try {
                    Executa(erp, QStringLiteral("UPDATE FAL_001 SET STATUS_QX = NULL"));
                    Executa(fila, QStringLiteral("DELETE FROM OB"));
                } catch (const std::exception& e) {
                    erro = e.what();
                    QCoreApplication::quit();
                    return;
                }
                relator.Limpa();
                // The next one is watched from before it starts to its end.
                navegador.Olha(ciclos % 2 == 1);
                monitora.DefineMonitorando(true);
            });
        };

        monitora.AnotaExecucao();
        monitora.Inicia();
        QCoreApplication::exec();
        monitora.Encerra();
        if (!erro.empty())
            throw std::runtime_error(erro);
        if (navegador.Respostas() < Rodadas || navegador.Falhas() > 0)
            throw std::runtime_error("o Estado respondeu " + std::to_string(navegador.Respostas()) + " vezes e falhou "
                                     + std::to_string(navegador.Falhas()));
        std::printf("%d lotes: ciclo sem ninguém olhando %lld ms, com o Estado pedido a cada segundo %lld ms (%d "
                    "respostas), razão %.3f (meta <= 1.05)\n",
                    TotalLotes, static_cast<long long>(melhorSozinho), static_cast<long long>(melhorOlhado),
                    navegador.Respostas(), double(melhorOlhado) / double(std::max<qint64>(melhorSozinho, 1)));
        fila.close();
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench_console_ciclo: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_console_ciclo: %s\n", e.what());
    }
    return 1;
}
