#pragma once

// The attachment and the transaction state of one DriverFirebird, shared
// with the results it creates (a result may outlive its driver). Internal to
// the driver: includes the client library's header.

#include "dblayer/firebird/StatusFirebird.h"
#include "dblayer/VigiaTempoLimite.h"

#include <ibase.h>

#include <QSqlError>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

class ConexaoFirebird {
public:
    ConexaoFirebird() = default;
    ~ConexaoFirebird();

    ConexaoFirebird(const ConexaoFirebird&) = delete;
    ConexaoFirebird& operator=(const ConexaoFirebird&) = delete;

    // Attach and detach. On failure the error is kept in ultimoErro().
    bool conecta(const QByteArray& caminho, const QString& usuario, const QString& senha);
    void desconecta();
    bool conectada() const { return m_banco != 0; }

    isc_db_handle* banco() { return &m_banco; }
    isc_tr_handle* transacao() { return &m_transacao; }
    const QSqlError& ultimoErro() const { return m_erro; }

    // Explicit transactions, opened and ended by the driver's operations.
    bool inicia();
    bool confirma();
    bool desfaz();
    bool confirmaRetendo();
    bool desfazRetendo();
    bool emTransacao() const { return m_explicita; }

    // A statement outside an explicit transaction runs in an automatic one:
    // garanteTransacao() opens it when needed; a statement that is not a
    // query ends with concluiComando(), and an open cursor holds it (
    // retemCursor() / liberaCursor()) until it is exhausted or closed.
    bool garanteTransacao();
    bool concluiComando(bool sucesso);
    quint64 retemCursor();
    // Ends the automatic transaction when no cursor needs it any more.
    void encerraAutomaticaOciosa();
    void liberaCursor(quint64 geracao);

    // Cancel of the call in progress, from any thread.
    void cancela();

    // One information call to the server, under the time limit: the
    // liveness check. Starts no transaction.
    bool confere(int milissegundos);

    // The time limit of each later server call (0 = none).
    void defineTempoLimite(int milissegundos);
    int tempoLimite() const { return m_tempoLimite; }
    void armaVigia();
    // Stops the clock of the call just made; tells whether the watchdog
    // cancelled it. A cancel that arrived after a call succeeded is absorbed
    // so that it does not strike the next statement.
    bool desarmaVigia(bool chamadaFalhou);

    // A call that reaches the server and returns its status (a commit, the
    // affected-row count), under the watchdog like statements are.
    template <typename Chamada>
    void vigiada(const ISC_STATUS* status, Chamada&& chamada)
    {
        armaVigia();
        chamada();
        marcaExcedeuTempo(desarmaVigia(StatusFirebird::falhou(status)));
    }

    bool ultimoExcedeuTempo() const { return m_excedeuTempo; }
    void marcaExcedeuTempo(bool excedeu) { m_excedeuTempo = excedeu; }

private:
    bool iniciaTransacao();
    bool terminaTransacao(ISC_STATUS (*fim)(ISC_STATUS*, isc_tr_handle*));
    bool falhaSe(const ISC_STATUS* status, QSqlError::ErrorType tipo);
    void absorveCancelamentoPendente();

    isc_db_handle m_banco = 0;
    isc_tr_handle m_transacao = 0;
    bool m_explicita = false;
    int m_cursoresAbertos = 0;
    quint64 m_geracaoTransacao = 0;
    QSqlError m_erro;

    // The handle as the cancelling threads see it.
    std::atomic<isc_db_handle> m_bancoParaCancelar{0};
    std::atomic<int> m_tempoLimite{0};
    std::unique_ptr<VigiaTempoLimite> m_vigia;
    bool m_vigiaArmado = false;
    bool m_excedeuTempo = false;
};
