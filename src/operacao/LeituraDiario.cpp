#include "operacao/LeituraDiario.h"

#include "base/Erros.h"
#include "operacao/Diario.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

[[noreturn]] void Falha(const QString& o_que, const QSqlError& erro)
{
    throw Exception(QStringLiteral("Histórico: %1: %2").arg(o_que, erro.text()));
}

// The SQL of a filter, with its values in the order they are bound.
struct TCondicao {
    QStringList Partes;
    QVariantList Valores;
};

TCondicao Condicao(const TFiltroHistorico& filtro, qint64 antesDe)
{
    TCondicao condicao;
    auto junta = [&condicao](const QString& parte, const QVariant& valor) {
        condicao.Partes << parte;
        condicao.Valores << valor;
    };
    if (antesDe > 0)
        junta(QStringLiteral("ID < ?"), antesDe);
    if (!filtro.Chave.isEmpty())
        junta(QStringLiteral("instr(CHAVE, ?) > 0"), filtro.Chave);
    if (filtro.Desde.isValid())
        junta(QStringLiteral("MOMENTO >= ?"), TDiario::Momento(QDateTime(filtro.Desde, QTime(0, 0))));
    if (filtro.Ate.isValid())
        junta(QStringLiteral("MOMENTO < ?"), TDiario::Momento(QDateTime(filtro.Ate.addDays(1), QTime(0, 0))));
    if (!filtro.Integracao.isEmpty())
        junta(QStringLiteral("INTEGRACAO = ?"), filtro.Integracao);
    if (!filtro.Desfecho.isEmpty())
        junta(QStringLiteral("DESFECHO = ?"), filtro.Desfecho);
    if (filtro.SoFalhas) {
        condicao.Partes << QStringLiteral("DESFECHO IN (?, ?, ?)");
        for (const TDesfechoRegistro desfecho :
             {TDesfechoRegistro::Falhou, TDesfechoRegistro::Pendente, TDesfechoRegistro::Incerto})
            condicao.Valores << Texto(desfecho);
    }
    return condicao;
}

QList<TEstadoConexao> LeConexoes(const QString& texto)
{
    QList<TEstadoConexao> conexoes;
    for (const QJsonValue& valor : QJsonDocument::fromJson(texto.toUtf8()).array()) {
        const QJsonObject objeto = valor.toObject();
        conexoes << TEstadoConexao{objeto.value(QStringLiteral("nome")).toString(),
                                      objeto.value(QStringLiteral("ativa")).toBool(),
                                      TDiario::LeMomento(objeto.value(QStringLiteral("desde")).toString())};
    }
    return conexoes;
}

} // namespace

TLeituraDiario::TLeituraDiario(const QString& arquivo)
    : FNomeConexao(QStringLiteral("quelix-leitura-diario-%1").arg(reinterpret_cast<quintptr>(this)))
{
    if (!QFileInfo(arquivo).isFile())
        throw Exception(QStringLiteral("Histórico não encontrado: ") + arquivo);
    FBanco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FNomeConexao);
    FBanco.setDatabaseName(arquivo);
    FBanco.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!FBanco.open())
        Falha(arquivo, FBanco.lastError());
}

TLeituraDiario::~TLeituraDiario()
{
    FBanco.close();
    FBanco = QSqlDatabase();
    QSqlDatabase::removeDatabase(FNomeConexao);
}

QList<TLinhaHistorico> TLeituraDiario::Pagina(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho)
{
    return Le(filtro, antesDe, tamanho, true);
}

QList<TLinhaHistorico> TLeituraDiario::PaginaSemMomento(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho)
{
    return Le(filtro, antesDe, tamanho, false);
}

QList<TLinhaHistorico> TLeituraDiario::Le(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho, bool comMomento)
{
    const TCondicao condicao = Condicao(filtro, antesDe);
    QSqlQuery consulta(FBanco);
    consulta.setForwardOnly(true);
    // A journal written by a version whose records kept no content has no
    // such column until a monitor of this version opens it.
    const bool comConteudo = FBanco.record(QStringLiteral("REGISTROS")).contains(QStringLiteral("CONTEUDO"));
    consulta.prepare(QStringLiteral("SELECT ID, MOMENTO, INTEGRACAO, DIRECAO, TIPO, CHAVE, DESFECHO, LINHA, ERRO, %2 "
                                    "FROM REGISTROS %1 ORDER BY ID DESC LIMIT ?")
                         .arg(condicao.Partes.isEmpty() ? QString()
                                                        : QStringLiteral("WHERE ") + condicao.Partes.join(QStringLiteral(" AND ")),
                              comConteudo ? QStringLiteral("CONTEUDO") : QStringLiteral("NULL")));
    for (const QVariant& valor : condicao.Valores)
        consulta.addBindValue(valor);
    consulta.addBindValue(tamanho);
    if (!consulta.exec())
        Falha(QStringLiteral("leitura dos registros"), consulta.lastError());
    QList<TLinhaHistorico> linhas;
    linhas.reserve(tamanho);
    while (consulta.next()) {
        const QString momento = consulta.value(1).toString();
        linhas << TLinhaHistorico{consulta.value(0).toLongLong(),
                                  comMomento ? TDiario::LeMomento(momento) : QDateTime(),
                                  momento,
                                  consulta.value(2).toString(),
                                  consulta.value(3).toString(),
                                  consulta.value(4).toString(),
                                  consulta.value(5).toString(),
                                  consulta.value(6).toString(),
                                  consulta.value(7).toString(),
                                  consulta.value(8).toString(),
                                  consulta.value(9).toString()};
    }
    return linhas;
}

std::optional<TLinhaHistorico> TLeituraDiario::UltimoDaChave(const QString& integracao, const QString& chave)
{
    QSqlQuery consulta(FBanco);
    consulta.setForwardOnly(true);
    consulta.prepare(QStringLiteral("SELECT ID, MOMENTO, INTEGRACAO, DIRECAO, TIPO, CHAVE, DESFECHO, LINHA, ERRO "
                                    "FROM REGISTROS WHERE CHAVE = ? AND INTEGRACAO = ? ORDER BY ID DESC LIMIT 1"));
    consulta.addBindValue(chave);
    consulta.addBindValue(integracao);
    if (!consulta.exec())
        Falha(QStringLiteral("leitura do último registro de ") + chave, consulta.lastError());
    if (!consulta.next())
        return std::nullopt;
    const QString momento = consulta.value(1).toString();
    return TLinhaHistorico{consulta.value(0).toLongLong(),   TDiario::LeMomento(momento),     momento,
                           consulta.value(2).toString(),     consulta.value(3).toString(),    consulta.value(4).toString(),
                           consulta.value(5).toString(),     consulta.value(6).toString(),    consulta.value(7).toString(),
                           consulta.value(8).toString()};
}

QStringList TLeituraDiario::Integracoes()
{
    QSqlQuery consulta(FBanco);
    if (!consulta.exec(QStringLiteral("SELECT DISTINCT INTEGRACAO FROM CICLOS WHERE INTEGRACAO IS NOT NULL "
                                      "ORDER BY INTEGRACAO")))
        Falha(QStringLiteral("leitura das integrações"), consulta.lastError());
    QStringList integracoes;
    while (consulta.next())
        integracoes << consulta.value(0).toString();
    return integracoes;
}

TUltimosCiclos TLeituraDiario::UltimosCiclos()
{
    QSqlQuery consulta(FBanco);
    consulta.setForwardOnly(true);
    // The newest row, and the newest that ended when that one has not.
    if (!consulta.exec(QStringLiteral("SELECT INICIO, FIM, INTEGRACAO, ENVIADOS, FALHAS, ERRO, INTERVALO_MS, CONEXOES "
                                      "FROM CICLOS WHERE ID = (SELECT MAX(ID) FROM CICLOS) "
                                      "OR ID = (SELECT MAX(ID) FROM CICLOS WHERE FIM IS NOT NULL) ORDER BY ID DESC")))
        Falha(QStringLiteral("leitura dos ciclos"), consulta.lastError());
    TUltimosCiclos ciclos;
    while (consulta.next()) {
        const QDateTime inicio = TDiario::LeMomento(consulta.value(0).toString());
        const QString integracao = consulta.value(2).toString();
        if (consulta.value(1).isNull()) {
            if (!ciclos.Terminado)
                ciclos.EmAndamento = TCicloEmAndamento{integracao, inicio};
            continue;
        }
        TFimCiclo fim;
        fim.Integracao = integracao;
        fim.Inicio = inicio;
        fim.Fim = TDiario::LeMomento(consulta.value(1).toString());
        if (!consulta.value(3).isNull())
            fim.Enviados = consulta.value(3).toULongLong();
        fim.Falhas = consulta.value(4).toInt();
        fim.Erro = consulta.value(5).toString();
        if (consulta.value(6).toInt() > 0)
            fim.IntervaloMs = consulta.value(6).toInt();
        fim.Conexoes = LeConexoes(consulta.value(7).toString());
        ciclos.Terminado = fim;
    }
    if (ciclos.Terminado || ciclos.EmAndamento)
        ciclos.Parada = ParadaApos(ciclos.EmAndamento ? ciclos.EmAndamento->Inicio : ciclos.Terminado->Fim);
    return ciclos;
}

// The stop of the last run, when it came after the cycle: a run whose start
// was not noted may have cycled since. A journal of a version without runs
// has none.
std::optional<QDateTime> TLeituraDiario::ParadaApos(const QDateTime& ultimoCiclo)
{
    if (!FBanco.tables().contains(QStringLiteral("EXECUCOES")))
        return std::nullopt;
    QSqlQuery consulta(FBanco);
    if (!consulta.exec(QStringLiteral("SELECT PARADA FROM EXECUCOES ORDER BY ID DESC LIMIT 1")))
        Falha(QStringLiteral("leitura das execuções"), consulta.lastError());
    if (!consulta.next() || consulta.value(0).isNull())
        return std::nullopt;
    const QDateTime parada = TDiario::LeMomento(consulta.value(0).toString());
    if (parada < ultimoCiclo)
        return std::nullopt;
    return parada;
}

QList<TChamadaSemResposta> TLeituraDiario::ChamadasSemResposta()
{
    QList<TChamadaSemResposta> chamadas;
    if (!FBanco.tables().contains(QStringLiteral("CHAMADAS")))
        return chamadas;
    QSqlQuery consulta(FBanco);
    consulta.setForwardOnly(true);
    if (!consulta.exec(QStringLiteral("SELECT ID, OPERACAO, CONEXAO, INICIO, LIMITE_MS FROM CHAMADAS "
                                      "WHERE FIM IS NULL ORDER BY ID")))
        Falha(QStringLiteral("leitura das chamadas"), consulta.lastError());
    while (consulta.next())
        chamadas << TChamadaSemResposta{consulta.value(0).toULongLong(), consulta.value(1).toString(),
                                        consulta.value(2).toString(), TDiario::LeMomento(consulta.value(3).toString()),
                                        consulta.value(4).toInt()};
    return chamadas;
}

QList<TCicloDiario> TLeituraDiario::Ciclos(int quantos)
{
    QSqlQuery consulta(FBanco);
    consulta.setForwardOnly(true);
    consulta.prepare(QStringLiteral("SELECT ID, INICIO, FIM, INTEGRACAO, DESFECHO, ENVIADOS, FALHAS, ERRO, INTERVALO_MS, "
                                    "CONEXOES FROM CICLOS ORDER BY ID DESC LIMIT ?"));
    consulta.addBindValue(quantos);
    if (!consulta.exec())
        Falha(QStringLiteral("leitura dos ciclos"), consulta.lastError());
    QList<TCicloDiario> ciclos;
    while (consulta.next()) {
        TCicloDiario ciclo;
        ciclo.Id = consulta.value(0).toLongLong();
        ciclo.Inicio = TDiario::LeMomento(consulta.value(1).toString());
        if (!consulta.value(2).isNull())
            ciclo.Fim = TDiario::LeMomento(consulta.value(2).toString());
        ciclo.Integracao = consulta.value(3).toString();
        ciclo.Desfecho = consulta.value(4).toString();
        if (!consulta.value(5).isNull())
            ciclo.Enviados = consulta.value(5).toULongLong();
        ciclo.Falhas = consulta.value(6).toInt();
        ciclo.Erro = consulta.value(7).toString();
        ciclo.IntervaloMs = consulta.value(8).toInt();
        ciclo.Conexoes = LeConexoes(consulta.value(9).toString());
        ciclos << ciclo;
    }
    return ciclos;
}

QList<TContagemHora> TLeituraDiario::RegistrosPorHora(const QDateTime& fim, int horas)
{
    QList<TContagemHora> contagens;
    if (horas <= 0)
        return contagens;
    const QDateTime inicio = fim.addSecs(-3600LL * horas);
    contagens.reserve(horas);
    for (int hora = 0; hora < horas; ++hora)
        contagens << TContagemHora{inicio.addSecs(3600LL * hora).toLocalTime()};
    // The hour of a record is counted from `inicio` in whole seconds, so
    // that the hours need not fall on whole hours of UTC (a time zone half
    // an hour off it). The range is the only condition, so that it is
    // MOMENTO's index that finds the rows (with the outcome in the WHERE,
    // SQLite may walk DESFECHO's index, through nearly every record); the
    // outcomes counted by none ("ignorado") are left out here.
    QSqlQuery consulta(FBanco);
    consulta.setForwardOnly(true);
    consulta.prepare(QStringLiteral(
        "SELECT (CAST(strftime('%s', MOMENTO) AS INTEGER) - ?) / 3600 AS HORA, DESFECHO, COUNT(*) FROM REGISTROS "
        "WHERE MOMENTO >= ? AND MOMENTO < ? GROUP BY HORA, DESFECHO"));
    consulta.addBindValue(inicio.toSecsSinceEpoch());
    consulta.addBindValue(TDiario::Momento(inicio));
    consulta.addBindValue(TDiario::Momento(fim));
    if (!consulta.exec())
        Falha(QStringLiteral("contagem dos registros por hora"), consulta.lastError());
    while (consulta.next()) {
        const qint64 hora = consulta.value(0).toLongLong();
        if (hora < 0 || hora >= horas)
            continue;
        TContagemHora& contagem = contagens[hora];
        const QString desfecho = consulta.value(1).toString();
        const int quantos = consulta.value(2).toInt();
        if (desfecho == Texto(TDesfechoRegistro::Enviado))
            contagem.Enviados += quantos;
        else if (desfecho == Texto(TDesfechoRegistro::Falhou))
            contagem.Falhas += quantos;
        else if (desfecho == Texto(TDesfechoRegistro::Pendente) || desfecho == Texto(TDesfechoRegistro::Incerto))
            contagem.Pendentes += quantos;
    }
    return contagens;
}
