#pragma once

#include "integracao/Relator.h"

#include <QStringList>

class TObservadorCiclo;

// The reporting interface the integrations get on the cycle's thread: lines
// and messages go on to the person watching (the window or the console),
// and each record handled goes, with the lines it wrote, to the monitor's
// observers (its counters, the journal). No integration knows where they
// end up.
class TRelatorDoCiclo : public TRelator {
public:
    explicit TRelatorDoCiclo(TRelator& destino) : FDestino(destino) {}

    // Set before the first cycle; none while records must go nowhere (a
    // simulation). The list of observers is the monitor's, read on the
    // cycle's thread: it changes only between cycles.
    void DefineObservadores(const QList<TObservadorCiclo*>* observadores) { FObservadores = observadores; }

    // A cycle of that integration begins: the counts start again.
    void IniciaCiclo(const QString& integracao);
    // Records reported since, and how many of them went through.
    quint64 Registros() const { return FRegistros; }
    quint64 Enviados() const { return FEnviados; }

    void AdicionaLinha(const QString& linha) override;
    void MostraMensagem(const QString& texto) override { FDestino.MostraMensagem(texto); }
    bool Pergunta(const QString& texto, const QString& titulo) override { return FDestino.Pergunta(texto, titulo); }
    void MostraErro(const QString& texto) override { FDestino.MostraErro(texto); }
    void IndicaOcupado(bool ocupado) override { FDestino.IndicaOcupado(ocupado); }
    void RegistraRegistro(const TRegistroTratado& registro) override;

private:
    TRelator& FDestino;
    const QList<TObservadorCiclo*>* FObservadores = nullptr;
    QString FIntegracao;
    QStringList FLinhas;  // written since the last record
    quint64 FRegistros = 0;
    quint64 FEnviados = 0;
};
