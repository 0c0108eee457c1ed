#pragma once

#include <QString>

#include <array>

// Which way a record went: out to the machine side, or in from it (into
// the ERP); or neither: an operator's action on it ("Reenviar").
enum class TDirecaoRegistro { Saida, Entrada, Acao };

// How a record ended: sent (or applied to the ERP), failed, ignored
// (nothing to do), pending (it waits and is sent again), or uncertain: sent,
// and no answer came back, so the other side may have it; it waits and is
// sent again.
// An operator's action that was done is Feito; it is no outcome of a
// record handled by a cycle, so DesfechosRegistro leaves it out.
enum class TDesfechoRegistro { Enviado, Falhou, Ignorado, Pendente, Incerto, Feito };
inline constexpr std::array<TDesfechoRegistro, 5> DesfechosRegistro{
    TDesfechoRegistro::Enviado, TDesfechoRegistro::Falhou, TDesfechoRegistro::Ignorado, TDesfechoRegistro::Pendente,
    TDesfechoRegistro::Incerto};

// Their words, as the journal keeps them and `quelix --historico`, the
// window's filter and the metrics' labels use them: "enviado" and
// "recebido" (and "acao"); "enviado", "falhou", "ignorado", "pendente" and
// "incerto" (and "feito").
inline QString Texto(TDirecaoRegistro direcao)
{
    switch (direcao) {
    case TDirecaoRegistro::Saida: return QStringLiteral("enviado");
    case TDirecaoRegistro::Entrada: return QStringLiteral("recebido");
    case TDirecaoRegistro::Acao: return QStringLiteral("acao");
    }
    return {};
}

inline QString Texto(TDesfechoRegistro desfecho)
{
    switch (desfecho) {
    case TDesfechoRegistro::Enviado: return QStringLiteral("enviado");
    case TDesfechoRegistro::Falhou: return QStringLiteral("falhou");
    case TDesfechoRegistro::Ignorado: return QStringLiteral("ignorado");
    case TDesfechoRegistro::Pendente: return QStringLiteral("pendente");
    case TDesfechoRegistro::Incerto: return QStringLiteral("incerto");
    case TDesfechoRegistro::Feito: return QStringLiteral("feito");
    }
    return {};
}

// One record an integration handled (a lot, a queue row, a host record), as
// the monitor's journal and counters take it. The lines the record wrote to
// the log pane before it is reported are its lines.
struct TRegistroTratado {
    TDirecaoRegistro Direcao = TDirecaoRegistro::Saida;
    QString Tipo;      // "lote", a master-data type, a queue kind, a host record type
    QString Chave;     // the lot number, ORDEM, the host record number
    TDesfechoRegistro Desfecho = TDesfechoRegistro::Enviado;
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
