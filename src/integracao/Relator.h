#pragma once

#include <QString>

// One record an integration handled (a lot, a queue row, a host record), as
// the monitor's journal and counters take it. The lines the record wrote to
// the log pane before it is reported are its lines.
struct TRegistroTratado {
    static inline const QString Enviado = QStringLiteral("enviado");
    static inline const QString Recebido = QStringLiteral("recebido");
    static inline const QString Falhou = QStringLiteral("falhou");
    static inline const QString Ignorado = QStringLiteral("ignorado");
    static inline const QString Pendente = QStringLiteral("pendente");
    // Sent, and no answer came back: the other side may have it. It waits
    // and is sent again.
    static inline const QString Incerto = QStringLiteral("incerto");

    QString Direcao;   // Enviado (to the machine side) or Recebido (from it, into the ERP)
    QString Tipo;      // "lote", a master-data type, a queue kind, a host record type
    QString Chave;     // the lot number, ORDEM, the host record number
    QString Desfecho;  // Enviado (sent, or applied to the ERP), Falhou, Ignorado, Pendente or Incerto
    QString Erro;      // why it failed or waits; empty when it went through
    // What went out or came in, as the other side was given it or gave it:
    // the values bound to the machine table's row, the host record's
    // columns, the SOAP envelope with the answer's status. Empty when
    // nothing was sent (a lot skipped, a row without ORDEM).
    QString Conteudo = {};
};

// How the monitor core and the integrations speak to the person watching:
// the log pane and the modal messages. The window implements it with its
// log pane and message boxes, the headless modes with standard output and
// standard error, the tests with a recorder.
class TRelator {
public:
    virtual ~TRelator() = default;

    // Adds the text, unchanged, as the new last line of the log pane.
    virtual void AdicionaLinha(const QString& linha) = 0;
    // An OK box titled "Quelix"; returns when it is dismissed.
    virtual void MostraMensagem(const QString& texto) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool Pergunta(const QString& texto, const QString& titulo) = 0;
    // The standard error box: the message, a stop icon, OK, titled "Quelix".
    virtual void MostraErro(const QString& texto) = 0;
    // A handler's work starts (true) or ends (false): the window shows the
    // busy cursor in between. Calls nest.
    virtual void IndicaOcupado(bool /*ocupado*/) {}
    // One record handled, once its lines are written: the monitor keeps it
    // in the journal and counts it. Nothing by default.
    virtual void RegistraRegistro(const TRegistroTratado& /*registro*/) {}
};
