// The seeded fault campaign: the three integrations, each a quelix
// --sem-janela of its own on server instances of the campaign's own, fed a
// steady stream of records while faults drawn from the seed come one after
// another. Then the faults stop, the monitors empty their queues, and every
// record is checked by its key: at its destination exactly once, the
// kitchen's stock right, no row failed that the other side did not refuse,
// every record in the journal, every fault said.
//
// QX_CAMPANHA_SEMENTE and QX_CAMPANHA_MINUTOS choose the run
// (scripts/campanha-falhas.sh SEMENTE MINUTOS); the suite runs a short one.
#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "CenarioBruma.h"
#include "CenariosCampanha.h"
#include "InstanciasPrivadas.h"
#include "PlanoFalhas.h"
#include "ProcessosCampanha.h"

#include "AplicacaoTeste.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);


constexpr int IntervaloMs = 1500;
constexpr int PassoFluxoMs = 1000;
// The queues empty within this once the faults stop; a hung call takes the
// service's whole-call limit (60 s) before its row is tried again.
constexpr int LimiteEsvaziarMs = 100000;
// A monitor's reaction to a fault comes within this after its end (a call
// that hangs is given up 60 s after it went out).
constexpr int FolgaLinhaMs = 15000;
constexpr int FolgaChamadaPresaMs = 65000;

enum { Bruma = 0, Vapora = 1, Eas = 2 };

void Escreve(const QString& texto)
{
    std::fputs(texto.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void Comando(const QString& programa, const QStringList& argumentos)
{
    QProcess p;
    p.start(programa, argumentos);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error((programa + u' ' + argumentos.join(u' ') + QStringLiteral(" falhou: ")
                                  + QString::fromUtf8(p.readAllStandardError()))
                                     .toStdString());
}

QString Ambiente(const char* nome, const QString& padrao)
{
    const QString valor = qEnvironmentVariable(nome);
    return valor.isEmpty() ? padrao : valor;
}

// The campaign's own servers and service, below the ephemeral range, apart
// from every other test's; a second campaign (a long run beside the suite)
// takes others from the environment.
const QString Estado = Ambiente("QX_CAMPANHA_ESTADO", QStringLiteral("/var/tmp/quelix-campanha"));
const int PortaPg = Ambiente("QX_CAMPANHA_PORTA_PG", QStringLiteral("29462")).toInt();
const int PortaFb = Ambiente("QX_CAMPANHA_PORTA_FB", QStringLiteral("29070")).toInt();
const int PortaSoap = Ambiente("QX_CAMPANHA_PORTA_SOAP", QStringLiteral("29041")).toInt();

// A fault as it was applied, with the moments it really began and ended.
struct TFalhaAplicada {
    TFalha Plano;
    qint64 InicioMs = 0;
    qint64 FimMs = 0;
    int Numero = 0;
};

class TCampanha {
public:
    TCampanha(std::uint64_t semente, double minutos) : FSemente(semente), FMinutos(minutos), FSorteio(semente ^ 0x5eed) {}
    ~TCampanha();

    void Prepara();
    void Roda();
    void Esvazia();
    void Encerra();
    int Confere();

private:
    void Aplica(const TFalhaAplicada& falha);
    void Desfaz(const TFalhaAplicada& falha);
    void Fluxo();
    void LeMonitores();
    TContagem FaltamAgora(int monitor) const;
    void MataGuardandoOGrupo(int monitor);
    bool DiarioGravando(int monitor) const;
    void Rastreia(int monitor, int numeroFalha);
    bool FimDoRastro();
    TContagem Feitos(int monitor) const;
    int Pendentes() const;
    void EncheLogs(int monitor);
    void LiberaLogs(int monitor);
    QStringList FaltasNaoDitas(const QList<QJsonObject>& pedidos) const;

    std::uint64_t FSemente;
    double FMinutos;
    TSorteio FSorteio;
    QElapsedTimer FRelogio;
    std::unique_ptr<TInstanciasPrivadas> FInstancias;
    std::unique_ptr<TServicoCampanha> FServico;
    std::unique_ptr<TCenarioBruma> FBruma;
    std::unique_ptr<TCenarioVapora> FVapora;
    std::unique_ptr<TCenarioEas> FEas;
    std::vector<std::unique_ptr<TMonitorCampanha>> FMonitores;
    QString FResultados;
    QList<TFalhaAplicada> FAplicadas;
    TContagem FPerdoados[3];
    // Records that waited in memory for a journal that could not be
    // written, its failure said, when the monitor was killed.
    TContagem FPerdidosNaMemoria[3];
    // What each monitor's journal lacked when its last process ended: lost
    // for good then, and not the group of a later kill.
    TContagem FPerdidosAteAgora[3];
    // A trace of a monitor's failing writes while its Logs/ is full, and
    // whether each such fault met one (see Rastreia).
    std::unique_ptr<QProcess> FRastro;
    QString FArquivoRastro;
    QMap<int, bool> FLogsSentidos;
    // Marks the kitchen had refused when each refusal fault began, and
    // whether it refused one meanwhile.
    int FRecusadasAntes = 0;
    QMap<int, bool> FMarcasSentidas;
    int FLotesBruma = 0;
    bool FFirebirdParado = false;
    bool FPostgresParado = false;
    bool FMontados[3] = {false, false, false};
};

void TCampanha::Prepara()
{
    FInstancias = std::make_unique<TInstanciasPrivadas>(Estado, PortaPg, PortaFb);
    FInstancias->Inicia();
    FInstancias->Exporta();
    // A commit the server acknowledged stays, as on a production server.
    BancoTeste::executaSqlPostgres(AmbienteTeste::pgBanco(), QStringLiteral("ALTER SYSTEM SET synchronous_commit = on;\n"
                                                                             "SELECT pg_reload_conf();"));
    FResultados = Estado + QStringLiteral("/execucao-%1").arg(FSemente);
    for (const char* nome : {"bruma", "vapora", "eas"})
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-q"), FResultados + u'/' + QLatin1String(nome) + QStringLiteral("/Logs")});
    QDir(FResultados).removeRecursively();
    QDir().mkpath(FResultados);

    FServico = std::make_unique<TServicoCampanha>(QStringLiteral(QUELIX_SERVICO_SOAP), PortaSoap);
    FServico->Inicia();
    FBruma = std::make_unique<TCenarioBruma>();
    FVapora = std::make_unique<TCenarioVapora>();
    FEas = std::make_unique<TCenarioEas>();

    const QString inis[3] = {FBruma->Ini(), FVapora->Ini(PortaSoap), FEas->Ini()};
    const char* nomes[3] = {"bruma", "vapora", "eas"};
    for (int i = 0; i < 3; ++i) {
        const QString pasta = FResultados + u'/' + QLatin1String(nomes[i]);
        QDir().mkpath(pasta + QStringLiteral("/Logs"));
        QFile ini(pasta + QStringLiteral("/QX.ini"));
        if (!ini.open(QIODevice::WriteOnly))
            throw std::runtime_error("não foi possível escrever " + ini.fileName().toStdString());
        ini.write(inis[i].toUtf8());
        ini.close();
        // Logs/ on a small file system of its own, which a fault fills.
        Comando(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                          QStringLiteral("size=16m"), QStringLiteral("tmpfs"), pasta + QStringLiteral("/Logs")});
        FMontados[i] = true;
        FMonitores.push_back(std::make_unique<TMonitorCampanha>(QString::fromLatin1(nomes[i]),
                                                                QStringLiteral(QUELIX_EXECUTAVEL), pasta, IntervaloMs, FRelogio));
    }
}

// Whatever happened, the servers go on, the monitors and the service stop,
// the journals and daily logs are kept beside the lines, and the small file
// systems come off.
TCampanha::~TCampanha()
{
    if (FRastro) {
        FRastro->terminate();
        FRastro->waitForFinished(10000);
    }
    try {
        if (FFirebirdParado)
            FInstancias->Descongela(QStringLiteral("firebird"));
        if (FPostgresParado)
            FInstancias->Descongela(QStringLiteral("postgres"));
    } catch (...) {
    }
    for (std::size_t i = 0; i < FMonitores.size(); ++i) {
        if (FMonitores[i]->Rodando())
            FMonitores[i]->Mata();
        if (!FMontados[i])
            continue;
        const QString logs = FMonitores[i]->Pasta() + QStringLiteral("/Logs");
        QFile::remove(logs + QStringLiteral("/enche"));
        QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), logs, FMonitores[i]->Pasta() + QStringLiteral("/Logs-copia")});
        QProcess::execute(QStringLiteral("umount"), {logs});
    }
    FMonitores.clear();
    FServico.reset();
    FEas.reset();
    FVapora.reset();
    FBruma.reset();
    if (FInstancias) {
        try {
            FInstancias->Para();
        } catch (...) {
        }
    }
}

void TCampanha::LeMonitores()
{
    QCoreApplication::processEvents();
    for (auto& monitor : FMonitores)
        monitor->Le();
}

void TCampanha::Fluxo()
{
    if (!FFirebirdParado) {
        const int lotes = FSorteio.Entre(1, 3);
        FBruma->InsereLotes(FLotesBruma + 1, FLotesBruma + lotes);
        FLotesBruma += lotes;
        FVapora->Insere(FSorteio, FSorteio.Entre(1, 2));
        FEas->InsereNoErp(FSorteio);
    }
    if (!FPostgresParado && !FFirebirdParado)
        FEas->InsereNoHost(FSorteio);
}

void TCampanha::EncheLogs(int monitor)
{
    QFile enche(FMonitores[monitor]->Pasta() + QStringLiteral("/Logs/enche"));
    if (!enche.open(QIODevice::WriteOnly))
        throw std::runtime_error("não foi possível encher " + enche.fileName().toStdString());
    const QByteArray bloco(64 * 1024, 'x');
    while (enche.write(bloco) == bloco.size() && enche.flush()) {
    }
    enche.close();
}

void TCampanha::LiberaLogs(int monitor)
{
    QFile::remove(FMonitores[monitor]->Pasta() + QStringLiteral("/Logs/enche"));
}

TContagem TCampanha::Feitos(int monitor) const
{
    switch (monitor) {
    case Bruma: {
        TContagem feitos;
        for (const QString& lote : FBruma->NumerosNaFila())
            ++feitos[lote];
        return feitos;
    }
    case Vapora:
        return FVapora->Feitos();
    default:
        return FEas->Feitos();
    }
}

// Records the databases show done and the monitor's journal does not hold.
TContagem TCampanha::FaltamAgora(int monitor) const
{
    const TContagem feitos = Feitos(monitor);
    const TContagem diario = LeDiario(QStringLiteral(QUELIX_EXECUTAVEL), FMonitores[monitor]->Pasta(), monitor == Eas);
    TContagem faltam;
    for (auto i = feitos.cbegin(); i != feitos.cend(); ++i)
        if (i.value() > diario.value(i.key()))
            faltam[i.key()] = i.value() - diario.value(i.key());
    return faltam;
}

// Whether the journal of the monitor's current process takes writes: no
// failure said since it started, or its recovery said after it.
bool TCampanha::DiarioGravando(int monitor) const
{
    const QList<TLinhaMonitor>& linhas = FMonitores[monitor]->Linhas();
    for (qsizetype i = linhas.size() - 1; i >= 0; --i) {
        const QString& texto = linhas[i].Texto;
        if (texto.contains(QStringLiteral("Histórico voltou a ser gravado")) || texto == QLatin1String("campanha: monitor iniciado"))
            return true;
        if (texto.contains(QStringLiteral("Histórico não pôde ser")))
            return false;
    }
    return true;
}

// A monitor killed in a cycle loses the journal's group in progress: the
// records it handled and had not yet committed to the journal. They are
// missing from the journal already before the kill, so they cannot be told
// by comparing before and after it. The monitor is stopped first (SIGSTOP):
// from then on it commits nothing, neither to the databases nor to the
// journal, so what the databases hold done and the journal lacks at that
// moment is exactly what only its memory held. Less what was missing for
// good when its previous process ended (lost then, and counted then), that
// is the group the kill loses, and is not counted as unsaid. Records that
// waited in memory because the journal could not be written (a full Logs/
// freed a moment before the kill, the journal not yet tried again) are no
// group, but the monitor said of them what is known: that the journal
// failed and that they wait in memory until it comes back. A kill leaves
// nothing to say it with; they are counted apart, by name, in the report.
void TCampanha::MataGuardandoOGrupo(int monitor)
{
    FMonitores[monitor]->Congela();
    const TContagem naMemoria = FaltamAgora(monitor);
    const bool gravando = DiarioGravando(monitor);
    FMonitores[monitor]->Mata();
    for (auto i = naMemoria.cbegin(); i != naMemoria.cend(); ++i) {
        const int novos = i.value() - FPerdidosAteAgora[monitor].value(i.key());
        if (novos > 0)
            (gravando ? FPerdoados : FPerdidosNaMemoria)[monitor][i.key()] += novos;
    }
    FPerdidosAteAgora[monitor] = naMemoria;
}

// A full Logs/ is felt only by a write that needs a block the file system
// no longer has. SQLite reuses the room its files already hold (a WAL
// starts over at its head after a checkpoint; freed pages are reused), so
// a journal can take every write through a whole fault, and then the
// monitor has nothing to say. Whether the fault was felt is asked of the
// kernel: the monitor's writes that failed while Logs/ was full are traced
// (strace, failed calls only), and the fault was felt when one of them
// failed for want of room (ENOSPC). One is left aside: a write into the
// journal's main file, which only SQLite's automatic checkpoint makes; it
// fails quietly (the records are safe in the WAL, and the checkpoint is
// tried again later), and the monitor never hears of it. A full WAL, the
// daily log or any other file of Logs/ reaches the monitor, and must be said.
void TCampanha::Rastreia(int monitor, int numeroFalha)
{
    const qint64 pid = FMonitores[monitor]->Pid();
    if (pid <= 0)
        return;
    FArquivoRastro = FResultados + QStringLiteral("/falha-%1.strace").arg(numeroFalha);
    FRastro = std::make_unique<QProcess>();
    FRastro->setReadChannel(QProcess::StandardError);
    FRastro->start(QStringLiteral("strace"),
                   {QStringLiteral("-f"), QStringLiteral("-Z"), QStringLiteral("-y"), QStringLiteral("-e"),
                    QStringLiteral("trace=write,pwrite64,writev,pwritev,pwritev2,fallocate,ftruncate,fsync,fdatasync,"
                                   "openat,mkdir,mkdirat,rename,renameat,renameat2"),
                    QStringLiteral("-o"), FArquivoRastro, QStringLiteral("-p"), QString::number(pid)});
    // Its writes are seen once strace says it is attached.
    QByteArray erros;
    QElapsedTimer espera;
    espera.start();
    while (!erros.contains("attached") && espera.elapsed() < 10000) {
        if (FRastro->state() == QProcess::NotRunning)
            break;
        FRastro->waitForReadyRead(100);
        erros += FRastro->readAllStandardError();
    }
    if (!erros.contains("attached"))
        throw std::runtime_error("strace não se ligou ao monitor " + FMonitores[monitor]->Nome().toStdString() + ": "
                                 + erros.toStdString() + FRastro->errorString().toStdString());
}

// The trace ends (strace lets the monitor go on); whether it met a write
// that failed for want of room in Logs/.
bool TCampanha::FimDoRastro()
{
    if (!FRastro)
        return true;
    FRastro->terminate();
    if (!FRastro->waitForFinished(10000)) {
        FRastro->kill();
        FRastro->waitForFinished(5000);
    }
    FRastro.reset();
    QFile arquivo(FArquivoRastro);
    if (!arquivo.open(QIODevice::ReadOnly))
        throw std::runtime_error("o rastro " + FArquivoRastro.toStdString() + " não pôde ser lido");
    bool sentida = false;
    for (const QByteArray& linha : arquivo.readAll().split('\n'))
        sentida = sentida || (linha.contains("ENOSPC") && !linha.contains("/historico.sqlite>"));
    return sentida;
}

void TCampanha::Aplica(const TFalhaAplicada& aplicada)
{
    const TFalha& falha = aplicada.Plano;
    // A mark in the service's requests: what it answered from here on
    // belongs to this fault.
    PedidoHttp(PortaSoap, "GET", "/campanha/falha-" + QByteArray::number(aplicada.Numero));
    switch (falha.Tipo) {
    case TTipoFalha::Kill9:
        MataGuardandoOGrupo(falha.Alvo);
        break;
    case TTipoFalha::CongelaFirebird:
        FInstancias->Congela(QStringLiteral("firebird"));
        FFirebirdParado = true;
        break;
    case TTipoFalha::CongelaPostgres:
        FInstancias->Congela(QStringLiteral("postgres"));
        FPostgresParado = true;
        break;
    case TTipoFalha::ServicoRecusa:
        FServico->Para();
        break;
    case TTipoFalha::ServicoMudo:
        FServico->Modo({}, {}, QStringLiteral("mudo"));
        break;
    case TTipoFalha::ServicoCortada:
        FServico->Modo({}, {}, QStringLiteral("cortada"));
        break;
    case TTipoFalha::ServicoCortadaSemTamanho:
        FServico->Modo({}, {}, QStringLiteral("cortada-sem-tamanho"));
        break;
    case TTipoFalha::Servico400: {
        const QStringList operacao = OperacoesSoap()[falha.Alvo].split(u'.');
        FServico->Modo(operacao[0], operacao[1], QStringLiteral("http"), QStringLiteral("status=400"));
        break;
    }
    case TTipoFalha::ServicoHtmlDescricao:
        // The descriptions are read once per process: a monitor started
        // now meets the page.
        FServico->Modo({}, {}, QStringLiteral("html"), QStringLiteral("descricao=1"));
        FMonitores[Vapora]->Termina();
        // What its journal lacks now is lost for good (not a kill's group).
        FPerdidosAteAgora[Vapora] = FaltamAgora(Vapora);
        FMonitores[Vapora]->Inicia();
        break;
    case TTipoFalha::HostRecusaMarcas:
        FRecusadasAntes = FEas->MarcasRecusadas();
        FEas->RecusaMarcas(true);
        break;
    case TTipoFalha::LogsCheio:
        Rastreia(falha.Alvo, aplicada.Numero);
        EncheLogs(falha.Alvo);
        break;
    }
}

void TCampanha::Desfaz(const TFalhaAplicada& aplicada)
{
    const TFalha& falha = aplicada.Plano;
    switch (falha.Tipo) {
    case TTipoFalha::Kill9:
        FMonitores[falha.Alvo]->Inicia();
        break;
    case TTipoFalha::CongelaFirebird:
        FInstancias->Descongela(QStringLiteral("firebird"));
        FFirebirdParado = false;
        break;
    case TTipoFalha::CongelaPostgres:
        FInstancias->Descongela(QStringLiteral("postgres"));
        FPostgresParado = false;
        break;
    case TTipoFalha::ServicoRecusa:
        FServico->Inicia();
        break;
    case TTipoFalha::ServicoMudo:
    case TTipoFalha::ServicoCortada:
    case TTipoFalha::ServicoCortadaSemTamanho:
        FServico->Modo({}, {}, QStringLiteral("sucesso"));
        break;
    case TTipoFalha::Servico400: {
        const QStringList operacao = OperacoesSoap()[falha.Alvo].split(u'.');
        FServico->Modo(operacao[0], operacao[1], QStringLiteral("sucesso"));
        break;
    }
    case TTipoFalha::ServicoHtmlDescricao:
        FServico->Modo({}, {}, QStringLiteral("sucesso"), QStringLiteral("descricao=1"));
        break;
    case TTipoFalha::HostRecusaMarcas:
        FMarcasSentidas[aplicada.Numero] = FEas->MarcasRecusadas() > FRecusadasAntes;
        FEas->RecusaMarcas(false);
        break;
    case TTipoFalha::LogsCheio:
        FLogsSentidos[aplicada.Numero] = FimDoRastro();
        LiberaLogs(falha.Alvo);
        break;
    }
}

void TCampanha::Roda()
{
    const int duracaoMs = int(FMinutos * 60000);
    const QList<TFalha> plano = PlanoFalhas(FSemente, duracaoMs);
    Escreve(QStringLiteral("Campanha de falhas: semente %1, %2 min, %3 falhas planejadas (resultados em %4)\n")
                .arg(FSemente)
                .arg(FMinutos)
                .arg(plano.size())
                .arg(FResultados));
    for (const TFalha& falha : plano)
        Escreve(QStringLiteral("  plano: ") + DescreveFalha(falha) + u'\n');

    // A first batch, so that every queue has work when the monitors start.
    FBruma->InsereLotes(1, 5);
    FLotesBruma = 5;
    FVapora->Insere(FSorteio, 5);
    FEas->InsereNoErp(FSorteio);
    FEas->InsereNoHost(FSorteio);

    FRelogio.start();
    for (auto& monitor : FMonitores)
        monitor->Inicia();

    qsizetype proxima = 0;
    std::optional<TFalhaAplicada> emCurso;
    qint64 proximoFluxo = 0;
    while (FRelogio.elapsed() < duracaoMs || emCurso) {
        LeMonitores();
        const qint64 agora = FRelogio.elapsed();
        if (emCurso && agora >= emCurso->InicioMs + emCurso->Plano.DuracaoMs) {
            Desfaz(*emCurso);
            emCurso->FimMs = FRelogio.elapsed();
            FAplicadas << *emCurso;
            Escreve(QStringLiteral("  %1 s: fim de %2\n").arg(emCurso->FimMs / 1000.0, 0, 'f', 1).arg(NomeFalha(emCurso->Plano.Tipo)));
            emCurso.reset();
        }
        if (!emCurso && proxima < plano.size() && agora >= plano[proxima].InicioMs) {
            TFalhaAplicada aplicada{plano[proxima], agora, 0, int(proxima) + 1};
            ++proxima;
            Escreve(QStringLiteral("  %1 s: falha %2: %3\n")
                        .arg(agora / 1000.0, 0, 'f', 1)
                        .arg(aplicada.Numero)
                        .arg(DescreveFalha(aplicada.Plano)));
            Aplica(aplicada);
            emCurso = aplicada;
        }
        if (agora >= proximoFluxo && agora < duracaoMs) {
            Fluxo();
            proximoFluxo = agora + PassoFluxoMs;
        }
        QThread::msleep(50);
    }
}

int TCampanha::Pendentes() const
{
    return FBruma->Pendentes() + FVapora->Pendentes() + FEas->Pendentes();
}

void TCampanha::Esvazia()
{
    const qint64 inicio = FRelogio.elapsed();
    int pendentes = -1;
    while (FRelogio.elapsed() - inicio < LimiteEsvaziarMs) {
        for (int i = 0; i < 20; ++i) {
            LeMonitores();
            QThread::msleep(100);
        }
        pendentes = Pendentes();
        if (pendentes == 0)
            break;
    }
    // One more cycle each, for what was marked last to reach the journal.
    for (int i = 0; i < 2 * IntervaloMs / 100; ++i) {
        LeMonitores();
        QThread::msleep(100);
    }
    Escreve(QStringLiteral("Filas %1 em %2 s depois das falhas (%3 pendentes)\n")
                .arg(pendentes == 0 ? QStringLiteral("vazias") : QStringLiteral("NÃO esvaziaram"))
                .arg((FRelogio.elapsed() - inicio) / 1000)
                .arg(pendentes));
}

void TCampanha::Encerra()
{
    for (auto& monitor : FMonitores) {
        if (monitor->Rodando())
            monitor->Termina();
        QFile linhas(FResultados + u'/' + monitor->Nome() + QStringLiteral(".linhas"));
        if (linhas.open(QIODevice::WriteOnly))
            for (const TLinhaMonitor& linha : monitor->Linhas())
                linhas.write(QStringLiteral("%1 %2\n").arg(linha.Ms / 1000.0, 8, 'f', 1).arg(linha.Texto).toUtf8());
    }
}

// The lines that say a fault of each kind (a table: the wording of each
// mend decides what the monitor writes).
bool DizFalha(const QString& linha, TTipoFalha tipo)
{
    static const QRegularExpression servico(
        QStringLiteral("inalcan|incomplet|incert|ileg|recus|limite|erro|sem resposta|descri|http|html|pode ter recebido"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression servidor(QStringLiteral("Sem resposta do servidor|Conexão"));
    switch (tipo) {
    case TTipoFalha::CongelaFirebird:
    case TTipoFalha::CongelaPostgres:
        return servidor.match(linha).hasMatch();
    case TTipoFalha::HostRecusaMarcas:
        return linha.contains(QLatin1String("FTOHOST")) && (linha.contains(QLatin1String("ERRO")) || linha.contains(QLatin1String("recus")));
    case TTipoFalha::LogsCheio:
        return linha.contains(QStringLiteral("Histórico"));
    default:
        return servico.match(linha).hasMatch();
    }
}

QStringList TCampanha::FaltasNaoDitas(const QList<QJsonObject>& pedidos) const
{
    // The service's answers between each fault's mark and the next.
    std::map<int, QStringList> respostas;
    int falha = 0;
    for (const QJsonObject& pedido : pedidos) {
        const QString alvo = pedido.value(QStringLiteral("alvo")).toString();
        if (alvo.startsWith(QLatin1String("/campanha/falha-")))
            falha = alvo.mid(16).toInt();
        else
            respostas[falha] << pedido.value(QStringLiteral("resposta")).toString();
    }

    QStringList naoDitas;
    for (const TFalhaAplicada& aplicada : FAplicadas) {
        const TFalha& f = aplicada.Plano;
        QList<int> monitores;
        bool exigida = true;
        qint64 ate = aplicada.FimMs + FolgaLinhaMs;
        const QStringList& doServico = respostas[aplicada.Numero];
        switch (f.Tipo) {
        case TTipoFalha::Kill9:
            // The process dies without a word; its lost journal group is
            // accounted for apart.
            exigida = false;
            break;
        case TTipoFalha::CongelaFirebird:
            monitores = {Bruma, Vapora, Eas};
            exigida = f.DuracaoMs > 65000;  // past the Firebird call limit
            break;
        case TTipoFalha::CongelaPostgres:
            monitores = {Bruma, Eas};
            exigida = f.DuracaoMs > 35000;  // past the PostgreSQL call limit
            break;
        case TTipoFalha::ServicoRecusa:
            monitores = {Vapora};
            break;
        case TTipoFalha::ServicoHtmlDescricao:
            monitores = {Vapora};
            // Felt when the service served the page to a description's
            // fetch. The monitor is stopped and started to meet it; a stop
            // that waits for a call in progress can outlast the fault.
            exigida = doServico.contains(QStringLiteral("descricao: html"));
            break;
        case TTipoFalha::ServicoMudo:
            monitores = {Vapora};
            exigida = doServico.contains(QStringLiteral("mudo"));
            ate = std::max(ate, aplicada.InicioMs + FolgaChamadaPresaMs + FolgaLinhaMs);
            break;
        case TTipoFalha::ServicoCortada:
            monitores = {Vapora};
            exigida = doServico.contains(QStringLiteral("cortada"));
            break;
        case TTipoFalha::ServicoCortadaSemTamanho:
            monitores = {Vapora};
            exigida = doServico.contains(QStringLiteral("cortada-sem-tamanho"));
            break;
        case TTipoFalha::Servico400:
            monitores = {Vapora};
            exigida = doServico.contains(QStringLiteral("HTTP 400"));
            break;
        case TTipoFalha::HostRecusaMarcas: {
            monitores = {Eas};
            // Felt when the kitchen refused a mark meanwhile (its own count).
            // The monitor's lines cannot tell: they are stamped when the
            // campaign reads them, and those of the cycle that marked its
            // events just before the fault are read just after it began.
            exigida = FMarcasSentidas.value(aplicada.Numero, true);
            break;
        }
        case TTipoFalha::LogsCheio:
            monitores = {f.Alvo};
            exigida = FLogsSentidos.value(aplicada.Numero, true);
            break;
        }
        if (!exigida)
            continue;
        bool dita = false;
        for (const int m : monitores)
            for (const QString& linha : FMonitores[m]->LinhasEntre(aplicada.InicioMs, ate))
                dita = dita || DizFalha(linha, f.Tipo);
        if (!dita)
            naoDitas << QStringLiteral("falha %1 (%2) sem linha do monitor").arg(aplicada.Numero).arg(DescreveFalha(f));
    }
    return naoDitas;
}

int TCampanha::Confere()
{
    const QList<QJsonObject> pedidos = FServico->Pedidos();
    TAchados achados;
    // Bruma: every lot once in the queue and marked sent.
    QStringList lotes;
    for (int i = 1; i <= FLotesBruma; ++i)
        lotes << TCenarioBruma::NumeroLote(i);
    for (const QString& divergencia : FBruma->Divergencias(lotes)) {
        if (divergencia.contains(QLatin1String(": 0 vezes")) || divergencia.contains(QStringLiteral("não marcado")))
            achados.Perdidos << QStringLiteral("Bruma lote ") + divergencia;
        else
            achados.Dobrados << QStringLiteral("Bruma lote ") + divergencia;
    }
    QStringList linhasVapora;
    for (const TLinhaMonitor& linha : FMonitores[Vapora]->Linhas())
        linhasVapora << linha.Texto;
    achados.Junta(FVapora->Confere(pedidos, linhasVapora));
    achados.Junta(FEas->Confere());

    // The faults first: a journal that stopped leaves many records behind.
    achados.NaoDitos += FaltasNaoDitas(pedidos);
    const char* nomes[3] = {"Bruma", "Vapora", "EAS"};
    int perdoados = 0;
    QStringList naMemoria;
    for (int m = 0; m < 3; ++m) {
        const TContagem diario = LeDiario(QStringLiteral(QUELIX_EXECUTAVEL), FMonitores[m]->Pasta(), m == Eas);
        TContagem aparte = FPerdoados[m];
        for (auto i = FPerdidosNaMemoria[m].cbegin(); i != FPerdidosNaMemoria[m].cend(); ++i)
            aparte[i.key()] += i.value();
        for (const QString& falta : FaltamNoDiario(Feitos(m), diario, aparte))
            achados.NaoDitos << QStringLiteral("%1 %2: fora do histórico").arg(QLatin1String(nomes[m]), falta);
        for (const int n : FPerdoados[m])
            perdoados += n;
        for (auto i = FPerdidosNaMemoria[m].cbegin(); i != FPerdidosNaMemoria[m].cend(); ++i)
            naMemoria << QStringLiteral("%1 %2 (%3)").arg(QLatin1String(nomes[m]), i.key()).arg(i.value());
    }

    // The report.
    QMap<QString, int> porTipo;
    for (const TFalhaAplicada& aplicada : FAplicadas)
        ++porTipo[NomeFalha(aplicada.Plano.Tipo)];
    QString relatorio = QStringLiteral("\n=== Campanha de falhas: semente %1, %2 min ===\n").arg(FSemente).arg(FMinutos);
    relatorio += QStringLiteral("Falhas injetadas: %1\n").arg(FAplicadas.size());
    for (auto i = porTipo.cbegin(); i != porTipo.cend(); ++i)
        relatorio += QStringLiteral("  %1: %2\n").arg(i.key()).arg(i.value());
    relatorio += QStringLiteral("Registros: %1 lotes Bruma, %2 linhas Vapora, %3 consumos EAS (mais materiais, notas e eventos de lote)\n")
                     .arg(FLotesBruma)
                     .arg(FVapora->Inseridas())
                     .arg(FEas->Consumos());
    relatorio += QStringLiteral("Fora do histórico por kill -9 (grupo documentado): %1\n").arg(perdoados);
    relatorio += QStringLiteral("Fora do histórico por kill -9 logo depois de \"Histórico não pôde ser gravado\" (na memória): %1%2\n")
                     .arg(naMemoria.size())
                     .arg(naMemoria.isEmpty() ? QString() : QStringLiteral(": ") + naMemoria.join(QStringLiteral(", ")));
    int logsSentidos = 0;
    for (const bool sentida : FLogsSentidos)
        logsSentidos += sentida;
    relatorio += QStringLiteral("Logs/ cheio sentido por uma escrita (ENOSPC): %1 de %2\n").arg(logsSentidos).arg(FLogsSentidos.size());
    int marcasSentidas = 0;
    for (const bool sentida : FMarcasSentidas)
        marcasSentidas += sentida;
    relatorio += QStringLiteral("Host do EAS recusou uma marca: em %1 de %2 falhas\n").arg(marcasSentidas).arg(FMarcasSentidas.size());
    const auto secao = [&relatorio](const QString& titulo, const QStringList& itens) {
        relatorio += QStringLiteral("%1: %2\n").arg(titulo).arg(itens.size());
        for (qsizetype i = 0; i < itens.size() && i < 25; ++i)
            relatorio += QStringLiteral("  - ") + itens[i] + u'\n';
        if (itens.size() > 25)
            relatorio += QStringLiteral("  ... e mais %1\n").arg(itens.size() - 25);
    };
    secao(QStringLiteral("Perdidos"), achados.Perdidos);
    secao(QStringLiteral("Dobrados"), achados.Dobrados);
    secao(QStringLiteral("Não ditos"), achados.NaoDitos);
    secao(QStringLiteral("Falhas sem recusa do outro lado"), achados.FalhasSemRecusa);
    secao(QStringLiteral("Estoque diferente do inicial menos os consumos"), achados.Estoque);
    relatorio += QStringLiteral("Para repetir: bash scripts/campanha-falhas.sh %1 %2\n").arg(FSemente).arg(FMinutos);
    Escreve(relatorio);
    QFile arquivo(FResultados + QStringLiteral("/relatorio.txt"));
    if (arquivo.open(QIODevice::WriteOnly))
        arquivo.write(relatorio.toUtf8());

    EXPECT_EQ(achados.Perdidos.size(), 0) << "registros perdidos (veja o relatório acima)";
    EXPECT_EQ(achados.Dobrados.size(), 0) << "registros dobrados";
    EXPECT_EQ(achados.NaoDitos.size(), 0) << "registros ou falhas sem linha";
    EXPECT_EQ(achados.FalhasSemRecusa.size(), 0) << "linhas falhadas sem recusa do serviço";
    EXPECT_EQ(achados.Estoque.size(), 0) << "estoque errado";
    return 0;
}

} // namespace

// The suite's short run (seed 24, two minutes) meets every kind of fault.
TEST(PlanoFalhas, AMesmaSementeDaOMesmoPlanoEUmaCurtaTemCadaTipo)
{
    const QList<TFalha> a = PlanoFalhas(24, 120000);
    const QList<TFalha> b = PlanoFalhas(24, 120000);
    ASSERT_EQ(a.size(), b.size());
    QSet<int> tipos;
    for (qsizetype i = 0; i < a.size(); ++i) {
        EXPECT_EQ(DescreveFalha(a[i]), DescreveFalha(b[i]));
        tipos.insert(int(a[i].Tipo));
        if (i > 0) {
            EXPECT_GT(a[i].InicioMs, a[i - 1].FimMs());
        }
    }
    EXPECT_EQ(tipos.size(), TiposDeFalha);
    EXPECT_NE(DescreveFalha(PlanoFalhas(25, 120000).value(0)) + DescreveFalha(PlanoFalhas(25, 120000).value(1)),
              DescreveFalha(a.value(0)) + DescreveFalha(a.value(1)));
}

TEST(CampanhaFalhas, CadaRegistroUmaVezCadaFalhaDita)
{
    const std::uint64_t semente = Ambiente("QX_CAMPANHA_SEMENTE", QStringLiteral("24")).toULongLong();
    const double minutos = Ambiente("QX_CAMPANHA_MINUTOS", QStringLiteral("2.5")).toDouble();
    ASSERT_GT(minutos, 0.2) << "QX_CAMPANHA_MINUTOS: a duração das falhas em minutos";
    TCampanha campanha(semente, minutos);
    try {
        campanha.Prepara();
    } catch (const std::exception& e) {
        FAIL() << "a campanha não pôde começar (servidores em " << Estado.toStdString() << ", PostgreSQL " << PortaPg
               << ", Firebird " << PortaFb << ", serviço SOAP " << PortaSoap << "): " << e.what();
    }
    try {
        campanha.Roda();
        campanha.Esvazia();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "a campanha parou: " << e.what();
        campanha.Encerra();
        return;
    }
    campanha.Encerra();
    campanha.Confere();
}
