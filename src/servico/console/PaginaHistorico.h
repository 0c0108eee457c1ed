#pragma once

#include "operacao/LeituraDiario.h"
#include "servico/ConsultaHistorico.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the console's "Histórico" page was asked: the filters of the
// window's "Histórico" tab and of `quelix --historico`, where the page
// begins, and, for a download, its format.
struct TPedidoHistorico {
    TFiltroHistorico Filtro;
    // The page holds the records older than this one (keyset paging: the
    // next page is asked by the last record shown, so that records written
    // meanwhile neither repeat nor push any out); 0 for the newest.
    qint64 AntesDe = 0;
    std::optional<TFormatoHistorico> Formato;  // Csv or Json: a download
};

// A query read: the request, or why it is not one (in Portuguese, for the
// person who sent it; the console answers it with 400).
struct TLeituraPedidoHistorico {
    TPedidoHistorico Pedido;
    QString Erro;
};

// Reads the query part of the page's URL (after the "?", as a browser sends
// a GET form: "chave=4711&desde=2026-03-01&ate=&integracao=&desfecho=",
// with "+" for a space). The names: chave (a piece of the key, at most
// MaximoChave characters), desde and ate (days AAAA-MM-DD, desde not after
// ate), integracao, desfecho (one outcome, or "falhas": failed, pending or
// uncertain, as --falhas), antes (a record's number) and formato (csv or
// json). Empty values do not filter; a name not among these, or given
// twice, is an error.
TLeituraPedidoHistorico LePedidoHistorico(const QByteArray& consulta);

// The records a page shows.
inline constexpr int RegistrosPorPaginaHistorico = 50;
inline constexpr int MaximoChave = 200;
inline constexpr int MaximoIntegracao = 100;

struct TDadosHistorico {
    TPedidoHistorico Pedido;
    QStringList Integracoes;       // for the form's list
    QList<TLinhaHistorico> Linhas; // at most RegistrosPorPaginaHistorico, newest first
    bool HaMais = false;           // older records match too
    // Why the journal could not be read, for a person (no path, no SQL).
    QString Erro;
};

// The page's data: the records of the request's page, read from the
// journal file through a connection of its own.
TDadosHistorico LeHistorico(const QString& arquivo, const TPedidoHistorico& pedido);

// The page's body (an HTML fragment; the frame around it is the console's):
// the filters as a GET form to `caminho`, the page's records, each with its
// lines (and its content when the journal keeps it), a link to the next
// page, and the links to download what matches as CSV and JSON
// (`caminho`.csv and `caminho`.json, with the filters). `erro`: a
// request that was not read (LePedidoHistorico), said above the form.
// Every value is escaped.
QString PaginaHistorico(const TDadosHistorico& dados, const QString& caminho, const QString& erro = {});

// A download: every record that matches, in the request's format, the very
// text `quelix --historico --formato csv|json` writes. Raises Exception
// when the journal cannot be read.
struct TDownloadHistorico {
    QByteArray Tipo;     // the Content-Type
    QString NomeArquivo; // for Content-Disposition: "historico.csv"
    QByteArray Corpo;
};
TDownloadHistorico DownloadHistorico(const QString& arquivo, const TPedidoHistorico& pedido);
