#include "servico/ConsultaHistorico.h"

#include "base/Erros.h"
#include "operacao/EstadoOperacao.h"

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

QString Hora(const QDateTime& momento)
{
    return momento.toString(FormatoMomento);
}

QString ResumoDoCiclo(const TCicloHistorico& ciclo)
{
    if (!ciclo.Fim)
        return QStringLiteral("em andamento desde ") + Hora(ciclo.Inicio);
    TFimCiclo fim;
    fim.Inicio = ciclo.Inicio;
    fim.Fim = *ciclo.Fim;
    fim.Falhas = ciclo.Falhas;
    fim.Erro = ciclo.Erro;
    fim.Enviados = ciclo.Enviados;
    return TEstadoOperacao::Resumo(fim, ciclo.Enviados);
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

TEstadoMonitor AvaliaEstado(const QString& arquivo, const QDateTime& agora)
{
    TEstadoMonitor estado;
    std::optional<TCicloHistorico> ciclo;
    try {
        ciclo = TLeituraDiario(arquivo).UltimoCiclo();
    } catch (const Exception& e) {
        estado.Linhas << e.Message();
        return estado;
    }
    if (!ciclo) {
        estado.Status = TEstadoMonitor::Parado;
        estado.Linhas << QStringLiteral("Nenhum ciclo no histórico ") + arquivo + u'.';
        return estado;
    }
    const int intervalo = ciclo->IntervaloMs > 0 ? ciclo->IntervaloMs : 59000;
    const bool recente = ciclo->Inicio.msecsTo(agora) <= 3LL * intervalo;
    estado.Status = recente && ciclo->Erro.isEmpty() ? TEstadoMonitor::Monitorando : TEstadoMonitor::Parado;
    estado.Linhas << QStringLiteral("Último ciclo (%1): %2").arg(ciclo->Integracao, ResumoDoCiclo(*ciclo));
    if (ciclo->Fim) {
        const QDateTime proximo = ciclo->Fim->addMSecs(intervalo);
        estado.Linhas << (proximo >= agora ? QStringLiteral("Próximo ciclo: ") + Hora(proximo)
                                           : QStringLiteral("Próximo ciclo: atrasado desde ") + Hora(proximo)
                                                 + QStringLiteral(" (monitoramento parado ou pausado)"));
    }
    for (const TConexaoHistorico& conexao : ciclo->Conexoes)
        estado.Linhas << QStringLiteral("%1: %2 desde %3")
                             .arg(conexao.Nome, conexao.Ativa ? QStringLiteral("ativa") : QStringLiteral("inativa"),
                                  Hora(conexao.Desde));
    return estado;
}

int ExecutaEstado(const QString& arquivo)
{
    const TEstadoMonitor estado = AvaliaEstado(arquivo);
    for (const QString& linha : estado.Linhas)
        Escreve(linha + u'\n');
    return estado.Status;
}
