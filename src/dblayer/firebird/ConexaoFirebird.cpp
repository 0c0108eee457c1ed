#include "dblayer/firebird/ConexaoFirebird.h"

#include "dblayer/LimitesExecucao.h"

#include "dblayer/firebird/StatusFirebird.h"

namespace {

// Read committed with record versions and waiting on locks: each statement
// sees the latest committed data, even in a long-lived transaction.
const char kParametrosTransacao[] = {
    isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait,
};

void acrescentaTexto(QByteArray& dpb, char item, const QByteArray& valor)
{
    dpb += item;
    dpb += static_cast<char>(qMin(valor.size(), qsizetype(255)));
    dpb += valor.left(255);
}

QSqlError erroSemTransacao()
{
    return StatusFirebird::erroDoDriver(QStringLiteral("Não há transação aberta."),
                                        QSqlError::TransactionError);
}

} // namespace

ConexaoFirebird::~ConexaoFirebird()
{
    m_vigia.reset();
    desconecta();
}

bool ConexaoFirebird::conecta(const QByteArray& caminho, const QString& usuario, const QString& senha)
{
    QByteArray dpb(1, static_cast<char>(isc_dpb_version1));
    if (!usuario.isEmpty())
        acrescentaTexto(dpb, isc_dpb_user_name, usuario.toUtf8());
    if (!senha.isEmpty())
        acrescentaTexto(dpb, isc_dpb_password, senha.toUtf8());
    acrescentaTexto(dpb, isc_dpb_lc_ctype, QByteArrayLiteral("UTF8"));
    dpb += static_cast<char>(isc_dpb_sql_dialect);
    dpb += static_cast<char>(1);
    dpb += static_cast<char>(SQL_DIALECT_V6);
    // The opening gives up as the other drivers' do: a server that accepts
    // and never answers would otherwise hold it for the client's default.
    const int segundos = (LimitesExecucao().OutrosMs + 999) / 1000;
    dpb += static_cast<char>(isc_dpb_connect_timeout);
    dpb += static_cast<char>(4);
    for (int i = 0; i < 4; ++i)
        dpb += static_cast<char>((segundos >> (8 * i)) & 0xFF);

    ISC_STATUS_ARRAY status;
    isc_attach_database(status, static_cast<short>(caminho.size()), caminho.constData(), &m_banco,
                        static_cast<short>(dpb.size()), dpb.constData());
    if (falhaSe(status, QSqlError::ConnectionError)) {
        m_banco = 0;
        return false;
    }
    m_bancoParaCancelar = m_banco;
    m_excedeuTempo = false;
    return true;
}

void ConexaoFirebird::desconecta()
{
    if (!m_banco)
        return;
    ISC_STATUS_ARRAY status;
    if (m_transacao)
        isc_rollback_transaction(status, &m_transacao);
    m_transacao = 0;
    m_explicita = false;
    m_cursoresAbertos = 0;
    ++m_geracaoTransacao;
    m_bancoParaCancelar = 0;
    isc_detach_database(status, &m_banco);
    m_banco = 0;
}

bool ConexaoFirebird::inicia()
{
    if (m_explicita) {
        m_erro = StatusFirebird::erroDoDriver(QStringLiteral("Já há uma transação aberta."),
                                              QSqlError::TransactionError);
        return false;
    }
    // An automatic transaction kept open by a cursor simply becomes explicit:
    // its earlier statements are already committed (retaining).
    if (!m_transacao && !iniciaTransacao())
        return false;
    m_explicita = true;
    return true;
}

bool ConexaoFirebird::confirma()
{
    if (!m_explicita) {
        m_erro = erroSemTransacao();
        return false;
    }
    return terminaTransacao(isc_commit_transaction);
}

bool ConexaoFirebird::desfaz()
{
    if (!m_explicita) {
        m_erro = erroSemTransacao();
        return false;
    }
    return terminaTransacao(isc_rollback_transaction);
}

bool ConexaoFirebird::confirmaRetendo()
{
    if (!m_transacao)
        return true; // autocommit: nothing is pending
    ISC_STATUS_ARRAY status;
    vigiada(status, [&] { isc_commit_retaining(status, &m_transacao); });
    return !falhaSe(status, QSqlError::TransactionError);
}

bool ConexaoFirebird::desfazRetendo()
{
    if (!m_transacao)
        return true;
    ISC_STATUS_ARRAY status;
    vigiada(status, [&] { isc_rollback_retaining(status, &m_transacao); });
    return !falhaSe(status, QSqlError::TransactionError);
}

bool ConexaoFirebird::garanteTransacao()
{
    return m_transacao || iniciaTransacao();
}

bool ConexaoFirebird::concluiComando(bool sucesso)
{
    if (m_explicita || !m_transacao)
        return true;
    ISC_STATUS_ARRAY status;
    if (m_cursoresAbertos > 0) {
        // Cursors of this automatic transaction stay open.
        if (!sucesso)
            return true;
        vigiada(status, [&] { isc_commit_retaining(status, &m_transacao); });
        return !falhaSe(status, QSqlError::TransactionError);
    }
    if (sucesso) {
        vigiada(status, [&] { isc_commit_transaction(status, &m_transacao); });
        if (!falhaSe(status, QSqlError::TransactionError)) {
            ++m_geracaoTransacao;
            return true;
        }
    }
    ISC_STATUS_ARRAY statusDesfaz;
    isc_rollback_transaction(statusDesfaz, &m_transacao);
    m_transacao = 0;
    ++m_geracaoTransacao;
    return sucesso ? false : true;
}

quint64 ConexaoFirebird::retemCursor()
{
    ++m_cursoresAbertos;
    return m_geracaoTransacao;
}

void ConexaoFirebird::liberaCursor(quint64 geracao)
{
    if (geracao != m_geracaoTransacao || m_cursoresAbertos == 0)
        return;
    --m_cursoresAbertos;
    encerraAutomaticaOciosa();
}

void ConexaoFirebird::encerraAutomaticaOciosa()
{
    if (m_cursoresAbertos > 0 || m_explicita || !m_transacao)
        return;
    // Everything this transaction wrote was committed (retaining) already.
    ISC_STATUS_ARRAY status;
    isc_commit_transaction(status, &m_transacao);
    if (StatusFirebird::falhou(status))
        isc_rollback_transaction(status, &m_transacao);
    m_transacao = 0;
    ++m_geracaoTransacao;
}

void ConexaoFirebird::cancela()
{
    isc_db_handle banco = m_bancoParaCancelar.load();
    if (!banco)
        return;
    ISC_STATUS_ARRAY status;
    fb_cancel_operation(status, &banco, fb_cancel_raise);
}

bool ConexaoFirebird::confere(int milissegundos)
{
    if (!m_banco) {
        m_erro = StatusFirebird::erroDoDriver(QStringLiteral("A conexão não está aberta."),
                                              QSqlError::ConnectionError);
        return false;
    }
    const int anterior = m_tempoLimite;
    defineTempoLimite(milissegundos);
    ISC_STATUS_ARRAY status;
    const char item = isc_info_attachment_id;
    char resposta[32];
    armaVigia();
    isc_database_info(status, &m_banco, 1, &item, sizeof resposta, resposta);
    const bool falhou = StatusFirebird::falhou(status);
    desarmaVigia(falhou);
    defineTempoLimite(anterior);
    return !falhaSe(status, QSqlError::ConnectionError);
}

void ConexaoFirebird::defineTempoLimite(int milissegundos)
{
    m_tempoLimite = qMax(0, milissegundos);
    if (m_tempoLimite > 0 && !m_vigia)
        m_vigia = std::make_unique<VigiaTempoLimite>([this] { cancela(); });
}

void ConexaoFirebird::armaVigia()
{
    const int limite = m_tempoLimite;
    if (limite <= 0 || !m_vigia)
        return;
    m_vigia->arma(limite);
    m_vigiaArmado = true;
}

bool ConexaoFirebird::desarmaVigia(bool chamadaFalhou)
{
    if (!m_vigiaArmado)
        return false;
    m_vigiaArmado = false;
    const bool disparou = m_vigia->desarma();
    if (disparou && !chamadaFalhou)
        absorveCancelamentoPendente();
    return disparou && chamadaFalhou;
}

bool ConexaoFirebird::iniciaTransacao()
{
    ISC_STATUS_ARRAY status;
    isc_start_transaction(status, &m_transacao, 1, &m_banco,
                          static_cast<unsigned short>(sizeof kParametrosTransacao),
                          kParametrosTransacao);
    if (falhaSe(status, QSqlError::TransactionError)) {
        m_transacao = 0;
        return false;
    }
    m_cursoresAbertos = 0;
    return true;
}

bool ConexaoFirebird::terminaTransacao(ISC_STATUS (*fim)(ISC_STATUS*, isc_tr_handle*))
{
    ISC_STATUS_ARRAY status;
    vigiada(status, [&] { fim(status, &m_transacao); });
    if (falhaSe(status, QSqlError::TransactionError))
        return false;
    m_transacao = 0;
    m_explicita = false;
    m_cursoresAbertos = 0;
    ++m_geracaoTransacao;
    return true;
}

bool ConexaoFirebird::falhaSe(const ISC_STATUS* status, QSqlError::ErrorType tipo)
{
    if (!StatusFirebird::falhou(status))
        return false;
    m_erro = StatusFirebird::erro(status, tipo);
    return true;
}

void ConexaoFirebird::absorveCancelamentoPendente()
{
    // The engine keeps a cancel that found no call running and raises it at
    // the next one; a harmless information call takes it instead.
    ISC_STATUS_ARRAY status;
    const char item = isc_info_ods_version;
    char resposta[32];
    isc_database_info(status, &m_banco, 1, &item, sizeof resposta, resposta);
}
