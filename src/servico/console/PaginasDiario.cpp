#include "servico/console/PaginasDiario.h"

#include "base/Erros.h"
#include "monitor/Monitora.h"
#include "servico/console/PaginaEstado.h"
#include "servico/console/PaginaHistorico.h"
#include "servico/console/ServidorConsole.h"

#include <QUrl>

namespace {

// The query as the browser sent it: "+" still a space's mark, each value
// still encoded, so that it is read as a form's.
TLeituraPedidoHistorico Pedido(const QUrlQuery& consulta)
{
    return LePedidoHistorico(consulta.query(QUrl::FullyEncoded).toUtf8());
}

} // namespace

void LigaPaginasDoDiario(TFontesConsole& fontes, const TMonitora& monitora)
{
    const QString arquivo = monitora.ArquivoDiario();
    fontes.Estado = [&monitora](const QUrlQuery&) { return PaginaEstado(DadosEstado(monitora)); };
    fontes.Historico = [arquivo](const QUrlQuery& consulta) {
        const TLeituraPedidoHistorico pedido = Pedido(consulta);
        return PaginaHistorico(LeHistorico(arquivo, pedido.Pedido), QStringLiteral("/historico"), pedido.Erro);
    };
    // The console answers a download with 200 and these bytes: what is not
    // one (a wrong query, a journal that cannot be read) is said in the
    // file's place, in a sentence without paths or SQL.
    fontes.HistoricoArquivo = [arquivo](const QUrlQuery& consulta, const QString& formato) {
        TLeituraPedidoHistorico pedido = Pedido(consulta);
        if (!pedido.Erro.isEmpty())
            return (pedido.Erro + u'\n').toUtf8();
        pedido.Pedido.Formato = formato == QLatin1String("json") ? TFormatoHistorico::Json : TFormatoHistorico::Csv;
        try {
            return DownloadHistorico(arquivo, pedido.Pedido).Corpo;
        } catch (const Exception&) {
            return QByteArrayLiteral("O histórico não pôde ser lido.\n");
        }
    };
}
