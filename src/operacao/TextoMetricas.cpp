#include "operacao/TextoMetricas.h"

#include "operacao/TextosCiclo.h"

#include <QJsonArray>

namespace {

// A label value: backslash, double quote and line feed escaped.
QString ValorRotulo(const QString& valor)
{
    QString texto = valor;
    texto.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")).replace(u'\n', QStringLiteral("\\n"));
    return texto;
}

QString Numero(double valor) { return QString::number(valor, 'g', 15); }

QString Segundos(const QDateTime& momento)
{
    return momento.isValid() ? Numero(double(momento.toMSecsSinceEpoch()) / 1000.0) : QStringLiteral("0");
}

class TExposicao {
public:
    void Familia(const char* nome, const char* tipo, const char* ajuda)
    {
        FTexto += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                      .arg(QLatin1String(nome), QString::fromUtf8(ajuda), QLatin1String(tipo));
    }
    void Amostra(const char* nome, const QString& valor, const QList<std::pair<const char*, QString>>& rotulos = {})
    {
        FTexto += QLatin1String(nome);
        if (!rotulos.isEmpty()) {
            QStringList pares;
            for (const auto& [rotulo, texto] : rotulos)
                pares << QLatin1String(rotulo) + QStringLiteral("=\"") + ValorRotulo(texto) + u'"';
            FTexto += u'{' + pares.join(u',') + u'}';
        }
        FTexto += u' ' + valor + u'\n';
    }
    QByteArray Texto() const { return FTexto.toUtf8(); }

private:
    QString FTexto;
};

} // namespace

QByteArray TextoPrometheus(const TEstadoOperacao::TInstantaneo& estado, const TParametrosSaude& parametros,
                           const TSaude& saude, const QDateTime& agora)
{
    TExposicao e;
    e.Familia("quelix_ciclos_total", "counter", "Ciclos de monitoramento terminados, por desfecho.");
    for (const auto& [desfecho, total] : estado.Ciclos)
        e.Amostra("quelix_ciclos_total", QString::number(total), {{"desfecho", Texto(desfecho)}});

    e.Familia("quelix_registros_total", "counter", "Registros tratados, por integração, direção e desfecho.");
    for (const auto& [chave, total] : estado.Registros)
        e.Amostra("quelix_registros_total", QString::number(total),
                  {{"integracao", chave.Integracao}, {"direcao", chave.Direcao}, {"desfecho", chave.Desfecho}});

    e.Familia("quelix_falhas_total", "counter",
              "Registros que falharam num ciclo e esperam o próximo, por integração.");
    for (const auto& [integracao, total] : estado.FalhasPorIntegracao)
        e.Amostra("quelix_falhas_total", QString::number(total), {{"integracao", integracao}});

    e.Familia("quelix_registro_falhas_seguidas_maximo", "gauge",
              "O maior número de ciclos seguidos em que um mesmo registro falhou, entre os que falharam no último "
              "ciclo da integração (0: nenhum falhou nele).");
    for (const auto& [integracao, maximo] : estado.FalhasSeguidasMaximo)
        e.Amostra("quelix_registro_falhas_seguidas_maximo", QString::number(maximo), {{"integracao", integracao}});

    e.Familia("quelix_ultimo_ciclo_fim_segundos", "gauge", "Fim do último ciclo (segundos desde 1970; 0: nenhum).");
    e.Amostra("quelix_ultimo_ciclo_fim_segundos", Segundos(estado.UltimoCiclo ? estado.UltimoCiclo->Fim : QDateTime()));
    e.Familia("quelix_ultimo_ciclo_sucesso_fim_segundos", "gauge",
              "Fim do último ciclo de que nenhum erro escapou (segundos desde 1970; 0: nenhum).");
    e.Amostra("quelix_ultimo_ciclo_sucesso_fim_segundos", Segundos(estado.FimUltimoSucesso));

    e.Familia("quelix_ciclo_duracao_segundos", "histogram", "Duração dos ciclos.");
    for (std::size_t i = 0; i < TEstadoOperacao::LimitesDuracao.size(); ++i)
        e.Amostra("quelix_ciclo_duracao_segundos_bucket", QString::number(estado.BaldesDuracao[i]),
                  {{"le", Numero(TEstadoOperacao::LimitesDuracao[i])}});
    e.Amostra("quelix_ciclo_duracao_segundos_bucket", QString::number(estado.ContagemDuracao), {{"le", "+Inf"}});
    e.Amostra("quelix_ciclo_duracao_segundos_sum", Numero(estado.SomaDuracao));
    e.Amostra("quelix_ciclo_duracao_segundos_count", QString::number(estado.ContagemDuracao));

    e.Familia("quelix_ciclo_em_andamento_segundos", "gauge", "Há quanto tempo roda o ciclo em andamento (0: nenhum).");
    e.Amostra("quelix_ciclo_em_andamento_segundos",
              Numero(estado.CicloAtual ? double(estado.CicloAtual->Inicio.msecsTo(agora)) / 1000.0 : 0.0));

    e.Familia("quelix_conexao_ativa", "gauge", "Cada conexão ao fim do último ciclo: 1 aberta, 0 fechada ou perdida.");
    for (const auto& [nome, ativa] : estado.Conexoes)
        e.Amostra("quelix_conexao_ativa", ativa ? QStringLiteral("1") : QStringLiteral("0"), {{"conexao", nome}});

    if (estado.UltimoCiclo && estado.UltimoCiclo->Pendentes) {
        e.Familia("quelix_fila_pendentes", "gauge", "Linhas pendentes da fila da integração ao fim do último ciclo.");
        e.Amostra("quelix_fila_pendentes", QString::number(*estado.UltimoCiclo->Pendentes),
                  {{"integracao", estado.UltimoCiclo->Integracao}});
    }
    e.Familia("quelix_inicio_segundos", "gauge", "Início do monitoramento do processo (segundos desde 1970).");
    e.Amostra("quelix_inicio_segundos", Segundos(estado.Desde));
    e.Familia("quelix_intervalo_segundos", "gauge", "Intervalo entre o fim de um ciclo e o início do próximo.");
    e.Amostra("quelix_intervalo_segundos", Numero(double(parametros.IntervaloMs) / 1000.0));
    e.Familia("quelix_monitorando", "gauge", "1 enquanto o monitoramento está ligado.");
    e.Amostra("quelix_monitorando", parametros.Monitorando ? QStringLiteral("1") : QStringLiteral("0"));
    e.Familia("quelix_saudavel", "gauge", "1 quando /saude responde 200.");
    e.Amostra("quelix_saudavel", saude.Saudavel ? QStringLiteral("1") : QStringLiteral("0"));
    return e.Texto();
}

QJsonObject JsonSaude(const TEstadoOperacao::TInstantaneo& estado, const TParametrosSaude& parametros,
                      const TSaude& saude, const QDateTime& agora)
{
    QJsonObject json{
        {QStringLiteral("status"), saude.Saudavel ? QStringLiteral("ok") : QStringLiteral("falha")},
        {QStringLiteral("monitorando"), parametros.Monitorando},
        {QStringLiteral("intervaloSegundos"), double(parametros.IntervaloMs) / 1000.0},
    };
    if (!saude.Saudavel)
        json[QStringLiteral("motivo")] = saude.Motivo;
    if (estado.UltimoCiclo) {
        const TFimCiclo& ultimo = *estado.UltimoCiclo;
        QJsonObject ciclo{
            {QStringLiteral("integracao"), ultimo.Integracao},
            {QStringLiteral("inicio"), ultimo.Inicio.toString(Qt::ISODateWithMs)},
            {QStringLiteral("fim"), ultimo.Fim.toString(Qt::ISODateWithMs)},
            {QStringLiteral("falhas"), ultimo.Falhas},
            {QStringLiteral("resumo"), Resumo(ultimo, agora)},
        };
        if (!ultimo.Erro.isEmpty())
            ciclo[QStringLiteral("erro")] = ultimo.Erro;
        json[QStringLiteral("ultimoCiclo")] = ciclo;
    }
    if (estado.CicloAtual)
        json[QStringLiteral("cicloEmAndamento")] = QJsonObject{
            {QStringLiteral("integracao"), estado.CicloAtual->Integracao},
            {QStringLiteral("inicio"), estado.CicloAtual->Inicio.toString(Qt::ISODateWithMs)},
            {QStringLiteral("segundos"), double(estado.CicloAtual->Inicio.msecsTo(agora)) / 1000.0},
        };
    QJsonObject conexoes;
    for (const auto& [nome, ativa] : estado.Conexoes)
        conexoes[nome] = ativa;
    json[QStringLiteral("conexoes")] = conexoes;
    return json;
}
