#pragma once

#include "monitor/ComponentesDados.h"
#include "monitor/LocaisVapora.h"
#include "monitor/Relator.h"

#include <QString>
#include <QTimer>

#include <array>
#include <functional>

// The monitor core: everything the main window does, without the window.
// It owns the data components, the polling timer and the window fields the
// integrations read, and holds the state of the window's controls (the type
// selector, "Monitorando" and the visibility of "Limpar fila"). The window,
// the headless modes and the tests drive it through the event handlers below
// and show its state.
class TMonitora {
public:
    using TOperacao = std::function<void()>;

    // Interval of Timer1: a cycle starts 59 s after the end of the previous one.
    static constexpr int IntervaloTimer = 59000;
    static constexpr int IndiceBruma = 0;
    static constexpr int IndiceVapora = 1;
    static constexpr int IndiceEas = 2;

    // `pastaIni` is the folder of QX.ini; empty for the executable's folder.
    explicit TMonitora(TRelator& relator, const QString& pastaIni = {});
    ~TMonitora();
    TMonitora(const TMonitora&) = delete;
    TMonitora& operator=(const TMonitora&) = delete;

    // The two integration operations a cycle runs for a selector index, first
    // then second. An index without operations runs an empty cycle.
    void RegistraOperacoes(int indice, TOperacao primeira, TOperacao segunda);

    TComponentesDados& Dados() { return FDados; }
    TRelator& Relator() { return FRelator; }

    // Window fields read by the EAS integration.
    QString sSchema;
    bool bGravaEstoque = false;
    // Locations of the web-service clients, read by the Vapora integration.
    TLocaisVapora LocaisVapora;

    // Configuration reading, from QX.ini in the configured folder.
    QString LerIni(const QString& secao, const QString& chave,
                   const QString& arquivo = QStringLiteral("QX.ini")) const;
    bool ExisteChaveIni(const QString& secao, const QString& chave,
                        const QString& arquivo = QStringLiteral("QX.ini")) const;
    QString PastaIni() const { return FPastaIni; }

    // Event handlers. Each runs under the application's error guard: an error
    // that escapes is shown in the standard error box. They return false when
    // an error escaped.
    bool FormCreate();
    bool Timer1Timer();
    bool RgTipoClick(int indice);
    bool CbMonitoraClick(bool marcado);
    bool BtnLimparClick();
    bool PageControl1Change();
    bool FormClose();

    // The same steps without the guard: errors escape to the caller.
    void ExecutaInicio();
    void ExecutaCiclo();
    void LimpaFila();
    void AtualizaTabela();
    void ExecutaFechamento();

    // Start-up steps on the connections (the configuration file's rules).
    void ConfiguraBanco1();
    void ConectaBanco2();
    void ConectaBanco3();
    void ConfiguraVapora();

    // State of the window's controls.
    int IndiceTipo() const { return FIndiceTipo; }
    bool Monitorando() const { return FbMonitorando; }
    bool LimparVisivel() const { return FbLimparVisivel; }
    QTimer& Timer1() { return FTimer1; }
    bool TimerAtivo() const { return FTimer1.isActive(); }

    // Called after every change of the state above, so a window can show it.
    std::function<void()> EstadoMudou;

private:
    bool Protegido(const std::function<void()>& passo);
    void DefineTimerAtivo(bool ativo);
    void DefineIndiceTipo(int indice);
    void AvisaMudanca();
    void AbreFilaFiltrada();

    TRelator& FRelator;
    QString FPastaIni;
    TComponentesDados FDados;
    QTimer FTimer1;
    int FIndiceTipo = IndiceBruma;
    bool FbMonitorando = true;
    bool FbLimparVisivel = false;
    // After FDados: integrations that hold references to the components are
    // released first.
    std::array<std::pair<TOperacao, TOperacao>, 3> FOperacoes;
};
