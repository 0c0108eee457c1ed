#pragma once

#include "integracao/Relator.h"
#include "monitor/comissionamento/CatalogoComandos.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class TMonitora;
struct TFontesConsole;

// The page Ações: the state of polling with "Pausar" or "Continuar",
// "Verificar configuração" and "Reenviar" by ORDEM. Each button is a form
// posting the session's CSRF token.
QString CorpoAcoes(std::optional<bool> monitorando, const QByteArray& csrf, bool comReenvio);
// The outcome of an action, with the way back to the page.
QString CorpoResultado(bool ok, const QString& mensagem);
// The lines of "Verificar configuração", each marked by how it went.
QString CorpoVerificacao(const QStringList& linhas);

// A reporter in front of another that passes everything on and, while
// capturing, also keeps the lines of the log pane: the lines of a
// "Verificar configuração" started from the console.
class TRelatorComCaptura : public TRelator {
public:
    explicit TRelatorComCaptura(TRelator& destino) : FDestino(destino) {}

    void Captura() { FLinhas.clear(), FbCapturando = true; }
    QStringList Capturadas() { FbCapturando = false; return std::exchange(FLinhas, {}); }

    void AdicionaLinha(const QString& linha) override;
    void MostraMensagem(const QString& texto) override { FDestino.MostraMensagem(texto); }
    bool Pergunta(const QString& texto, const QString& titulo) override { return FDestino.Pergunta(texto, titulo); }
    void MostraErro(const QString& texto) override;
    void IndicaOcupado(bool ocupado) override { FDestino.IndicaOcupado(ocupado); }
    void RegistraRegistro(const TRegistroTratado& registro) override { FDestino.RegistraRegistro(registro); }

private:
    TRelator& FDestino;
    QStringList FLinhas;
    bool FbCapturando = false;
};

// The actions of the console on a monitor made with `relator` in front of
// its reporter: pause and resume as "Monitorando" does, and "Verificar
// configuração" with the catalogue of statements. The pages and
// "Reenviar" are left to the caller.
void LigaAcoesDoMonitor(TFontesConsole& fontes, TMonitora& monitora, TRelatorComCaptura& relator,
                        QList<TComandoCatalogo> catalogo);
