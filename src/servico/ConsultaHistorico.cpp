#include "servico/ConsultaHistorico.h"

#include "base/Erros.h"
#include "operacao/RegraSaude.h"
#include "operacao/TextosCiclo.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

constexpr int TamanhoPagina = 1000;
const QString FormatoMomento = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString CampoCsv(const QString& valor)
{
    if (!valor.contains(u',') && !valor.contains(u'"') && !valor.contains(u'\n') && !valor.contains(u'\r'))
        return valor;
    return u'"' + QString(valor).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QStringList Campos(const TLinhaHistorico& linha)
{
    return {linha.Momento.toString(FormatoMomento), linha.Integracao, linha.Direcao, linha.Tipo,
            linha.Chave, linha.Desfecho, linha.Linha, linha.Erro};
}

const QStringList NomesCampos = {QStringLiteral("momento"), QStringLiteral("integracao"), QStringLiteral("direcao"),
                                 QStringLiteral("tipo"), QStringLiteral("chave"), QStringLiteral("desfecho"),
                                 QStringLiteral("linha"), QStringLiteral("erro")};

// One record as --historico writes it in that format.
QString Formata(const TLinhaHistorico& linha, TFormatoHistorico formato)
{
    const QStringList campos = Campos(linha);
    switch (formato) {
    case TFormatoHistorico::Csv: {
        QStringList saida;
        for (const QString& campo : campos)
            saida << CampoCsv(campo);
        return saida.join(u',') + u'\n';
    }
    case TFormatoHistorico::Json: {
        QJsonObject objeto;
        for (int i = 0; i < campos.size(); ++i)
            objeto.insert(NomesCampos[i], campos[i]);
        return QString::fromUtf8(QJsonDocument(objeto).toJson(QJsonDocument::Compact));
    }
    case TFormatoHistorico::Texto:
        break;
    }
    // The pane's lines of the record, each on a line of its own, indented.
    QString texto = campos.mid(0, 6).join(QStringLiteral("  "));
    if (!linha.Erro.isEmpty())
        texto += QStringLiteral("  ") + linha.Erro;
    texto += u'\n';
    for (const QString& linhaPainel : linha.Linha.split(u'\n', Qt::SkipEmptyParts))
        texto += QStringLiteral("    ") + linhaPainel + u'\n';
    return texto;
}

void Escreve(const QString& texto)
{
    std::fputs(texto.toUtf8().constData(), stdout);
}

} // namespace

int ExecutaHistorico(const QString& arquivo, const TFiltroHistorico& filtro, TFormatoHistorico formato)
{
    try {
        TLeituraDiario leitura(arquivo);
        if (formato == TFormatoHistorico::Csv)
            Escreve(NomesCampos.join(u',') + u'\n');
        if (formato == TFormatoHistorico::Json)
            Escreve(QStringLiteral("["));
        bool primeiro = true;
        for (qint64 antesDe = 0;;) {
            const QList<TLinhaHistorico> pagina = leitura.Pagina(filtro, antesDe, TamanhoPagina);
            for (const TLinhaHistorico& linha : pagina) {
                if (formato == TFormatoHistorico::Json && !primeiro)
                    Escreve(QStringLiteral(",\n"));
                Escreve(Formata(linha, formato));
                primeiro = false;
            }
            if (pagina.size() < TamanhoPagina)
                break;
            antesDe = pagina.back().Id;
        }
        if (formato == TFormatoHistorico::Json)
            Escreve(QStringLiteral("]\n"));
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "quelix: %s\n", qPrintable(e.Message()));
        return 2;
    }
}

TEstadoMonitor AvaliaEstado(const QString& arquivo, qint64 limiteCicloMs, const QDateTime& agora)
{
    TEstadoMonitor estado;
    TUltimosCiclos ciclos;
    try {
        ciclos = TLeituraDiario(arquivo).UltimosCiclos();
    } catch (const Exception& e) {
        estado.Linhas << e.Message();
        return estado;
    }
    if (!ciclos.Terminado && !ciclos.EmAndamento) {
        estado.Status = TEstadoMonitor::Parado;
        estado.Linhas << QStringLiteral("Nenhum ciclo no histórico ") + arquivo + u'.';
        return estado;
    }
    // The journal cannot tell a paused monitor: it shows as cycles that stopped coming.
    const qint64 intervalo = ciclos.Terminado ? ciclos.Terminado->IntervaloMs : IntervaloCicloPadraoMs;
    const TSaude saude = AvaliaSaude({{true, intervalo, limiteCicloMs}, {}, ciclos.Terminado, ciclos.EmAndamento, {}}, agora);
    estado.Status = saude.Saudavel ? TEstadoMonitor::Monitorando : TEstadoMonitor::Parado;
    if (ciclos.EmAndamento) {
        estado.Linhas << QStringLiteral("Último ciclo (%1): em andamento desde %2")
                             .arg(ciclos.EmAndamento->Integracao, Hora(ciclos.EmAndamento->Inicio, agora));
    } else {
        const TFimCiclo& fim = *ciclos.Terminado;
        estado.Linhas << QStringLiteral("Último ciclo (%1): %2").arg(fim.Integracao, Resumo(fim, agora));
        const QDateTime proximo = fim.Fim.addMSecs(fim.IntervaloMs);
        estado.Linhas << (proximo >= agora ? QStringLiteral("Próximo ciclo: ") + Hora(proximo, agora)
                                           : QStringLiteral("Próximo ciclo: atrasado desde ") + Hora(proximo, agora)
                                                 + QStringLiteral(" (monitoramento parado ou pausado)"));
        for (const TEstadoConexao& conexao : fim.Conexoes)
            estado.Linhas << TextoConexao(conexao, agora);
    }
    if (!saude.Saudavel)
        estado.Linhas << QStringLiteral("Falha: ") + saude.Motivo;
    return estado;
}

int ExecutaEstado(const QString& arquivo, qint64 limiteCicloMs)
{
    const TEstadoMonitor estado = AvaliaEstado(arquivo, limiteCicloMs);
    for (const QString& linha : estado.Linhas)
        Escreve(linha + u'\n');
    return estado.Status;
}
