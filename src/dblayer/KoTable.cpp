#include "dblayer/KoTable.h"

#include "base/Apara.h"
#include "base/Erros.h"
#include "dblayer/AdaptadorConexao.h"
#include "dblayer/ErroSql.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/LimitesExecucao.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

namespace {

// A table model ordered by the index-field list and keyed by the fields
// marked as the row's key.
class ModeloTabela : public QSqlTableModel {
public:
    using QSqlTableModel::QSqlTableModel;
    QStringList CamposOrdem;

    void DefineChave(const QSet<QString>& campos)
    {
        QSqlIndex chave(tableName());
        const QSqlRecord registro = record();
        for (const QString& nome : campos)
            chave.append(registro.field(nome));
        setPrimaryKey(chave);
    }

protected:
    QString orderByClause() const override
    {
        if (CamposOrdem.isEmpty())
            return {};
        return QStringLiteral("ORDER BY ") + CamposOrdem.join(QStringLiteral(", "));
    }
};

ModeloTabela& ModeloDe(const std::unique_ptr<QSqlTableModel>& modelo)
{
    return static_cast<ModeloTabela&>(*modelo);
}

[[noreturn]] void FalhaDoModelo(TKoDatabase& banco, const QSqlTableModel& modelo, const QString& acao)
{
    const QSqlError erro = modelo.lastError();
    QSqlDatabase conexao = banco.Conexao();
    banco.Adaptador().RegistraFalha(conexao, erro);
    throw EDatabaseError(TextoDoErroSql(erro, acao));
}

} // namespace

TKoCustomTable::TKoCustomTable(QObject* owner) : QObject(owner) {}

TKoCustomTable::~TKoCustomTable() = default;

void TKoCustomTable::SetDatabase(TKoDatabase* banco)
{
    if (FDatabase)
        disconnect(FDatabase, nullptr, this, nullptr);
    FDatabase = banco;
    if (!banco)
        return;
    // The rows shown belong to the connection: they go when it closes.
    connect(banco, &TKoCustomDatabase::AntesDeFechar, this, &TKoCustomTable::Close);
    // On Oracle the table is looked up in the login user's schema.
    if (!Apara(banco->User).isEmpty() && banco->DriverName() == QLatin1String("Ora"))
        FSchemaName = banco->User;
    else
        FSchemaName.clear();
}

QString TKoCustomTable::IndiceSemAsc() const
{
    const QString indice = Apara(IndexFieldNames);
    if (indice.size() > 4 && indice.right(4).toUpper() == QLatin1String(" ASC"))
        return indice.left(indice.size() - 4);
    return indice;
}

void TKoCustomTable::Open()
{
    if (FAtiva)
        return;
    if (!FDatabase)
        throw EDatabaseError(QStringLiteral("A tabela não tem conexão (Database)"));
    if (!FDatabase->Connected())
        FDatabase->Open();
    IndexFieldNames = IndiceSemAsc();
    AbreCursor();
}

void TKoCustomTable::AbreCursor()
{
    QSqlDatabase conexao = FDatabase->Conexao();
    const TLimitesExecucao& limites = LimitesExecucao();
    FDatabase->Adaptador().DefineLimite(
        conexao, FDatabase->DriverName() == QLatin1String("FB") ? limites.FirebirdMs : limites.OutrosMs);
    auto modelo = std::make_unique<ModeloTabela>(nullptr, conexao);
    modelo->setEditStrategy(QSqlTableModel::OnManualSubmit);
    // PostgreSQL keeps an unquoted name in lower case, and Qt's driver looks
    // a table up as written.
    const QString tabela = FDatabase->DriverName() == QLatin1String("PG") && !TableName.startsWith(u'"')
        ? TableName.toLower()
        : TableName;
    const QString nome = FSchemaName.isEmpty() ? tabela : FSchemaName + u'.' + tabela;
    modelo->setTable(nome);
    if (modelo->record().isEmpty())
        FalhaDoModelo(*FDatabase, *modelo, QStringLiteral("Tabela %1 não encontrada").arg(nome));
    FModelo = std::move(modelo);
    if (!FbCarregado) {
        if (!Apara(IndexFieldNames).isEmpty() && !CamposPersistentes.isEmpty())
            MarcaChaves();
        FbCarregado = true;
    }
    ModeloTabela& m = ModeloDe(FModelo);
    if (!FCamposChave.isEmpty())
        m.DefineChave(FCamposChave);
    m.CamposOrdem.clear();
    for (const QString& campo : IndexFieldNames.split(u';', Qt::SkipEmptyParts))
        m.CamposOrdem << campo.trimmed();
    m.setFilter(Filtered ? Filter : QString());
    if (!m.select())
        FalhaDoModelo(*FDatabase, m, QStringLiteral("Não foi possível abrir a tabela %1").arg(nome));
    // Every row is read now (the queue is small): no cursor stays open to
    // keep the driver's automatic transaction, or a read lock, alive.
    while (m.canFetchMore())
        m.fetchMore();
    FAtiva = true;
}

void TKoCustomTable::MarcaChaves()
{
    if (!FCamposChave.isEmpty())
        return;
    const QSqlRecord registro = FModelo->record();
    QString lista = Apara(IndexFieldNames);
    while (!lista.isEmpty()) {
        const qsizetype p = lista.indexOf(u';');
        const QString nome = p < 0 ? lista : lista.left(p);
        if (registro.indexOf(nome) < 0)
            throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(nome));
        FCamposChave.insert(nome);
        lista = p < 0 ? QString() : lista.mid(p + 1);
    }
}

void TKoCustomTable::Close()
{
    FModelo.reset();
    FAtiva = false;
    FLinhaNova = -1;
}

int TKoCustomTable::RecordCount() const
{
    return FModelo ? FModelo->rowCount() : 0;
}

QVariant TKoCustomTable::FieldValue(int linha, const QString& campo) const
{
    if (!FModelo)
        throw EDatabaseError(QStringLiteral("A tabela %1 está fechada").arg(TableName));
    const int coluna = FModelo->record().indexOf(campo);
    if (coluna < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(campo));
    return FModelo->data(FModelo->index(linha, coluna));
}

void TKoCustomTable::Append()
{
    if (!FModelo)
        throw EDatabaseError(QStringLiteral("A tabela %1 está fechada").arg(TableName));
    FLinhaNova = FModelo->rowCount();
    FModelo->insertRow(FLinhaNova);
}

void TKoCustomTable::SetFieldValue(const QString& campo, const QVariant& valor)
{
    if (!FModelo || FLinhaNova < 0)
        throw EDatabaseError(QStringLiteral("A tabela %1 não está em inserção").arg(TableName));
    const int coluna = FModelo->record().indexOf(campo);
    if (coluna < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(campo));
    FModelo->setData(FModelo->index(FLinhaNova, coluna), valor);
}

void TKoCustomTable::Post()
{
    if (!FModelo)
        throw EDatabaseError(QStringLiteral("A tabela %1 está fechada").arg(TableName));
    if (!FModelo->submitAll()) {
        FModelo->revertAll();
        FLinhaNova = -1;
        FalhaDoModelo(*FDatabase, *FModelo, QStringLiteral("Não foi possível gravar a linha"));
    }
    FLinhaNova = -1;
}

void TKoCustomTable::Delete(int linha)
{
    if (!FModelo)
        throw EDatabaseError(QStringLiteral("A tabela %1 está fechada").arg(TableName));
    if (!FModelo->removeRow(linha) || !FModelo->submitAll()) {
        FModelo->revertAll();
        FalhaDoModelo(*FDatabase, *FModelo, QStringLiteral("Não foi possível excluir a linha"));
    }
}
