#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// One HTTP/1.1 request, read from the bytes a connection has received so
// far. Bodies are taken by Content-Length only.
struct TPedidoHttp {
    QByteArray Metodo;
    QByteArray Alvo;      // path and query, as sent
    QByteArray Versao;    // "HTTP/1.1"
    QList<QPair<QByteArray, QByteArray>> Cabecalhos;
    QByteArray Corpo;

    // The value of a header, by its name in any case; empty when absent.
    QByteArray Cabecalho(const QByteArray& nome) const;
    // Whether the connection stays open after the answer.
    bool MantemConexao() const;
};

// What LePedidoHttp found at the start of the buffer.
struct TLeituraHttp {
    enum class TTipo { Incompleto, Pedido, Invalido } Tipo = TTipo::Incompleto;
    TPedidoHttp Pedido;
    int Status = 0;      // for Invalido: 400, 413, 431, 501
    QString Problema;
};

// Takes one whole request off the front of `buffer`, when it holds one.
TLeituraHttp LePedidoHttp(QByteArray& buffer);
