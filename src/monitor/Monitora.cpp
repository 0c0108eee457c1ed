#include "monitor/Monitora.h"

#include "base/Erros.h"
#include "monitor/ArquivoIni.h"

#include <QCoreApplication>

TMonitora::TMonitora(TRelator& relator, const QString& pastaIni)
    : FRelator(relator)
    , FPastaIni(pastaIni)
{
    FTimer1.setInterval(IntervaloTimer);
    FTimer1.setSingleShot(false);
    QObject::connect(&FTimer1, &QTimer::timeout, [this] { Timer1Timer(); });
}

TMonitora::~TMonitora()
{
    FTimer1.stop();
}

void TMonitora::RegistraOperacoes(int indice, TOperacao primeira, TOperacao segunda)
{
    FOperacoes.at(size_t(indice)) = {std::move(primeira), std::move(segunda)};
}

QString TMonitora::LerIni(const QString& secao, const QString& chave,
                          const QString& arquivo) const
{
    const QString pasta = FPastaIni.isEmpty() ? QCoreApplication::applicationDirPath() : FPastaIni;
    return LerValorIni(pasta, secao, chave, arquivo);
}

bool TMonitora::ExisteChaveIni(const QString& secao, const QString& chave,
                               const QString& arquivo) const
{
    const QString pasta = FPastaIni.isEmpty() ? QCoreApplication::applicationDirPath() : FPastaIni;
    return ExisteChaveNoIni(pasta, secao, chave, arquivo);
}

// The application's error guard: what escapes a handler is shown in the
// standard error box; an abort is silent.
bool TMonitora::Protegido(const std::function<void()>& passo)
{
    struct TOcupado {
        TRelator& relator;
        explicit TOcupado(TRelator& r) : relator(r) { relator.IndicaOcupado(true); }
        ~TOcupado() { relator.IndicaOcupado(false); }
    };
    QString erro;
    try {
        TOcupado ocupado(FRelator);
        passo();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const Exception& e) {
        erro = e.Message();
    } catch (const std::exception& e) {
        erro = QString::fromLocal8Bit(e.what());
    } catch (...) {
        // Nothing may leave a handler into the event loop.
        erro = QStringLiteral("Erro inesperado.");
    }
    FRelator.MostraErro(erro);
    return false;
}

bool TMonitora::FormCreate() { return Protegido([this] { ExecutaInicio(); }); }
bool TMonitora::Timer1Timer() { return Protegido([this] { ExecutaCiclo(); }); }
bool TMonitora::BtnLimparClick() { return Protegido([this] { LimpaFila(); }); }
bool TMonitora::PageControl1Change() { return Protegido([this] { AtualizaTabela(); }); }
bool TMonitora::FormClose() { return Protegido([this] { ExecutaFechamento(); }); }

bool TMonitora::RgTipoClick(int indice)
{
    return Protegido([this, indice] {
        DefineIndiceTipo(indice);
        // Picking a machine type pauses polling until the user resumes it;
        // nothing is reconnected.
        FbMonitorando = false;
        DefineTimerAtivo(false);
        FbLimparVisivel = indice == IndiceVapora;
        AvisaMudanca();
    });
}

bool TMonitora::CbMonitoraClick(bool marcado)
{
    return Protegido([this, marcado] {
        FbMonitorando = marcado;
        DefineTimerAtivo(marcado);
        AvisaMudanca();
    });
}

void TMonitora::ExecutaInicio()
{
    if (FDados.KoDatabase1.Connected())
        FDados.KoDatabase1.Close();
    ConfiguraBanco1();

    const QString modelo = LerIni(QStringLiteral("ModeloAtivo"), QStringLiteral("Modelo"));
    const QChar tipo = modelo.isEmpty() ? QChar() : modelo.front();
    if (tipo == QLatin1Char('0')) {
        DefineIndiceTipo(IndiceBruma);
        ConectaBanco2();
    } else if (tipo == QLatin1Char('1')) {
        ConfiguraVapora();  // an error here skips the rest of start-up
        DefineIndiceTipo(IndiceVapora);
    } else if (tipo == QLatin1Char('2')) {
        ConectaBanco3();
        DefineIndiceTipo(IndiceEas);
    }

    FbLimparVisivel = FIndiceTipo == IndiceVapora;
    AvisaMudanca();
    DefineTimerAtivo(true);
}

// One polling cycle. The timer is off for the whole cycle, so cycles never
// overlap; it is enabled again only when both operations returned, so an
// escaping error leaves polling off until "Monitorando" is toggled.
void TMonitora::ExecutaCiclo()
{
    DefineTimerAtivo(false);
    const auto& [primeira, segunda] = FOperacoes.at(size_t(FIndiceTipo));
    if (primeira)
        primeira();
    if (segunda)
        segunda();
    DefineTimerAtivo(true);
}

void TMonitora::LimpaFila()
{
    if (!FRelator.Pergunta(QStringLiteral("Deseja realmente limpar a fila de tarefas pendentes?"),
                           QStringLiteral("Ko Monitor de Tinturarias")))
        return;
    TKoQuery& qry = FDados.QryExec1;
    qry.Close();
    qry.SQL.Clear();
    qry.SQL.Add(QStringLiteral("UPDATE QX_INTEGRA SET"));
    qry.SQL.Add(QStringLiteral("STATUS = 3"));
    qry.SQL.Add(QStringLiteral("WHERE (STATUS = 0 OR STATUS IS NULL)"));
    qry.TryExecSQL();
    FDados.KoDatabase1.CommitRetaining();
}

void TMonitora::AtualizaTabela()
{
    if (FIndiceTipo == IndiceVapora)
        AbreFilaFiltrada();
}

// The queue view shows the rows still waiting: STATUS 0 (an empty STATUS is
// not shown).
void TMonitora::AbreFilaFiltrada()
{
    TKoTable& tabela = FDados.TbQxIntegra;
    tabela.Close();
    tabela.TableName = QStringLiteral("QX_INTEGRA");
    tabela.SetDatabase(&FDados.KoDatabase1);
    tabela.Filtered = false;
    tabela.Filter = QStringLiteral("STATUS = 0");
    tabela.Filtered = true;
    tabela.Open();
    AvisaMudanca();
}

void TMonitora::ExecutaFechamento()
{
    FTimer1.stop();
    if (FDados.KoDatabase2.Connected())
        FDados.KoDatabase2.Close();
    // The queue view reads through the ERP connection: it goes first.
    FDados.TbQxIntegra.Close();
    if (FDados.KoDatabase1.Connected())
        FDados.KoDatabase1.Close();
}

void TMonitora::DefineTimerAtivo(bool ativo)
{
    // As a toolkit timer: enabling an enabled timer does not restart its count.
    if (ativo == FTimer1.isActive())
        return;
    if (ativo)
        FTimer1.start();
    else
        FTimer1.stop();
    AvisaMudanca();
}

void TMonitora::DefineIndiceTipo(int indice)
{
    if (indice < IndiceBruma || indice > IndiceEas)
        throw Exception(QStringLiteral("Tipo de máquina inválido: %1").arg(indice));
    FIndiceTipo = indice;
}

void TMonitora::AvisaMudanca()
{
    if (EstadoMudou)
        EstadoMudou();
}
