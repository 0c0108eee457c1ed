#include "servico/console/GraficoRegistros.h"

#include "servico/console/LayoutConsole.h"

#include <algorithm>

namespace {

constexpr double Largura = 720;
constexpr double Altura = 220;
constexpr double Esquerda = 44;   // room for the scale's numbers
constexpr double Direita = 8;
constexpr double Topo = 26;       // room for the legend
constexpr double Base = 24;       // room for the hours or days
constexpr double AlturaMinima = 1.5;  // of a kind's part of a bar, however few its records

const QString CorEnviados = QStringLiteral("#2e7d32");
const QString CorFalhas = QStringLiteral("#c62828");
const QString CorPendentes = QStringLiteral("#f9a825");

// Coordinates with one decimal, the same whatever the regional settings.
QString N(double valor) { return QString::number(valor, 'f', 1); }

// The top of the scale: the largest hour rounded up to 1, 2 or 5 times a
// power of ten, so that its half is a round number too.
int TopoEscala(int maior)
{
    if (maior <= 0)
        return 1;
    for (int potencia = 1;; potencia *= 10)
        for (const int passo : {1, 2, 5})
            if (passo * potencia >= maior)
                return passo * potencia;
}

QString Plural(int quantos, const char* um, const char* varios)
{
    return QStringLiteral("%1 %2").arg(quantos).arg(QString::fromUtf8(quantos == 1 ? um : varios));
}

QString DicaHora(const TContagemHora& hora)
{
    const QDateTime fim = hora.Inicio.addSecs(3600);
    return QStringLiteral("%1 %2–%3: %4, %5, %6")
        .arg(hora.Inicio.toString(QStringLiteral("dd/MM")), hora.Inicio.toString(QStringLiteral("HH:mm")),
             fim.toString(QStringLiteral("HH:mm")), Plural(hora.Enviados, "enviado", "enviados"),
             Plural(hora.Falhas, "falhou", "falharam"), Plural(hora.Pendentes, "pendente", "pendentes"));
}

} // namespace

QString GraficoRegistros(const QList<TContagemHora>& horas, const QString& titulo)
{
    const double larguraUtil = Largura - Esquerda - Direita;
    const double alturaUtil = Altura - Topo - Base;
    const double baseY = Topo + alturaUtil;
    int maior = 0;
    for (const TContagemHora& hora : horas)
        maior = std::max(maior, hora.Enviados + hora.Falhas + hora.Pendentes);
    const int topo = TopoEscala(maior);
    const double porRegistro = alturaUtil / topo;
    const double larguraHora = horas.isEmpty() ? larguraUtil : larguraUtil / horas.size();
    const bool porDia = horas.size() > 48;

    QString svg;
    svg += QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"grafico-registros\" viewBox=\"0 0 %1 %2\" "
                          "width=\"%1\" height=\"%2\" role=\"img\" aria-label=\"%3\" font-family=\"sans-serif\" "
                          "font-size=\"11\">\n")
               .arg(N(Largura), N(Altura), Escapa(titulo));
    svg += QStringLiteral("<title>%1</title>\n").arg(Escapa(titulo));

    // The legend.
    double x = Esquerda;
    for (const auto& [cor, nome] : {std::pair{CorEnviados, "enviados"}, std::pair{CorFalhas, "falharam"},
                                    std::pair{CorPendentes, "pendentes"}}) {
        svg += QStringLiteral("<rect x=\"%1\" y=\"8\" width=\"10\" height=\"10\" fill=\"%2\"/>"
                              "<text x=\"%3\" y=\"17\">%4</text>\n")
                   .arg(N(x), cor, N(x + 14), QString::fromUtf8(nome));
        x += 90;
    }

    // The scale: 0, half and the top, with their lines.
    for (const int valor : {0, topo / 2, topo}) {
        if (valor == topo / 2 && (topo % 2 != 0 || topo < 2))
            continue;
        const double y = baseY - valor * porRegistro;
        svg += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"#bbbbbb\" stroke-width=\"0.5\"/>"
                              "<text x=\"%4\" y=\"%5\" text-anchor=\"end\">%6</text>\n")
                   .arg(N(Esquerda), N(y), N(Largura - Direita), N(Esquerda - 4), N(y + 4))
                   .arg(valor);
    }

    // The bars, each hour's counts stacked from the bottom, and the labels
    // of the hours (every third) or of the days (at each midnight).
    for (qsizetype i = 0; i < horas.size(); ++i) {
        const TContagemHora& hora = horas[i];
        const double xHora = Esquerda + i * larguraHora;
        const int horaDoDia = hora.Inicio.time().hour();
        if (porDia ? horaDoDia == 0 : horaDoDia % 3 == 0) {
            const QString rotulo = porDia ? hora.Inicio.toString(QStringLiteral("dd/MM"))
                                          : hora.Inicio.toString(QStringLiteral("HH")) + u'h';
            svg += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%1\" y2=\"%3\" stroke=\"#888888\" stroke-width=\"0.5\"/>"
                                  "<text x=\"%1\" y=\"%4\" text-anchor=\"middle\">%5</text>\n")
                       .arg(N(xHora), N(baseY), N(baseY + 4), N(Altura - 6), rotulo);
        }
        if (hora.Enviados + hora.Falhas + hora.Pendentes == 0)
            continue;
        svg += QStringLiteral("<g><title>%1</title>").arg(Escapa(DicaHora(hora)));
        double y = baseY;
        for (const auto& [quantos, cor, classe] : {std::tuple{hora.Enviados, CorEnviados, "enviados"},
                                                   std::tuple{hora.Falhas, CorFalhas, "falhas"},
                                                   std::tuple{hora.Pendentes, CorPendentes, "pendentes"}}) {
            if (quantos == 0)
                continue;
            // One failure among a thousand records sent is still seen.
            const double altura = std::max(quantos * porRegistro, AlturaMinima);
            y -= altura;
            svg += QStringLiteral("<rect class=\"%1\" x=\"%2\" y=\"%3\" width=\"%4\" height=\"%5\" fill=\"%6\"/>")
                       .arg(QString::fromLatin1(classe), N(xHora + larguraHora * 0.1), N(y),
                            N(larguraHora * 0.8), N(altura), cor);
        }
        svg += QStringLiteral("</g>\n");
    }
    svg += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"#444444\" stroke-width=\"1\"/>\n")
               .arg(N(Esquerda), N(baseY), N(Largura - Direita));
    if (maior == 0)
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"middle\">Nenhum registro neste período.</text>\n")
                   .arg(N(Esquerda + larguraUtil / 2), N(Topo + alturaUtil / 2));
    svg += QStringLiteral("</svg>");
    return svg;
}
