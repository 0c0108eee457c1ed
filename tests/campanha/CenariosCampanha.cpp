#include "CenariosCampanha.h"

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "BancoTeste.h"
#include "OutraConexao.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <cmath>
#include <stdexcept>

namespace {

// The demo's ERP rows (customers, colours, machines, baths, materials,
// products, shifts, phases, lot 4711 and its kin), without its queue rows:
// what a lot's order and programme and the kitchen's events need.
QString DadosErp()
{
    QFile arquivo(QStringLiteral(QUELIX_DIR_FONTE "/scripts/demo/dados_erp.sql"));
    if (!arquivo.open(QIODevice::ReadOnly))
        throw std::runtime_error("scripts/demo/dados_erp.sql ilegível");
    QString sql;
    for (const QString& linha : QString::fromUtf8(arquivo.readAll()).split(u'\n'))
        if (!linha.startsWith(QLatin1String("INSERT INTO QX_INTEGRA")) && !linha.startsWith(QLatin1String("COMMIT")))
            sql += linha + u'\n';
    return sql;
}

QString Literal(const QString& texto)
{
    return u'\'' + QString(texto).replace(u'\'', QStringLiteral("''")) + u'\'';
}

QString Secao1(const QString& erp)
{
    return QStringLiteral("[Banco1]\nProtocolo=firebird\nBase=%1\nUsuario=%2\nSenha=%3\n")
        .arg(erp, AmbienteTeste::fbUsuario(), AmbienteTeste::fbSenha());
}

using TServidor = TOutraConexao::TServidor;

// Rows of a query as texts (trimmed, NULL as empty); the transaction ends
// after each, so that the next reading sees what was committed meanwhile.
QList<QStringList> Textos(TOutraConexao& conexao, const QString& sql)
{
    QList<QStringList> linhas;
    for (const TLinhaLida& lida : conexao.Linhas(sql)) {
        QStringList linha;
        for (const TKoField& campo : lida)
            linha << (campo.IsNull() ? QString() : campo.AsString().trimmed());
        linhas << linha;
    }
    conexao.Banco().FinalizaTransacao();
    return linhas;
}

// The stock a consumption of `quartos` quarter kilograms takes, in the
// kitchen's notation: eight implied decimals.
QString QuantidadeHost(int quartos)
{
    return QString::number(qint64(quartos) * 25000000);
}

QString Registro(const QMap<int, QString>& campos, int n)
{
    QString registro;
    for (int i = 1; i <= n; ++i)
        registro += campos.value(i) + u'|';
    return registro;
}

} // namespace

void TAchados::Junta(const TAchados& outros)
{
    Perdidos += outros.Perdidos;
    Dobrados += outros.Dobrados;
    NaoDitos += outros.NaoDitos;
    FalhasSemRecusa += outros.FalhasSemRecusa;
    Estoque += outros.Estoque;
}


// ---------------------------------------------------------------- Vapora

TCenarioVapora::TCenarioVapora()
{
    FErp = BancoTeste::criaFirebirdServidor(QStringLiteral("erp_vapora"), {QStringLiteral("erp_firebird.sql")});
    BancoTeste::executaSqlFirebird(FErp, DadosErp());
}

QString TCenarioVapora::Ini(int portaServico) const
{
    static const QList<QPair<QString, QString>> servicos = {
        {QStringLiteral("Artigo"), QStringLiteral("ArtigoWS")},
        {QStringLiteral("Cliente"), QStringLiteral("ClienteWS")},
        {QStringLiteral("Cor"), QStringLiteral("CorWS")},
        {QStringLiteral("ClasseProduto"), QStringLiteral("ClasseProdutoWS")},
        {QStringLiteral("SubClasseProduto"), QStringLiteral("SubClasseProdutoWS")},
        {QStringLiteral("Produto"), QStringLiteral("ProdutoWS")},
        {QStringLiteral("GerarOP"), QStringLiteral("GerarOPWS")},
        {QStringLiteral("Programacao"), QStringLiteral("ProgramacaoWS")},
        {QStringLiteral("TipoFio"), QStringLiteral("TipoFioWS")}};
    QString ini = Secao1(FErp) + QStringLiteral("[Vapora]\n");
    for (const auto& [chave, interface] : servicos)
        ini += QStringLiteral("%1=http://127.0.0.1:%2/integracao/%3?wsdl\n").arg(chave).arg(portaServico).arg(interface);
    return ini + QStringLiteral("[ModeloAtivo]\nModelo=1\n");
}

void TCenarioVapora::Insere(TSorteio& sorteio, int quantas)
{
    // Each kind in turn; "LT" is a lot's order, programme and start permission.
    static const QStringList tipos = {
        QStringLiteral("AR S"), QStringLiteral("CL S"), QStringLiteral("CO S"), QStringLiteral("CP S"),
        QStringLiteral("SP S"), QStringLiteral("PR S"), QStringLiteral("TF S"), QStringLiteral("LT"),
        QStringLiteral("AR D"), QStringLiteral("CO D"), QStringLiteral("TF D"), QStringLiteral("OP D"),
        QStringLiteral("PG D"), QStringLiteral("CL D"), QStringLiteral("CP D"), QStringLiteral("SP D"),
        QStringLiteral("PR D")};
    static const QMap<QString, QString> interfaces = {
        {QStringLiteral("AR"), QStringLiteral("ArtigoWS")}, {QStringLiteral("CL"), QStringLiteral("ClienteWS")},
        {QStringLiteral("CO"), QStringLiteral("CorWS")}, {QStringLiteral("CP"), QStringLiteral("ClasseProdutoWS")},
        {QStringLiteral("SP"), QStringLiteral("SubClasseProdutoWS")}, {QStringLiteral("PR"), QStringLiteral("ProdutoWS")},
        {QStringLiteral("TF"), QStringLiteral("TipoFioWS")}};
    QString sql;
    QList<TLinha> novas;
    const auto adiciona = [&](TLinha linha) {
        linha.Ordem = int(FLinhas.size() + novas.size()) + 1;
        sql += QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, CAMPO3, STATUS) "
                              "VALUES (%1, %2, %3, %4, %5, %6, 0);\n")
                   .arg(linha.Ordem)
                   .arg(Literal(linha.Tipo), Literal(linha.Operacao), Literal(linha.Campo1), Literal(linha.Campo2),
                        Literal(linha.Campo3));
        novas << linha;
    };
    for (int i = 0; i < quantas; ++i) {
        const QString tipo = tipos[FProximoTipo++ % tipos.size()];
        const int n = int(FLinhas.size() + novas.size()) + 1;
        const QString nome = QStringLiteral("Campanha %1").arg(n);
        if (tipo == QLatin1String("LT")) {
            const QString lote = QString::number(7300000 + n);
            sql += QStringLiteral(
                       "INSERT INTO FAL_001 (NUMERO, ROTEIRO, COR, TIPO, MAQUINA, CLIENTE, PARTIDA, VARIANTE, ORDEM, "
                       "STATUS_QX, STATUS_EAS30) VALUES ('%1', 'R1', 'AZ-010', '1', 'M01', 'C001', 'P%1', 'ALG', 1, 'E', 'N');\n"
                       "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO, LOTE) VALUES ('%1', 1, 'P-MEIA', %2, 10, 'L1');\n"
                       "INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO, PENDENTE) VALUES ('%1', 1, '01', 'N', 'S');\n"
                       "INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) "
                       "VALUES ('%1', 1, '1', 'CR-AZ01', 2.35, 'KG', 'B08', 'C');\n"
                       "INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('%1', 'M01');\n")
                       .arg(lote)
                       .arg(sorteio.Entre(50, 400));
            adiciona({0, QStringLiteral("OP"), QStringLiteral("S"), lote, {}, {}, QStringLiteral("GerarOPWS.gerarOP"), lote});
            adiciona({0, QStringLiteral("PG"), QStringLiteral("S"), lote, {}, {}, QStringLiteral("ProgramacaoWS.programar"), lote});
            adiciona({0, QStringLiteral("PI"), QStringLiteral("S"), lote, QStringLiteral("T"), {},
                      QStringLiteral("ProgramacaoWS.atualizarPodeIniciar"), lote});
            continue;
        }
        const QString codigo = tipo.left(2);
        const bool exclui = tipo.endsWith(u'D');
        TLinha linha{0, codigo, exclui ? QStringLiteral("D") : QStringLiteral("S"), {}, nome, {}, {}, {}};
        if (codigo == QLatin1String("OP") || codigo == QLatin1String("PG")) {
            // A lot that never existed: its delete sends the number alone.
            linha.Campo1 = QString::number(7400000 + n);
            linha.OperacaoSoap = codigo == QLatin1String("OP") ? QStringLiteral("GerarOPWS.excluir")
                                                              : QStringLiteral("ProgramacaoWS.excluirProgramacao");
        } else {
            if (codigo == QLatin1String("CL"))
                linha.Campo1 = QString::number(7100000 + n);   // sent as a number
            else if (codigo == QLatin1String("TF") && exclui)
                linha.Campo1 = QString::number(7200000 + n);   // the delete sends it as a number
            else
                linha.Campo1 = codigo + QString::number(n).rightJustified(6, u'0');
            if (codigo == QLatin1String("CO"))
                linha.Campo3 = QString::number(sorteio.Entre(0, 0xFFFFFF));
            else if (codigo == QLatin1String("SP"))
                linha.Campo3 = QStringLiteral("CP-PAI");
            else if (codigo == QLatin1String("PR"))
                linha.Campo3 = QStringLiteral("SP-PAI");
            linha.OperacaoSoap = interfaces.value(codigo) + (exclui ? QStringLiteral(".delete") : QStringLiteral(".save"));
        }
        linha.Codigo = linha.Campo1;
        adiciona(linha);
    }
    BancoTeste::executaSqlFirebird(FErp, sql);
    FLinhas += novas;
}

QMap<int, QString> TCenarioVapora::Status() const
{
    TOutraConexao erp(TServidor::Firebird, FErp);
    QMap<int, QString> status;
    for (const QStringList& linha : Textos(erp, QStringLiteral("SELECT ORDEM, STATUS FROM QX_INTEGRA")))
        status.insert(linha.value(0).toInt(), linha.value(1));
    return status;
}

int TCenarioVapora::Pendentes() const
{
    int pendentes = 0;
    for (const QString& status : Status())
        pendentes += status.isEmpty() || status == QLatin1String("0");
    return pendentes;
}

TContagem TCenarioVapora::Feitos() const
{
    TContagem feitos;
    const QMap<int, QString> status = Status();
    for (auto i = status.cbegin(); i != status.cend(); ++i)
        if (!i.value().isEmpty() && i.value() != QLatin1String("0"))
            feitos[QString::number(i.key())] = 1;
    return feitos;
}

TAchados TCenarioVapora::Confere(const QList<QJsonObject>& pedidos, const QStringList& linhasMonitor) const
{
    // What the service took (a 2xx status line went out: the call was
    // processed, however the answer ended) and what it refused, by
    // operation and row code.
    static const QRegularExpression codigos(QStringLiteral("(?:AR|CO|CP|SP|PR|TF)\\d{6}|7[1-4]\\d{5}"));
    QMap<QString, int> recebidos;
    QMap<QString, int> recusados;
    for (const QJsonObject& pedido : pedidos) {
        const QString resposta = pedido.value(QStringLiteral("resposta")).toString();
        const QString operacao =
            pedido.value(QStringLiteral("servico")).toString() + u'.' + pedido.value(QStringLiteral("operacao")).toString();
        const bool recebido = resposta == QLatin1String("sucesso") || resposta.startsWith(QLatin1String("cortada"))
                           || resposta == QLatin1String("lixo") || resposta == QLatin1String("html");
        const bool recusado = resposta.startsWith(QLatin1String("falha")) || resposta.startsWith(QLatin1String("HTTP 4"));
        if (!recebido && !recusado)
            continue;
        QSet<QString> vistos;
        auto i = codigos.globalMatch(pedido.value(QStringLiteral("corpo")).toString());
        while (i.hasNext()) {
            const QString codigo = i.next().captured();
            if (vistos.contains(codigo))
                continue;
            vistos.insert(codigo);
            ++(recebido ? recebidos : recusados)[operacao + u'|' + codigo];
        }
    }

    TAchados achados;
    const QMap<int, QString> status = Status();
    for (const TLinha& linha : FLinhas) {
        const QString chave = linha.OperacaoSoap + u'|' + linha.Codigo;
        const int vezes = recebidos.value(chave);
        const QString s = status.value(linha.Ordem);
        const QString nome = QStringLiteral("Vapora ORDEM %1 (%2 %3 %4)").arg(linha.Ordem).arg(linha.Tipo, linha.Operacao, linha.Codigo);
        if (vezes > 1)
            achados.Dobrados << nome + QStringLiteral(": o serviço recebeu %1 vezes, STATUS %2").arg(vezes).arg(s);
        if (s.isEmpty() || s == QLatin1String("0")) {
            achados.Perdidos << nome + QStringLiteral(": ainda pendente no fim (recebida %1 vez(es))").arg(vezes);
        } else if (s == QLatin1String("1")) {
            if (vezes == 0)
                achados.Perdidos << nome + QStringLiteral(": STATUS 1 sem o serviço a ter recebido");
        } else if (s == QLatin1String("2")) {
            if (recusados.value(chave) == 0)
                achados.FalhasSemRecusa << nome + QStringLiteral(": STATUS 2 sem recusa do serviço (recebida %1 vez(es))").arg(vezes);
            bool dita = false;
            for (const QString& l : linhasMonitor)
                dita = dita || (l.contains(linha.Codigo.left(10)) && !l.startsWith(QLatin1String("Grava"))
                                && !l.startsWith(QLatin1String("Deleta")) && !l.startsWith(QLatin1String("Atualiza")));
            if (!dita)
                achados.NaoDitos << nome + QStringLiteral(": STATUS 2 sem linha que a nomeie");
        }
    }
    return achados;
}

// ---------------------------------------------------------------- EAS

namespace {

constexpr int EstoqueInicial = 1000;
constexpr int MateriaisIniciais = 6;
constexpr int LotesEas = 40;

QString Material(int i)
{
    return QStringLiteral("MC") + QString::number(i).rightJustified(4, u'0');
}

QString SqlMaterial(const QString& codigo)
{
    return QStringLiteral(
               "INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, REPOSICAO, PRECO, CONCENTRACAO) "
               "VALUES ('%1', 'Corante %1', 'COR', 10, 10, 100);\n"
               "INSERT INTO MAT_TIN_001 (CODIGO, UNIDADE) VALUES ('%1', 'KG');\n"
               "INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE, PRECO_MED) VALUES ('%1', '0', '000000', '01', %2, 10);\n"
               "INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE, PRECO_MED) VALUES ('%1', '0', '000000', '0000', 0, 10);\n")
        .arg(codigo)
        .arg(EstoqueInicial);
}

} // namespace

TCenarioEas::TCenarioEas()
{
    FErp = BancoTeste::criaFirebirdServidor(QStringLiteral("erp_eas"), {QStringLiteral("erp_firebird.sql")});
    QString sql = DadosErp();
    for (int i = 1; i <= MateriaisIniciais; ++i) {
        FMateriais << Material(i);
        sql += SqlMaterial(Material(i));
    }
    FMateriaisNoErp = MateriaisIniciais;
    for (int i = 1; i <= LotesEas; ++i) {
        const QString lote = QString::number(7600000 + i);
        FLotes << lote;
        sql += QStringLiteral("INSERT INTO FAL_001 (NUMERO, ROTEIRO, COR, TIPO, MAQUINA, CLIENTE, VARIANTE, ORDEM, STATUS_EAS30) "
                              "VALUES ('%1', 'R1', 'AZ-010', '1', 'M01', 'C001', 'ALG', 1, 'N');\n"
                              "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO, LOTE) VALUES ('%1', 1, 'P-MEIA', 100, 10, 'L1');\n"
                              "INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO, PENDENTE) VALUES ('%1', 1, '01', 'N', 'S');\n"
                              "INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('%1', 'M01');\n")
                   .arg(lote);
    }
    BancoTeste::executaSqlFirebird(FErp, sql);

    FHost = BancoTeste::criaPostgresNoEsquema(QStringLiteral("eas_host"), QStringLiteral("eas"),
                                              {QStringLiteral("eas_host_postgres.sql")});
    // The kitchen refuses to mark its events read while a row is here, and
    // counts each refusal in a sequence, which the refusal's rollback leaves
    // as it is.
    BancoTeste::executaSqlPostgres(FHost, QStringLiteral(
        "CREATE TABLE eas.recusa_marcas (motivo VARCHAR(60));\n"
        "CREATE SEQUENCE eas.marcas_recusadas;\n"
        "CREATE FUNCTION eas.recusa_marcas() RETURNS trigger LANGUAGE plpgsql AS $$\n"
        "BEGIN\n"
        "  IF EXISTS (SELECT 1 FROM eas.recusa_marcas) THEN\n"
        "    PERFORM nextval('eas.marcas_recusadas');\n"
        "    RAISE EXCEPTION 'a cozinha não aceita marcas agora';\n"
        "  END IF;\n"
        "  RETURN NEW;\n"
        "END $$;\n"
        "CREATE TRIGGER recusa_marcas BEFORE UPDATE ON eas.ftohost FOR EACH ROW EXECUTE FUNCTION eas.recusa_marcas();"));
}

QString TCenarioEas::Ini() const
{
    return Secao1(FErp)
         + QStringLiteral("[Banco3]\nProtocolo=POSTGRES\nBase=%1\nservidor=%2:%3\nUsuario=%4\nSenha=%5\nSchema=eas\nEstoque=S\n"
                          "[ModeloAtivo]\nModelo=2\n")
               .arg(FHost, AmbienteTeste::pgHost())
               .arg(AmbienteTeste::pgPorta())
               .arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
}


void TCenarioEas::InsereNoErp(TSorteio& sorteio)
{
    ++FPassoErp;
    QString sql;
    if (FPassoErp % 5 == 0) {
        const QString codigo = Material(++FMateriaisNoErp);
        sql += SqlMaterial(codigo);
        FMateriais << codigo;
    }
    if (FPassoErp % 3 == 0) {
        // An invoice of one or two lines; two lines of one material now and
        // then, which share what the sent rows are marked by.
        const QString documento = QStringLiteral("NF") + QString::number(FPassoErp).rightJustified(6, u'0');
        const int linhas = sorteio.Entre(1, 2);
        const bool mesmoMaterial = linhas == 2 && sorteio.Chance(40);
        QString material = FMateriais[sorteio.Entre(0, int(FMateriais.size()) - 1)];
        for (int l = 0; l < linhas; ++l) {
            if (l > 0 && !mesmoMaterial)
                material = FMateriais[sorteio.Entre(0, int(FMateriais.size()) - 1)];
            const int quantidade = 10 + l + 2 * sorteio.Entre(0, 40);
            sql += QStringLiteral("INSERT INTO MAT_MOV_001 (CODIGO, COR, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO, ORDEM) "
                                  "VALUES ('%1', '0', %2, '01', 'E', 'F01', '%3', %4);\n")
                       .arg(material)
                       .arg(quantidade)
                       .arg(documento)
                       .arg(100000 + FPassoErp * 2 + l);
            FNotas << TLinhaNota{documento, material, quantidade};
        }
    }
    if (!sql.isEmpty())
        BancoTeste::executaSqlFirebird(FErp, sql);
}

void TCenarioEas::InsereNoHost(TSorteio& sorteio)
{
    QString sql;
    const auto posta = [&](const QString& tipo, const QString& datos) {
        sql += QStringLiteral("INSERT INTO eas.ftohost (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('%1', 'X', %2, 'F');\n")
                   .arg(tipo, Literal(datos));
    };
    // A consumption of a material the ERP has (89, or 82 by its class).
    const int numero = int(FConsumos.size()) + 1;
    const TConsumo consumo{QString::number(7500000 + numero), FMateriais[sorteio.Entre(0, FMateriaisNoErp - 1)],
                           sorteio.Entre(1, 20)};
    const bool passo82 = sorteio.Chance(30);
    posta(passo82 ? QStringLiteral("82") : QStringLiteral("89"),
          Registro({{1, QStringLiteral("ABC") + consumo.Documento}, {4, consumo.Material},
                    {7, QuantidadeHost(consumo.QuartosDeKg)}, {14, passo82 ? QStringLiteral("3") : QStringLiteral("9")}},
                   14));
    FConsumos << consumo;
    // A lot's start, machine change or end, in turn over the lots.
    if (sorteio.Chance(50)) {
        const QString lote = FLotes[FEventosLote % FLotes.size()].rightJustified(7, u'0');
        const QString hoje = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
        switch (FEventosLote++ % 3) {
        case 0:
            posta(QStringLiteral("80"), lote + QStringLiteral("|X||M01|") + hoje + QStringLiteral("|0730|"));
            break;
        case 1:
            posta(QStringLiteral("92"), lote + QStringLiteral("||M02|"));
            break;
        default:
            posta(QStringLiteral("81"), Registro({{1, lote}, {2, QStringLiteral("X")}, {4, QStringLiteral("M02")},
                                                  {5, hoje}, {6, QStringLiteral("0800")}, {7, hoje},
                                                  {8, QStringLiteral("1000")}, {18, QStringLiteral("0042")},
                                                  {20, QStringLiteral("120")}},
                                                 20));
        }
    }
    BancoTeste::executaSqlPostgres(FHost, sql);
}

void TCenarioEas::RecusaMarcas(bool recusa)
{
    BancoTeste::executaSqlPostgres(FHost, recusa ? QStringLiteral("INSERT INTO eas.recusa_marcas VALUES ('campanha');")
                                                 : QStringLiteral("DELETE FROM eas.recusa_marcas;"));
}

int TCenarioEas::MarcasRecusadas() const
{
    TOutraConexao host(TServidor::Postgres, FHost);
    return Textos(host, QStringLiteral("SELECT CASE WHEN is_called THEN last_value ELSE 0 END FROM eas.marcas_recusadas"))
        .value(0)
        .value(0)
        .toInt();
}

int TCenarioEas::Pendentes() const
{
    TOutraConexao host(TServidor::Postgres, FHost);
    int pendentes = Textos(host, QStringLiteral("SELECT COUNT(*) FROM eas.ftohost WHERE LEIDO <> 'T' OR LEIDO IS NULL"))
                        .value(0).value(0).toInt();
    TOutraConexao erp(TServidor::Firebird, FErp);
    pendentes += Textos(erp, QStringLiteral("SELECT COUNT(*) FROM MATERIAL_001 WHERE STATUS_EAS33 IS NULL OR STATUS_EAS33 <> 'N'"))
                     .value(0).value(0).toInt();
    pendentes += Textos(erp, QStringLiteral("SELECT COUNT(*) FROM MAT_MOV_001 WHERE OPERACAO = 'E' AND "
                                              "(STATUS_EAS34 IS NULL OR STATUS_EAS34 <> 'N')"))
                     .value(0).value(0).toInt();
    return pendentes;
}

TContagem TCenarioEas::Feitos() const
{
    TOutraConexao host(TServidor::Postgres, FHost);
    TContagem feitos;
    for (const QStringList& linha : Textos(host, QStringLiteral("SELECT IDTIPO, NRECNO FROM eas.ftohost WHERE LEIDO = 'T'")))
        ++feitos[linha.value(0) + u'|' + linha.value(1)];
    for (const QStringList& linha :
         Textos(host, QStringLiteral("SELECT IDTIPO, DATOS FROM eas.ffromhost WHERE IDTIPO IN ('33', '34')")))
        ++feitos[linha.value(0) + u'|' + linha.value(1).section(u'|', 0, 0).trimmed()];
    return feitos;
}

TAchados TCenarioEas::Confere() const
{
    TAchados achados;
    TOutraConexao erp(TServidor::Firebird, FErp);
    TOutraConexao host(TServidor::Postgres, FHost);

    // Each consumption once in the movements, and the stock that follows.
    QMap<QString, int> movimentos;
    for (const QStringList& linha :
         Textos(erp, QStringLiteral("SELECT NUM_DOCTO, COUNT(*) FROM MAT_MOV_001 WHERE OPERACAO = 'S' GROUP BY NUM_DOCTO")))
        movimentos[linha.value(0)] = linha.value(1).toInt();
    QMap<QString, int> consumidos;  // quarter kilograms by material
    for (const TConsumo& consumo : FConsumos) {
        consumidos[consumo.Material] += consumo.QuartosDeKg;
        const int vezes = movimentos.value(consumo.Documento);
        const QString nome = QStringLiteral("EAS consumo %1 (%2, %3 kg)")
                                 .arg(consumo.Documento, consumo.Material)
                                 .arg(consumo.QuartosDeKg / 4.0);
        if (vezes == 0)
            achados.Perdidos << nome + QStringLiteral(": nenhum movimento");
        else if (vezes > 1)
            achados.Dobrados << nome + QStringLiteral(": %1 movimentos").arg(vezes);
    }
    for (const TLinhaLida& estoque :
         erp.Linhas(QStringLiteral("SELECT CODIGO, QTDE FROM MAT_ITEN_001 WHERE DEPOSITO = '01' AND LOTE = '000000' "
                                   "AND COR = '0' AND CODIGO STARTING WITH 'MC'"))) {
        const QString material = estoque[0].AsString().trimmed();
        const double atual = estoque[1].AsFloat();
        const double esperado = EstoqueInicial - consumidos.value(material) / 4.0;
        if (std::fabs(atual - esperado) > 0.0005)
            achados.Estoque << QStringLiteral("EAS estoque de %1: %2 em vez de %3 (%4 %5 kg)")
                                   .arg(material)
                                   .arg(atual)
                                   .arg(esperado)
                                   .arg(atual < esperado ? QStringLiteral("baixados a mais") : QStringLiteral("faltam baixar"))
                                   .arg(std::fabs(atual - esperado));
    }
    erp.Banco().FinalizaTransacao();

    // Every event read.
    for (const QStringList& linha : Textos(host, QStringLiteral("SELECT NRECNO, IDTIPO, DATOS FROM eas.ftohost "
                                                                  "WHERE LEIDO <> 'T' OR LEIDO IS NULL")))
        achados.Perdidos << QStringLiteral("EAS evento %1 (%2) não lido no fim: %3").arg(linha.value(0), linha.value(1), linha.value(2));

    // Materials and invoice lines once each in FFROMHOST.
    QMap<QString, int> enviados;
    for (const QStringList& linha :
         Textos(host, QStringLiteral("SELECT IDTIPO, DATOS FROM eas.ffromhost WHERE IDTIPO IN ('33', '34')"))) {
        const QStringList campos = linha.value(1).split(u'|');
        if (linha.value(0) == QLatin1String("33")) {
            ++enviados[QStringLiteral("33|") + campos.value(0).trimmed()];
        } else {
            static const QRegularExpression inteiro(QStringLiteral("^\\d+"));
            const int centesimos = inteiro.match(campos.value(2).trimmed()).captured().toInt();
            ++enviados[QStringLiteral("34|%1|%2|%3").arg(campos.value(6).trimmed(), campos.value(0).trimmed()).arg(centesimos / 100)];
        }
    }
    for (const QString& material : FMateriais) {
        const int vezes = enviados.value(QStringLiteral("33|") + material);
        if (vezes == 0)
            achados.Perdidos << QStringLiteral("EAS material %1 (33): nunca chegou ao FFROMHOST").arg(material);
        else if (vezes > 1)
            achados.Dobrados << QStringLiteral("EAS material %1 (33): %2 vezes no FFROMHOST").arg(material).arg(vezes);
    }
    for (const TLinhaNota& nota : FNotas) {
        const int vezes = enviados.value(QStringLiteral("34|%1|%2|%3").arg(nota.Documento, nota.Material).arg(nota.Quantidade));
        const QString nome = QStringLiteral("EAS nota %1 %2 %3 kg (34)").arg(nota.Documento, nota.Material).arg(nota.Quantidade);
        if (vezes == 0)
            achados.Perdidos << nome + QStringLiteral(": nunca chegou ao FFROMHOST");
        else if (vezes > 1)
            achados.Dobrados << nome + QStringLiteral(": %1 vezes no FFROMHOST").arg(vezes);
    }
    return achados;
}

// ---------------------------------------------------------------- the journal

TContagem LeDiario(const QString& executavel, const QString& pasta, bool comTipo)
{
    const ApoioMonitor::TSaida saida = ApoioMonitor::Executa(
        executavel, {QStringLiteral("--historico"), QStringLiteral("--pasta"), pasta, QStringLiteral("--formato"),
                     QStringLiteral("json")});
    if (saida.status != 0)
        throw std::runtime_error("quelix --historico em " + pasta.toStdString() + " falhou: " + saida.erros.toStdString());
    QJsonParseError erro;
    const QJsonDocument documento = QJsonDocument::fromJson(saida.saida.toUtf8(), &erro);
    if (erro.error != QJsonParseError::NoError || !documento.isArray())
        throw std::runtime_error("quelix --historico --formato json em " + pasta.toStdString()
                                 + " não deu uma lista JSON: " + erro.errorString().toStdString());
    TContagem contagem;
    for (const QJsonValue& valor : documento.array()) {
        const QJsonObject registro = valor.toObject();
        if (registro.value(QStringLiteral("desfecho")).toString() == QLatin1String("pendente"))
            continue;
        const QString chave = registro.value(QStringLiteral("chave")).toString().trimmed();
        ++contagem[comTipo ? registro.value(QStringLiteral("tipo")).toString() + u'|' + chave : chave];
    }
    return contagem;
}

QStringList FaltamNoDiario(const TContagem& feitos, const TContagem& diario, const TContagem& perdoados)
{
    QStringList faltam;
    for (auto i = feitos.cbegin(); i != feitos.cend(); ++i) {
        const int falta = i.value() - diario.value(i.key()) - perdoados.value(i.key());
        if (falta > 0)
            faltam << QStringLiteral("%1 (%2 no banco, %3 no histórico)").arg(i.key()).arg(i.value()).arg(diario.value(i.key()));
    }
    return faltam;
}
