#include "servico/ConsultaHistorico.h"

#include "base/Erros.h"
#include "operacao/RegraSaude.h"
#include "operacao/TextosCiclo.h"
#include "operacao/Diario.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int TamanhoPagina = 1000;
const QString FormatoMomento = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The moments of an export as it writes them, "yyyy-MM-dd HH:mm:ss" in
// local time, from the journal's UTC text. Asking the system for the local
// time costs a system call (the time zone file is looked at each time), and
// a million records are a million moments: the offset from UTC is asked
// once per hour of UTC time instead, and per moment only in an hour where
// it changes (a daylight-saving switch). The result is the same.
class TMomentoLocal {
public:
    void Acrescenta(QString& saida, const QString& utc)
    {
        const std::optional<qint64> segundos = Segundos(utc);
        if (!segundos) {
            saida += TDiario::LeMomento(utc).toString(FormatoMomento);
            return;
        }
        const qint64 hora = *segundos / 3600;
        if (hora != FHora) {
            FHora = hora;
            FDeslocamento = Deslocamento(hora * 3600);
            FHoraUniforme = FDeslocamento == Deslocamento(hora * 3600 + 3599);
        }
        const qint64 local = *segundos + (FHoraUniforme ? FDeslocamento : Deslocamento(*segundos));
        int ano = 0, mes = 0, dia = 0;
        QDate::fromJulianDay(local / 86400 + DiaJulianoDe1970).getDate(&ano, &mes, &dia);
        const int noDia = int(local % 86400);
        Dois(saida, ano / 100);
        Dois(saida, ano % 100);
        saida += u'-';
        Dois(saida, mes);
        saida += u'-';
        Dois(saida, dia);
        saida += u' ';
        Dois(saida, noDia / 3600);
        saida += u':';
        Dois(saida, noDia / 60 % 60);
        saida += u':';
        Dois(saida, noDia % 60);
    }

private:
    static constexpr qint64 DiaJulianoDe1970 = 2440588;

    static int Deslocamento(qint64 segundos) { return QDateTime::fromSecsSinceEpoch(segundos).offsetFromUtc(); }

    static void Dois(QString& saida, int valor)
    {
        saida += QChar(u'0' + valor / 10);
        saida += QChar(u'0' + valor % 10);
    }

    // Seconds since 1970 of a moment written as TDiario::Momento writes it
    // (from 1971 to 9998, so that the local day is never before 1970); none
    // for any other text.
    static std::optional<qint64> Segundos(const QString& utc)
    {
        static const QString forma = QStringLiteral("0000-00-00T00:00:00.000Z");
        if (utc.size() != forma.size())
            return std::nullopt;
        for (qsizetype i = 0; i < forma.size(); ++i)
            if (forma[i] == u'0' ? utc[i] < u'0' || utc[i] > u'9' : utc[i] != forma[i])
                return std::nullopt;
        auto numero = [&utc](int de, int tamanho) {
            int valor = 0;
            for (int i = de; i < de + tamanho; ++i)
                valor = valor * 10 + (utc[i].unicode() - u'0');
            return valor;
        };
        const QDate dia(numero(0, 4), numero(5, 2), numero(8, 2));
        const int hora = numero(11, 2), minuto = numero(14, 2), segundo = numero(17, 2);
        if (!dia.isValid() || dia.year() < 1971 || dia.year() > 9998 || hora > 23 || minuto > 59 || segundo > 59)
            return std::nullopt;
        return (dia.toJulianDay() - DiaJulianoDe1970) * 86400 + hora * 3600 + minuto * 60 + segundo;
    }

    qint64 FHora = -1;
    int FDeslocamento = 0;
    bool FHoraUniforme = false;
};

// A cell that begins as a formula does (=, +, -, @, a tab, a carriage
// return) would be run as one by a spreadsheet opening the file: an
// apostrophe before it keeps it text, as spreadsheet exports do. Then the
// cell is quoted when it holds a comma, a quote or a line break.
void AcrescentaCampoCsv(QString& saida, const QString& valor)
{
    static const QString inicioDeFormula = QStringLiteral("=+-@\t\r");
    const bool formula = !valor.isEmpty() && inicioDeFormula.contains(valor.front());
    const bool aspas = valor.contains(u',') || valor.contains(u'"') || valor.contains(u'\n') || valor.contains(u'\r');
    if (aspas)
        saida += u'"';
    if (formula)
        saida += u'\'';
    if (aspas)
        saida += QString(valor).replace(u'"', QStringLiteral("\"\""));
    else
        saida += valor;
    if (aspas)
        saida += u'"';
}

// A JSON string, escaped as Qt's JSON writer escapes it; what needs no
// escape is added a run at a time.
void AcrescentaTextoJson(QString& saida, const QString& valor)
{
    saida += u'"';
    const QChar* const inicio = valor.constData();
    const qsizetype tamanho = valor.size();
    qsizetype desde = 0;
    for (qsizetype i = 0; i < tamanho; ++i) {
        const char16_t u = inicio[i].unicode();
        if (u >= 0x20 && u != u'"' && u != u'\\')
            continue;
        saida += QStringView(inicio + desde, i - desde);
        desde = i + 1;
        saida += u'\\';
        switch (u) {
        case u'"': saida += u'"'; break;
        case u'\\': saida += u'\\'; break;
        case 0x08: saida += u'b'; break;
        case 0x0c: saida += u'f'; break;
        case 0x0a: saida += u'n'; break;
        case 0x0d: saida += u'r'; break;
        case 0x09: saida += u't'; break;
        default:
            saida += QStringLiteral("u00");
            saida += QChar(u'0' + (u >> 4));
            saida += QChar(u"0123456789abcdef"[u & 0xf]);
        }
    }
    saida += QStringView(inicio + desde, tamanho - desde);
    saida += u'"';
}

// A field of a record's line in the text format. A line break in it (a key
// with one, a database's error message of several lines) is shown as \n or
// \r, so that each record keeps its one line and the lines under it stay
// the pane's.
void AcrescentaNaLinha(QString& saida, const QString& valor)
{
    const QChar* const inicio = valor.constData();
    const qsizetype tamanho = valor.size();
    qsizetype desde = 0;
    for (qsizetype i = 0; i < tamanho; ++i) {
        const char16_t u = inicio[i].unicode();
        if (u != u'\n' && u != u'\r')
            continue;
        saida += QStringView(inicio + desde, i - desde);
        saida += u == u'\n' ? QStringLiteral("\\n") : QStringLiteral("\\r");
        desde = i + 1;
    }
    saida += QStringView(inicio + desde, tamanho - desde);
}

const QStringList NomesCampos = {QStringLiteral("momento"), QStringLiteral("integracao"), QStringLiteral("direcao"),
                                 QStringLiteral("tipo"), QStringLiteral("chave"), QStringLiteral("desfecho"),
                                 QStringLiteral("linha"), QStringLiteral("erro")};

// One record as --historico writes it in that format, added to `saida`.
void Formata(QString& saida, TMomentoLocal& momento, const TLinhaHistorico& linha, TFormatoHistorico formato)
{
    switch (formato) {
    case TFormatoHistorico::Csv:
        momento.Acrescenta(saida, linha.MomentoTexto);
        for (const QString* campo : {&linha.Integracao, &linha.Direcao, &linha.Tipo, &linha.Chave, &linha.Desfecho,
                                     &linha.Linha, &linha.Erro}) {
            saida += u',';
            AcrescentaCampoCsv(saida, *campo);
        }
        saida += u'\n';
        return;
    case TFormatoHistorico::Json: {
        // The keys in the order Qt's JSON objects keep them (by name), as
        // the export has always written them.
        const std::pair<const char*, const QString*> campos[] = {
            {"chave", &linha.Chave}, {"conteudo", &linha.Conteudo}, {"desfecho", &linha.Desfecho}, {"direcao", &linha.Direcao},
            {"erro", &linha.Erro}, {"integracao", &linha.Integracao}, {"linha", &linha.Linha},
            {"momento", nullptr}, {"tipo", &linha.Tipo}};
        char separador = '{';
        for (const auto& [nome, valor] : campos) {
            saida += QLatin1Char(separador);
            saida += u'"';
            saida += QLatin1String(nome);
            saida += QStringLiteral("\":");
            if (valor) {
                AcrescentaTextoJson(saida, *valor);
            } else {
                saida += u'"';
                momento.Acrescenta(saida, linha.MomentoTexto);
                saida += u'"';
            }
            separador = ',';
        }
        saida += u'}';
        return;
    }
    case TFormatoHistorico::Texto:
    case TFormatoHistorico::Conteudo:
        break;
    }
    // The pane's lines of the record, each on a line of its own, indented.
    momento.Acrescenta(saida, linha.MomentoTexto);
    for (const QString* campo : {&linha.Integracao, &linha.Direcao, &linha.Tipo, &linha.Chave, &linha.Desfecho})
        saida += QStringLiteral("  "), AcrescentaNaLinha(saida, *campo);
    if (!linha.Erro.isEmpty())
        saida += QStringLiteral("  "), AcrescentaNaLinha(saida, linha.Erro);
    saida += u'\n';
    // The content as it was kept, not indented: an envelope or a row is
    // copied from here as it went.
    if (formato == TFormatoHistorico::Conteudo) {
        saida += linha.Conteudo.isEmpty() ? QStringLiteral("(sem conteúdo)") : linha.Conteudo;
        saida += QStringLiteral("\n\n");
        return;
    }
    for (const QStringView linhaPainel : QStringView(linha.Linha).split(u'\n', Qt::SkipEmptyParts)) {
        saida += QStringLiteral("    ");
        saida += linhaPainel;
        saida += u'\n';
    }
}

void Escreve(const QString& texto)
{
    const QByteArray utf8 = texto.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
}

} // namespace

void EscreveHistorico(TLeituraDiario& leitura, const TFiltroHistorico& filtro, TFormatoHistorico formato,
                      const std::function<void(const QString&)>& escreve)
{
    TMomentoLocal momento;
    // A page is formatted into one text and written at once. The header
    // goes with the first page: a file that cannot be read as a journal
    // prints nothing, so that a script never takes a lone header (or "[")
    // for an export.
    QString saida;
    if (formato == TFormatoHistorico::Csv)
        saida = NomesCampos.join(u',') + u'\n';
    if (formato == TFormatoHistorico::Json)
        saida = QStringLiteral("[");
    bool primeiro = true;
    for (qint64 antesDe = 0;;) {
        const QList<TLinhaHistorico> pagina = leitura.PaginaSemMomento(filtro, antesDe, TamanhoPagina);
        for (const TLinhaHistorico& linha : pagina) {
            if (formato == TFormatoHistorico::Json && !primeiro)
                saida += QStringLiteral(",\n");
            Formata(saida, momento, linha, formato);
            primeiro = false;
        }
        escreve(saida);
        saida.clear();
        if (pagina.size() < TamanhoPagina)
            break;
        antesDe = pagina.back().Id;
    }
    if (formato == TFormatoHistorico::Json)
        escreve(QStringLiteral("]\n"));
}

int ExecutaHistorico(const QString& arquivo, const TFiltroHistorico& filtro, TFormatoHistorico formato)
{
    try {
        TLeituraDiario leitura(arquivo);
        EscreveHistorico(leitura, filtro, formato, Escreve);
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
    QStringList semResposta;
    try {
        TLeituraDiario leitura(arquivo);
        ciclos = leitura.UltimosCiclos();
        for (const TChamadaSemResposta& chamada : leitura.ChamadasSemResposta())
            semResposta << TextoSemResposta(chamada, std::max<qint64>(0, chamada.Inicio.secsTo(agora)));
    } catch (const Exception& e) {
        estado.Linhas << e.Message();
        return estado;
    }
    if (!ciclos.Terminado && !ciclos.EmAndamento) {
        estado.Status = TEstadoMonitor::Parado;
        estado.Linhas << QStringLiteral("Nenhum ciclo no histórico ") + arquivo + u'.';
        return estado;
    }
    // Stopped cleanly: no next cycle is due, and its connections were closed.
    if (ciclos.Parada) {
        estado.Status = TEstadoMonitor::Parado;
        estado.Linhas << QStringLiteral("Monitor parado em ") + Hora(*ciclos.Parada, agora) + u'.';
        if (ciclos.Terminado) {
            estado.Linhas << QStringLiteral("Último ciclo (%1): %2")
                                 .arg(ciclos.Terminado->Integracao, Resumo(*ciclos.Terminado, agora));
            for (const TEstadoConexao& conexao : ciclos.Terminado->Conexoes)
                estado.Linhas << QStringLiteral("%1: inativa desde %2").arg(conexao.Nome, Hora(*ciclos.Parada, agora));
        }
        return estado;
    }
    // The journal cannot tell a paused monitor: it shows as cycles that stopped coming.
    const qint64 intervalo = ciclos.Terminado ? ciclos.Terminado->IntervaloMs : IntervaloCicloPadraoMs;
    const TSaude saude =
        AvaliaSaude({{true, intervalo, limiteCicloMs}, {}, ciclos.Terminado, ciclos.EmAndamento, semResposta}, agora);
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
