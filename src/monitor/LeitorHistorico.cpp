#include "monitor/LeitorHistorico.h"

#include "base/Erros.h"

TLeitorHistorico::TLeitorHistorico(const QString& arquivo, QObject* pai) : QObject(pai), FArquivo(arquivo) {}

TLeitorHistorico::~TLeitorHistorico()
{
    // The connection belongs to the reading thread: closed there, after a
    // reading still running, whose page nobody wants any more.
    FThread.Executa([this] { FLeitura.reset(); });
}

quint64 TLeitorHistorico::Pede(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho,
                               std::function<void(const TPagina&)> aoLer)
{
    const quint64 pedido = ++FPedidos;
    const bool primeira = antesDe == 0;
    if (primeira)
        *FUltimaPrimeira = pedido;
    auto ultima = FUltimaPrimeira;
    FThread.Posta([this, pedido, primeira, ultima, filtro, antesDe, tamanho, aoLer = std::move(aoLer)] {
        if (primeira && *ultima != pedido)
            return;
        TPagina pagina{pedido, primeira, {}, {}, {}};
        try {
            // Opened the first time the journal exists; a file that went
            // away (a restored folder) is opened again at the next request.
            if (!FLeitura)
                FLeitura = std::make_unique<TLeituraDiario>(FArquivo);
            pagina.Linhas = FLeitura->Pagina(filtro, antesDe, tamanho);
            if (primeira)
                pagina.Integracoes = FLeitura->Integracoes();
        } catch (const Exception& e) {
            pagina.Erro = e.Message();
            FLeitura.reset();
        } catch (const std::exception& e) {
            pagina.Erro = QString::fromUtf8(e.what());
            FLeitura.reset();
        }
        QMetaObject::invokeMethod(this, [aoLer, pagina = std::move(pagina)] { aoLer(pagina); }, Qt::QueuedConnection);
    });
    return pedido;
}
