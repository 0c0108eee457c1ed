#pragma once

#include "soap/ChamadaSoap.h"
#include "soap/DescricaoServico.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// One call as it went: the envelope posted, the answer's status line and
// its fault string. Status 0: no status line came (or, simulated, the call
// was not posted).
struct TTrocaSoap {
    QString Endereco;
    QString Acao;
    QByteArray Envelope;
    int Status = 0;
    QString Frase;
    QString Falha;
    bool Simulada = false;
};

// A SOAP 1.1 client bound to one service, in one of two ways:
//   by description: the location of its WSDL (http or https URL, file: URL
//     or local path) with a service and a port name; the endpoint address
//     and the SOAP actions are taken from the description, which is read on
//     the first call and again only after the location has changed;
//   by endpoint: the address the requests are posted to.
// Calls are synchronous (see TransporteHttp.h) and end within one limit
// (LimiteTransferencia.h), the description's fetch included. The operations
// return nothing: a 2xx status line is the service's confirmation, whatever
// follows it (a cut, empty or unreadable body is only noted). Otherwise a
// call raises ESoapFalha for a fault, ESoapRecusa for another error status,
// ESoapInalcancavel or ESoapIncerto when no status line came (see
// ErrosSoap.h), ESoapDescricaoInacessivel when the description cannot be had
// and ESoapDescricao when it lacks the service or the port.
//
// One client is used by one thread at a time: it keeps the description it
// has read and is not safe to share between threads that call at once.
class TClienteSoap {
public:
    const QString& LocalDescricao() const { return FLocalDescricao; }
    void SetLocalDescricao(const QString& local) { FLocalDescricao = local; }
    const QString& Servico() const { return FServico; }
    const QString& Porta() const { return FPorta; }
    const QString& Endereco() const { return FEndereco; }

    // Binds by description (and forgets an endpoint address set before).
    void LigaPorDescricao(const QString& local, const QString& servico, const QString& porta);
    // Binds by endpoint address (and forgets the description's location).
    void LigaPorEndereco(const QString& endereco);

    // The call; returns what was wrong with a confirmed call's answer
    // (empty when it came whole), which RespostaIncompleta keeps too.
    QString Chama(const TChamadaSoap& chamada);
    // Of the last call: what was wrong with its answer although a 2xx status
    // confirmed it; empty when it came whole, failed, or was forgotten.
    const QString& RespostaIncompleta() const { return FRespostaIncompleta; }
    void EsqueceRespostaIncompleta() { FRespostaIncompleta.clear(); }

    // The calls made since they were last forgotten whose envelope was
    // made, oldest first; at most MaximoTrocas, the oldest dropped.
    static constexpr qsizetype MaximoTrocas = 8;
    const QList<TTrocaSoap>& Trocas() const { return FTrocas; }
    void EsqueceTrocas() { FTrocas.clear(); }

    // Bound by description: reads it (again when its location changed) and
    // gives the names among `operacoes` the port's binding does not declare.
    // Raises ESoapDescricao as a call would when the description cannot be
    // read or lacks the service or the port.
    QStringList OperacoesAusentes(const QStringList& operacoes);

    // A simulation: each call is handed, as it would be posted (the
    // endpoint, the SOAP action and the envelope), to `envio` instead of
    // being posted; the description is still read. None: calls are posted.
    using TEnvioSimulado = std::function<void(const QString& endereco, const QString& acao, const QByteArray& envelope)>;
    void DefineSimulacao(TEnvioSimulado envio) { FEnvioSimulado = std::move(envio); }

    // HTTPS: false (the default) accepts any certificate, the description's
    // fetch included; true verifies it.
    void DefineVerificaCertificado(bool verifica) { FVerificaCertificado = verifica; }

private:
    struct TDestino {
        QString Endereco;
        QString Espaco;
        QString Acao;
    };
    TDestino Destino(const TChamadaSoap& chamada, QDeadlineTimer prazo);
    const TDescricaoServico& Descricao(QDeadlineTimer prazo);

    QString FLocalDescricao;
    QString FServico;
    QString FPorta;
    QString FEndereco;

    // The description last read and the location it was read from.
    std::optional<TDescricaoServico> FDescricao;
    QString FLocalLido;
    bool FVerificaCertificado = false;
    TEnvioSimulado FEnvioSimulado;
    QString FRespostaIncompleta;
    QList<TTrocaSoap> FTrocas;
};
