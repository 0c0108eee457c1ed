#include "dblayer/firebird/DriverFirebird.h"

#include "dblayer/firebird/CatalogoFirebird.h"
#include "dblayer/firebird/ConexaoFirebird.h"
#include "dblayer/firebird/IdentificadoresFirebird.h"
#include "dblayer/firebird/ResultadoFirebird.h"
#include "dblayer/firebird/StatusFirebird.h"

#include <QFile>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// "host/port:path" for the server, the bare path for the embedded engine.
QByteArray caminhoDeConexao(const QString& banco, const QString& host, int porta)
{
    if (host.trimmed().isEmpty())
        return QFile::encodeName(banco);
    QString caminho = host.trimmed();
    if (porta > 0)
        caminho += QLatin1Char('/') + QString::number(porta);
    return (caminho + QLatin1Char(':') + banco).toUtf8();
}

} // namespace

DriverFirebird::DriverFirebird(QObject* parent)
    : QSqlDriver(parent)
    , m_conexao(std::make_shared<ConexaoFirebird>())
{
}

DriverFirebird::~DriverFirebird()
{
    close();
}

bool DriverFirebird::hasFeature(DriverFeature funcionalidade) const
{
    switch (funcionalidade) {
    case Transactions:
    case BLOB:
    case Unicode:
    case PreparedQueries:
    case PositionalPlaceholders:
    case LowPrecisionNumbers:
        return true;
    default:
        return false;
    }
}

bool DriverFirebird::open(const QString& banco, const QString& usuario, const QString& senha,
                          const QString& host, int porta, const QString& /*opcoes*/)
{
    // The options the connection component passes (Protocol=TCPIP,
    // PageSize=4096) say nothing this driver needs: the protocol follows from
    // the host, and the page size only matters when creating a database.
    if (isOpen())
        close();
    if (!m_conexao->conecta(caminhoDeConexao(banco, host, porta), usuario, senha)) {
        setLastError(m_conexao->ultimoErro());
        setOpenError(true);
        return false;
    }
    setOpen(true);
    setOpenError(false);
    return true;
}

void DriverFirebird::close()
{
    if (!isOpen())
        return;
    m_conexao->desconecta();
    setOpen(false);
    setOpenError(false);
}

QSqlResult* DriverFirebird::createResult() const
{
    return new ResultadoFirebird(this, m_conexao);
}

bool DriverFirebird::beginTransaction()
{
    if (!isOpen())
        return false;
    if (m_conexao->inicia())
        return true;
    setLastError(m_conexao->ultimoErro());
    return false;
}

bool DriverFirebird::commitTransaction()
{
    if (!isOpen())
        return false;
    if (m_conexao->confirma())
        return true;
    setLastError(m_conexao->ultimoErro());
    return false;
}

bool DriverFirebird::rollbackTransaction()
{
    if (!isOpen())
        return false;
    if (m_conexao->desfaz())
        return true;
    setLastError(m_conexao->ultimoErro());
    return false;
}

bool DriverFirebird::commitRetaining()
{
    if (!isOpen())
        return false;
    if (m_conexao->confirmaRetendo())
        return true;
    setLastError(m_conexao->ultimoErro());
    return false;
}

bool DriverFirebird::rollbackRetaining()
{
    if (!isOpen())
        return false;
    if (m_conexao->desfazRetendo())
        return true;
    setLastError(m_conexao->ultimoErro());
    return false;
}

bool DriverFirebird::emTransacao() const
{
    return m_conexao->emTransacao();
}

void DriverFirebird::cancelaOperacao()
{
    m_conexao->cancela();
}

void DriverFirebird::defineTempoLimite(int milissegundos)
{
    m_conexao->defineTempoLimite(milissegundos);
}

bool DriverFirebird::ultimoExcedeuTempo() const
{
    return m_conexao->ultimoExcedeuTempo();
}

bool DriverFirebird::confereConexao(int milissegundos)
{
    if (m_conexao->confere(milissegundos))
        return true;
    setLastError(m_conexao->ultimoErro());
    return false;
}

QStringList DriverFirebird::tables(QSql::TableType tipo) const
{
    if (!isOpen())
        return {};
    QSqlQuery consulta(createResult());
    return CatalogoFirebird::tabelas(consulta, tipo);
}

QSqlRecord DriverFirebird::record(const QString& tabela) const
{
    if (!isOpen() || tabela.isEmpty())
        return {};
    QSqlQuery consulta(createResult());
    if (!consulta.prepare(QStringLiteral("SELECT * FROM ") + escapeIdentifier(tabela, TableName)))
        return {};
    QSqlRecord registro = consulta.record();
    return registro;
}

QSqlIndex DriverFirebird::primaryIndex(const QString& tabela) const
{
    if (!isOpen() || tabela.isEmpty())
        return QSqlIndex();
    const QSqlRecord registro = record(tabela);
    QSqlQuery consulta(createResult());
    return CatalogoFirebird::chavePrimaria(consulta, IdentificadoresFirebird::armazenado(tabela), registro);
}

QString DriverFirebird::escapeIdentifier(const QString& identificador, IdentifierType) const
{
    return IdentificadoresFirebird::escapa(identificador);
}

QString DriverFirebird::formatValue(const QSqlField& campo, bool aparaTextos) const
{
    if (campo.isNull())
        return QStringLiteral("NULL");
    const QString literal = IdentificadoresFirebird::literalProprio(campo);
    return literal.isEmpty() ? QSqlDriver::formatValue(campo, aparaTextos) : literal;
}
