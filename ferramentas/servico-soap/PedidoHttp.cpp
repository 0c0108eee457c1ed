#include "PedidoHttp.h"

namespace {

constexpr qsizetype MaximoCabecalho = 64 * 1024;
constexpr qsizetype MaximoCorpo = 32 * 1024 * 1024;

TLeituraHttp Invalido(int status, const QString& problema)
{
    TLeituraHttp leitura;
    leitura.Tipo = TLeituraHttp::TTipo::Invalido;
    leitura.Status = status;
    leitura.Problema = problema;
    return leitura;
}

bool LeLinhaInicial(const QByteArray& linha, TPedidoHttp& pedido)
{
    const QList<QByteArray> partes = linha.split(' ');
    if (partes.size() != 3 || partes[0].isEmpty() || !partes[1].startsWith('/')
        || !partes[2].startsWith("HTTP/1."))
        return false;
    pedido.Metodo = partes[0];
    pedido.Alvo = partes[1];
    pedido.Versao = partes[2];
    return true;
}

} // namespace

QByteArray TPedidoHttp::Cabecalho(const QByteArray& nome) const
{
    for (const auto& [n, v] : Cabecalhos)
        if (n.compare(nome, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

bool TPedidoHttp::MantemConexao() const
{
    const QByteArray conexao = Cabecalho("Connection").toLower();
    if (Versao == "HTTP/1.0")
        return conexao.contains("keep-alive");
    return !conexao.contains("close");
}

TLeituraHttp LePedidoHttp(QByteArray& buffer)
{
    const qsizetype fimCabecalho = buffer.indexOf("\r\n\r\n");
    if (fimCabecalho < 0) {
        if (buffer.size() > MaximoCabecalho)
            return Invalido(431, QStringLiteral("cabeçalho grande demais"));
        return {};
    }

    TLeituraHttp leitura;
    TPedidoHttp& pedido = leitura.Pedido;
    const QList<QByteArray> linhas = buffer.left(fimCabecalho).split('\n');
    if (!LeLinhaInicial(linhas.first().trimmed(), pedido))
        return Invalido(400, QStringLiteral("linha de pedido inválida"));
    for (qsizetype i = 1; i < linhas.size(); ++i) {
        const QByteArray linha = linhas[i].trimmed();
        const qsizetype doisPontos = linha.indexOf(':');
        if (doisPontos <= 0)
            return Invalido(400, QStringLiteral("cabeçalho inválido"));
        pedido.Cabecalhos.append({linha.left(doisPontos).trimmed(), linha.mid(doisPontos + 1).trimmed()});
    }

    if (!pedido.Cabecalho("Transfer-Encoding").isEmpty())
        return Invalido(501, QStringLiteral("só corpos com Content-Length"));
    bool numero = true;
    const QByteArray textoTamanho = pedido.Cabecalho("Content-Length");
    const qlonglong tamanho = textoTamanho.isEmpty() ? 0 : textoTamanho.toLongLong(&numero);
    if (!numero || tamanho < 0)
        return Invalido(400, QStringLiteral("Content-Length inválido"));
    if (tamanho > MaximoCorpo)
        return Invalido(413, QStringLiteral("corpo grande demais"));

    const qsizetype inicioCorpo = fimCabecalho + 4;
    if (buffer.size() - inicioCorpo < tamanho)
        return {};
    pedido.Corpo = buffer.mid(inicioCorpo, tamanho);
    buffer.remove(0, inicioCorpo + tamanho);
    leitura.Tipo = TLeituraHttp::TTipo::Pedido;
    return leitura;
}
