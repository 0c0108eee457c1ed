#include "dblayer/KoQuery.h"

#include "dblayer/AdaptadorConexao.h"
#include "base/Apara.h"
#include "base/Erros.h"
#include "base/TextoAscii.h"
#include "dblayer/ChamadasEmCurso.h"
#include "dblayer/ErroSql.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/ParametrosSQL.h"
#include "dblayer/TipoDosCampos.h"

#include <algorithm>

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

TKoCustomQuery::TKoCustomQuery(QObject* owner) : QObject(owner) {}

TKoCustomQuery::~TKoCustomQuery()
{
    Close();
}

void TKoCustomQuery::SetDatabase(TKoDatabase* banco)
{
    if (FDatabase)
        disconnect(FDatabase, nullptr, this, nullptr);
    DescartaComando();
    FDatabase = banco;
    if (FDatabase)
        connect(FDatabase, &TKoCustomDatabase::AntesDeFechar, this, &TKoCustomQuery::DescartaComando);
}

TKoDatabase& TKoCustomQuery::Banco() const
{
    if (!FDatabase)
        throw EDatabaseError(QStringLiteral("A consulta não tem conexão (Database)"));
    return *FDatabase;
}

bool TKoCustomQuery::EhPostgres() const
{
    return FDatabase && FDatabase->DriverName() == QLatin1String("PG");
}

int TKoCustomQuery::LimiteMs() const
{
    if (!TempoLimite)
        return 0;
    return LimiteDoDriver(FDatabase ? FDatabase->DriverName() : QString());
}

void TKoCustomQuery::DefineLinhas(const QStringList& linhas)
{
    Close();
    SQL.Clear();
    for (const QString& linha : linhas)
        SQL.Add(linha);
}

TKoParam& TKoCustomQuery::ParamByName(const QString& nome)
{
    return FParams[nome.toUpper()];
}

TKoField* TKoCustomQuery::FindField(const QString& nome)
{
    for (TKoField& campo : FCampos)
        if (campo.FieldName().compare(nome, Qt::CaseInsensitive) == 0)
            return &campo;
    return nullptr;
}

TKoField& TKoCustomQuery::FieldByName(const QString& nome)
{
    if (TKoField* campo = FindField(nome))
        return *campo;
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(nome));
}

void TKoCustomQuery::DescartaComando()
{
    FComando = nullptr;
    FNomesEnviados.clear();
    FPreparados.clear();
    FDireto.reset();
}

bool TKoCustomQuery::PreparaComando(const QString& texto)
{
    TKoDatabase& banco = Banco();
    QSqlDatabase conexao = banco.Conexao();
    if (!conexao.isOpen())
        throw EDatabaseError(QStringLiteral("Conexão fechada"));
    if (FGeracaoPreparada != banco.Geracao()) {
        DescartaComando();
        FGeracaoPreparada = banco.Geracao();
    }
    const auto preparado = std::find_if(FPreparados.begin(), FPreparados.end(),
                                        [&texto](const TComandoPreparado& c) { return c.Texto == texto; });
    if (preparado != FPreparados.end()) {
        std::rotate(preparado, preparado + 1, FPreparados.end());
        FComando = FPreparados.back().Comando.get();
        BindParametros(FPreparados.back().Parametros);
        return true;
    }
    // A statement without parameters goes to the server in one call.
    const QStringList nomes = NomesParametros(texto);
    if (nomes.isEmpty()) {
        if (!FDireto)
            FDireto = NovoComando(conexao);
        FComando = FDireto.get();
        return false;
    }
    // One with parameters is prepared once and executed again with new
    // values while its text and its attachment are the same.
    std::unique_ptr<QSqlQuery> comando = NovoComando(conexao);
    if (!comando->prepare(texto)) {
        const QSqlError erro = comando->lastError();
        banco.Adaptador().RegistraFalha(conexao, erro, comando.get());
        throw EDatabaseError(TextoDoErroSql(erro));
    }
    if (FPreparados.size() == MaximoPreparados)
        FPreparados.erase(FPreparados.begin());
    FPreparados.push_back({texto, nomes, std::move(comando)});
    FComando = FPreparados.back().Comando.get();
    BindParametros(nomes);
    return true;
}

std::unique_ptr<QSqlQuery> TKoCustomQuery::NovoComando(QSqlDatabase& conexao) const
{
    auto comando = std::make_unique<QSqlQuery>(conexao);
    comando->setForwardOnly(true);
    comando->setNumericalPrecisionPolicy(QSql::HighPrecision);
    return comando;
}

void TKoCustomQuery::BindParametros(const QStringList& nomes)
{
    FNomesEnviados = nomes;
    for (const QString& nome : nomes) {
        const auto p = FParams.find(nome.toUpper());
        FComando->bindValue(u':' + nome, p == FParams.end() ? QVariant() : p->second.Value());
    }
}

void TKoCustomQuery::RodaNoServidor(int limiteMs)
{
    TKoDatabase& banco = Banco();
    // The statement, its preparation included, runs in the connection's
    // transaction, which the first statement starts.
    banco.GaranteTransacao();
    QSqlDatabase conexao = banco.Conexao();
    FNomesEnviados.clear();
    bool preparado = false;
    banco.Adaptador().VigiaChamada(conexao, limiteMs, [&] { preparado = PreparaComando(FTextoEnviado); });
    QString erro;
    if (!banco.Adaptador().Executa(conexao, *FComando, preparado ? nullptr : &FTextoEnviado, limiteMs, erro)) {
        // Nothing of a failed statement (a cursor, a lock) stays behind.
        FComando->finish();
        throw EDatabaseError(erro);
    }
}

QList<std::pair<QString, QVariant>> TKoCustomQuery::ValoresEnviados() const
{
    QList<std::pair<QString, QVariant>> valores;
    if (!FComando)
        return valores;
    valores.reserve(FNomesEnviados.size());
    // Read back from the statement itself, as its driver holds them.
    for (const QString& nome : FNomesEnviados)
        valores.append({nome, FComando->boundValue(u':' + nome)});
    return valores;
}

void TKoCustomQuery::ExecutaNoServidor(int limiteMs)
{
    const TChamadaAoServidor chamada(Banco().objectName(), QStringLiteral("execução de comando"),
                                     LimiteDoDriver(Banco().DriverName()));
    Banco().MarcaEscrita();
    FLinhasAfetadas = -1;
    RodaNoServidor(limiteMs);
    FLinhasAfetadas = FComando->numRowsAffected();
    FComando->finish();
}

void TKoCustomQuery::AbreCursorNoServidor(int limiteMs, int maximoLinhas)
{
    const TChamadaAoServidor chamada(Banco().objectName(), QStringLiteral("consulta"),
                                     LimiteDoDriver(Banco().DriverName()));
    LimpaResultado();
    // A selectable procedure or a data-changing statement that returns rows
    // may write; a plain SELECT does not.
    if (!MaiusculasAscii(Apara(FTextoEnviado).left(6)).startsWith(QLatin1String("SELECT")))
        Banco().MarcaEscrita();
    RodaNoServidor(limiteMs);
    CarregaLinhas(maximoLinhas);
    FComando->finish();
    FAtiva = true;
    First();
}

void TKoCustomQuery::CarregaLinhas(int maximoLinhas)
{
    const QSqlRecord registro = FComando->record();
    const QString driverId = Banco().DriverName();
    const QList<TKoMapRule>& regras = Banco().MapRules();
    std::vector<TKoTipoDado> tipos;
    for (int i = 0; i < registro.count(); ++i) {
        const QSqlField campo = registro.field(i);
        tipos.push_back(TipoDoCampo(campo, driverId, regras));
        FCampos.emplace_back(campo.name(), tipos.back());
    }
    while ((maximoLinhas <= 0 || int(FLinhas.size()) < maximoLinhas) && FComando->next()) {
        std::vector<QVariant> linha;
        linha.reserve(tipos.size());
        for (int i = 0; i < int(tipos.size()); ++i)
            linha.push_back(ValorNoTipo(FComando->value(i), tipos[size_t(i)]));
        FLinhas.push_back(std::move(linha));
    }
    // A fetch that fails ends the loop like the last row: a partial result
    // must not pass for the whole one.
    if (FComando->lastError().isValid()) {
        LimpaResultado();
        QSqlDatabase conexao = Banco().Conexao();
        const QString mensagem = Banco().Adaptador().MensagemDaFalha(conexao, *FComando);
        FComando->finish();
        throw EDatabaseError(mensagem);
    }
}

void TKoCustomQuery::LimpaResultado()
{
    FAtiva = false;
    FEof = true;
    FRegistro = 0;
    FCampos.clear();
    FLinhas.clear();
}

void TKoCustomQuery::PosicionaEm(int registro)
{
    FRegistro = registro;
    const std::vector<QVariant>& linha = FLinhas[size_t(registro)];
    for (size_t i = 0; i < FCampos.size(); ++i)
        FCampos[i].DefineValor(linha[i]);
}

void TKoCustomQuery::First()
{
    FEof = FLinhas.empty();
    if (!FEof)
        PosicionaEm(0);
    else
        for (TKoField& campo : FCampos)
            campo.DefineValor(QVariant());
}

void TKoCustomQuery::Next()
{
    if (FEof)
        return;
    if (FRegistro + 1 < int(FLinhas.size()))
        PosicionaEm(FRegistro + 1);
    else
        FEof = true;
}

void TKoCustomQuery::Close()
{
    LimpaResultado();
}


