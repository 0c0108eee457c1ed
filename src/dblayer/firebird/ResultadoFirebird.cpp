#include "dblayer/firebird/ResultadoFirebird.h"

#include "dblayer/firebird/AreaSqlda.h"
#include "dblayer/firebird/ConexaoFirebird.h"
#include "dblayer/firebird/ConversaoFirebird.h"
#include "dblayer/firebird/DriverFirebird.h"
#include "dblayer/firebird/StatusFirebird.h"

#include <QSqlField>
#include <QSqlRecord>

#include <optional>
#include <vector>

namespace {

QSqlError erroDoComando(const ISC_STATUS* status)
{
    return StatusFirebird::erro(status, QSqlError::StatementError);
}

QSqlError erroDoDriver(const QString& texto)
{
    return StatusFirebird::erroDoDriver(texto, QSqlError::StatementError);
}

bool ehConsulta(int tipoComando)
{
    return tipoComando == isc_info_sql_stmt_select || tipoComando == isc_info_sql_stmt_select_for_upd;
}

bool controlaTransacao(int tipoComando)
{
    return tipoComando == isc_info_sql_stmt_start_trans || tipoComando == isc_info_sql_stmt_commit
        || tipoComando == isc_info_sql_stmt_rollback;
}

// Reads one item of an information buffer: the value and where the next
// item starts.
int leItem(const char*& cursor)
{
    const auto tamanho = static_cast<short>(isc_vax_integer(cursor, 2));
    const int valor = static_cast<int>(isc_vax_integer(cursor + 2, tamanho));
    cursor += 2 + tamanho;
    return valor;
}

int tipoDoComando(isc_stmt_handle* comando, ISC_STATUS* status)
{
    const char item = isc_info_sql_stmt_type;
    char resposta[16];
    if (isc_dsql_sql_info(status, comando, 1, &item, sizeof resposta, resposta))
        return 0;
    if (resposta[0] != isc_info_sql_stmt_type)
        return 0;
    const char* cursor = resposta + 1;
    return leItem(cursor);
}

QSqlField campoDe(const XSQLVAR& v, const TipoDescrito& d)
{
    QSqlField campo(QString::fromUtf8(v.aliasname, v.aliasname_length), ConversaoFirebird::tipoDoCampo(d),
                    QString::fromUtf8(v.relname, v.relname_length));
    campo.setLength(ConversaoFirebird::comprimento(d));
    campo.setPrecision(d.escala < 0 ? -d.escala : 0);
    campo.setRequiredStatus(d.anulavel ? QSqlField::Optional : QSqlField::Required);
    campo.setSqlType(d.tipo);
    return campo;
}

} // namespace

struct ResultadoFirebird::Estado {
    std::shared_ptr<ConexaoFirebird> conexao;
    isc_stmt_handle comando = 0;
    bool preparado = false;
    int tipoComando = 0;
    AreaSqlda saida;
    AreaSqlda entrada;
    std::vector<QByteArray> memoriaParametros;
    std::vector<short> indicadoresParametros;
    QSqlRecord registro;

    bool cursorAberto = false;
    quint64 geracaoCursor = 0;
    std::optional<QVariantList> linhaUnica; // the output of EXECUTE PROCEDURE
    QList<QVariantList> linhas;             // scrollable: every row fetched
    QVariantList atual;                     // forward-only: the current row
    int afetadas = -1;
};

ResultadoFirebird::ResultadoFirebird(const DriverFirebird* driver, std::shared_ptr<ConexaoFirebird> conexao)
    : QSqlResult(driver)
    , m(std::make_unique<Estado>())
{
    m->conexao = std::move(conexao);
}

ResultadoFirebird::~ResultadoFirebird()
{
    fechaCursor();
    if (m->comando && m->conexao->conectada()) {
        ISC_STATUS_ARRAY status;
        isc_dsql_free_statement(status, &m->comando, DSQL_drop);
    }
}

bool ResultadoFirebird::falha(const QSqlError& erro)
{
    setLastError(erro);
    return false;
}

bool ResultadoFirebird::prepare(const QString& consulta)
{
    fechaCursor();
    m->preparado = false;
    m->registro = QSqlRecord();
    if (!garanteComando())
        return false;
    ConexaoFirebird& conexao = *m->conexao;
    if (!conexao.garanteTransacao())
        return falha(conexao.ultimoErro());

    ISC_STATUS_ARRAY status;
    const QByteArray texto = consulta.toUtf8();
    m->saida.reserva(qMax(1, m->saida.quantidade()));
    isc_dsql_prepare(status, conexao.transacao(), &m->comando, 0, texto.constData(), SQL_DIALECT_V6,
                     m->saida.sqlda());
    const bool ok = !StatusFirebird::falhou(status) && descreve();
    if (!ok && StatusFirebird::falhou(status))
        setLastError(erroDoComando(status));
    conexao.encerraAutomaticaOciosa();
    m->preparado = ok;
    return ok;
}

bool ResultadoFirebird::garanteComando()
{
    if (!m->conexao->conectada())
        return falha(erroDoDriver(QStringLiteral("A conexão não está aberta.")));
    if (m->comando)
        return true;
    ISC_STATUS_ARRAY status;
    if (isc_dsql_allocate_statement(status, m->conexao->banco(), &m->comando)) {
        m->comando = 0;
        return falha(erroDoComando(status));
    }
    return true;
}

bool ResultadoFirebird::descreve()
{
    ISC_STATUS_ARRAY status;
    if (!m->saida.cabeTudo()) {
        m->saida.reserva(m->saida.quantidade());
        if (isc_dsql_describe(status, &m->comando, SQL_DIALECT_V6, m->saida.sqlda()))
            return falha(erroDoComando(status));
    }
    m->saida.preparaSaida();

    m->entrada.reserva(qMax(1, m->entrada.quantidade()));
    if (isc_dsql_describe_bind(status, &m->comando, SQL_DIALECT_V6, m->entrada.sqlda()))
        return falha(erroDoComando(status));
    if (!m->entrada.cabeTudo()) {
        m->entrada.reserva(m->entrada.quantidade());
        if (isc_dsql_describe_bind(status, &m->comando, SQL_DIALECT_V6, m->entrada.sqlda()))
            return falha(erroDoComando(status));
    }
    m->entrada.guardaDescricao();
    m->memoriaParametros.assign(static_cast<size_t>(m->entrada.quantidade()), QByteArray());
    m->indicadoresParametros.assign(static_cast<size_t>(m->entrada.quantidade()), 0);

    m->tipoComando = tipoDoComando(&m->comando, status);
    if (StatusFirebird::falhou(status))
        return falha(erroDoComando(status));

    for (int i = 0; i < m->saida.quantidade(); ++i)
        m->registro.append(campoDe(m->saida.var(i), m->saida.descrito(i)));
    return true;
}

bool ResultadoFirebird::reset(const QString& consulta)
{
    return prepare(consulta) && exec();
}

bool ResultadoFirebird::exec()
{
    fechaCursor();
    m->linhas.clear();
    m->atual.clear();
    m->linhaUnica.reset();
    m->afetadas = -1;
    setAt(QSql::BeforeFirstRow);
    setActive(false);
    if (!m->preparado)
        return falha(erroDoDriver(QStringLiteral("A instrução não foi preparada.")));
    if (!m->conexao->conectada())
        return falha(erroDoDriver(QStringLiteral("A conexão não está aberta.")));
    if (controlaTransacao(m->tipoComando))
        return falha(erroDoDriver(
            QStringLiteral("Transações são controladas pela conexão, não por instruções SQL.")));
    return executa();
}

bool ResultadoFirebird::vinculaParametros()
{
    const QList<QVariant>& valores = boundValues();
    const int esperados = m->entrada.quantidade();
    if (valores.size() < esperados)
        return falha(erroDoDriver(QStringLiteral("A instrução espera %1 parâmetro(s); recebeu %2.")
                                      .arg(esperados)
                                      .arg(valores.size())));
    for (int i = 0; i < esperados; ++i) {
        ISC_STATUS_ARRAY status = {0};
        QString erro;
        if (!ConversaoFirebird::vincula(m->entrada.var(i), m->entrada.descrito(i), valores.at(i),
                                        m->memoriaParametros[i], m->indicadoresParametros[i], *m->conexao,
                                        status, erro))
            return falha(erro.isEmpty() ? erroDoComando(status)
                                        : erroDoDriver(QStringLiteral("Parâmetro %1: %2").arg(i + 1).arg(erro)));
    }
    return true;
}

bool ResultadoFirebird::executa()
{
    ConexaoFirebird& conexao = *m->conexao;
    conexao.marcaExcedeuTempo(false);
    if (!conexao.garanteTransacao())
        return falha(conexao.ultimoErro());
    if (!vinculaParametros()) {
        conexao.concluiComando(false);
        return false;
    }

    XSQLDA* entrada = m->entrada.quantidade() > 0 ? m->entrada.sqlda() : nullptr;
    const bool comSaidaUnica = !ehConsulta(m->tipoComando) && m->saida.quantidade() > 0;
    ISC_STATUS_ARRAY status;
    conexao.armaVigia();
    if (comSaidaUnica)
        isc_dsql_execute2(status, conexao.transacao(), &m->comando, SQL_DIALECT_V6, entrada, m->saida.sqlda());
    else
        isc_dsql_execute(status, conexao.transacao(), &m->comando, SQL_DIALECT_V6, entrada);
    const bool falhou = StatusFirebird::falhou(status);
    conexao.marcaExcedeuTempo(conexao.desarmaVigia(falhou));
    if (falhou) {
        setLastError(erroDoComando(status));
        conexao.concluiComando(false);
        return false;
    }

    if (ehConsulta(m->tipoComando)) {
        m->cursorAberto = true;
        m->geracaoCursor = conexao.retemCursor();
        setSelect(true);
        setActive(true);
        return true;
    }
    if (comSaidaUnica) {
        QVariantList linha;
        if (!leLinha(linha)) {
            conexao.concluiComando(false);
            return false;
        }
        m->linhaUnica = linha;
    } else {
        m->afetadas = contaAfetadas();
    }
    if (!conexao.concluiComando(true))
        return falha(conexao.ultimoErro());
    setSelect(comSaidaUnica);
    setActive(true);
    return true;
}

bool ResultadoFirebird::leLinha(QVariantList& linha)
{
    const int colunas = m->saida.quantidade();
    linha.resize(colunas);
    const QSql::NumericalPrecisionPolicy politica = numericalPrecisionPolicy();
    for (int i = 0; i < colunas; ++i) {
        ISC_STATUS_ARRAY status = {0};
        if (!ConversaoFirebird::le(m->saida.var(i), m->saida.descrito(i), politica, *m->conexao, linha[i], status))
            return falha(erroDoComando(status));
    }
    return true;
}

bool ResultadoFirebird::buscaProxima(QVariantList& linha)
{
    if (m->linhaUnica) {
        linha = *m->linhaUnica;
        m->linhaUnica.reset();
        return true;
    }
    if (!m->cursorAberto)
        return false;
    ConexaoFirebird& conexao = *m->conexao;
    ISC_STATUS_ARRAY status;
    conexao.armaVigia();
    const ISC_STATUS retorno = isc_dsql_fetch(status, &m->comando, SQL_DIALECT_V6, m->saida.sqlda());
    const bool falhou = retorno != 0 && retorno != 100;
    if (conexao.desarmaVigia(falhou))
        conexao.marcaExcedeuTempo(true);
    if (retorno == 100) {
        fechaCursor();
        return false;
    }
    if (falhou) {
        setLastError(erroDoComando(status));
        fechaCursor();
        return false;
    }
    if (!leLinha(linha)) {
        fechaCursor();
        return false;
    }
    return true;
}

void ResultadoFirebird::fechaCursor()
{
    if (!m->cursorAberto)
        return;
    m->cursorAberto = false;
    ISC_STATUS_ARRAY status;
    isc_dsql_free_statement(status, &m->comando, DSQL_close);
    m->conexao->liberaCursor(m->geracaoCursor);
}

int ResultadoFirebird::contaAfetadas()
{
    const char item = isc_info_sql_records;
    char resposta[64];
    ISC_STATUS_ARRAY status;
    m->conexao->vigiada(status, [&] { isc_dsql_sql_info(status, &m->comando, 1, &item, sizeof resposta, resposta); });
    if (StatusFirebird::falhou(status) || resposta[0] != isc_info_sql_records)
        return -1;
    int inseridas = 0, alteradas = 0, excluidas = 0;
    const char* cursor = resposta + 3;
    while (*cursor != isc_info_end && cursor < resposta + sizeof resposta) {
        const char contador = *cursor++;
        const int valor = leItem(cursor);
        if (contador == isc_info_req_insert_count)
            inseridas = valor;
        else if (contador == isc_info_req_update_count)
            alteradas = valor;
        else if (contador == isc_info_req_delete_count)
            excluidas = valor;
    }
    switch (m->tipoComando) {
    case isc_info_sql_stmt_insert: return inseridas;
    case isc_info_sql_stmt_update: return alteradas;
    case isc_info_sql_stmt_delete: return excluidas;
    default: return inseridas + alteradas + excluidas;
    }
}

bool ResultadoFirebird::fetch(int linha)
{
    if (linha < 0)
        return false;
    if (isForwardOnly()) {
        // After the last row a forward-only result has nothing left.
        if (linha < at() || at() == QSql::AfterLastRow)
            return false;
        while (at() < linha) {
            if (!buscaProxima(m->atual))
                return false;
            setAt(at() + 1);
        }
        return true;
    }
    while (m->linhas.size() <= linha) {
        QVariantList nova;
        if (!buscaProxima(nova))
            return false;
        m->linhas.append(nova);
    }
    setAt(linha);
    return true;
}

bool ResultadoFirebird::fetchNext()
{
    return at() != QSql::AfterLastRow && fetch(at() + 1);
}

bool ResultadoFirebird::fetchPrevious()
{
    return fetch(at() - 1);
}

bool ResultadoFirebird::fetchFirst()
{
    return fetch(0);
}

bool ResultadoFirebird::fetchLast()
{
    if (isForwardOnly()) {
        if (at() == QSql::AfterLastRow)
            return false;
        QVariantList linha;
        int posicao = at();
        while (buscaProxima(linha)) {
            m->atual = linha;
            ++posicao;
        }
        if (posicao < 0)
            return false;
        setAt(posicao);
        return true;
    }
    QVariantList nova;
    while (buscaProxima(nova))
        m->linhas.append(nova);
    if (m->linhas.isEmpty())
        return false;
    setAt(int(m->linhas.size()) - 1);
    return true;
}

const QVariantList* ResultadoFirebird::linhaAtual() const
{
    if (at() < 0)
        return nullptr;
    if (isForwardOnly())
        return &m->atual;
    return at() < m->linhas.size() ? &m->linhas.at(at()) : nullptr;
}

QVariant ResultadoFirebird::data(int coluna)
{
    const QVariantList* linha = linhaAtual();
    if (!linha || coluna < 0 || coluna >= linha->size())
        return QVariant();
    return linha->at(coluna);
}

bool ResultadoFirebird::isNull(int coluna)
{
    return data(coluna).isNull();
}

int ResultadoFirebird::size()
{
    return -1;
}

int ResultadoFirebird::numRowsAffected()
{
    return m->afetadas;
}

QSqlRecord ResultadoFirebird::record() const
{
    return m->registro;
}

void ResultadoFirebird::detachFromResultSet()
{
    fechaCursor();
}
