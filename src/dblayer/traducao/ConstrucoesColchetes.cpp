#include "dblayer/traducao/ConstrucoesColchetes.h"

QString ConverteConstrucoes(const QString& texto, QStringView abertura,
                            const std::function<QString(const QString& conteudo)>& converte)
{
    qsizetype inicio = texto.indexOf(abertura);
    if (inicio < 0)
        return texto;

    QString resultado;
    resultado.reserve(texto.size());
    qsizetype copiado = 0;
    while (inicio >= 0) {
        const qsizetype conteudo = inicio + abertura.size();
        const qsizetype fecha = texto.indexOf(u']', conteudo);
        if (fecha < 0)
            break;
        resultado += QStringView(texto).mid(copiado, inicio - copiado);
        resultado += converte(texto.mid(conteudo, fecha - conteudo));
        copiado = fecha + 1;
        inicio = texto.indexOf(abertura, copiado);
    }
    resultado += QStringView(texto).mid(copiado);
    return resultado;
}
