#include "monitor/RelatorEntreThreads.h"

#include <QObject>
#include <QThread>

TRelatorEntreThreads::TRelatorEntreThreads(TRelator& destino, QObject& contexto)
    : FDestino(destino), FContexto(contexto)
{
}

bool TRelatorEntreThreads::NaThreadDoDestino() const
{
    return QThread::currentThread() == FContexto.thread();
}

void TRelatorEntreThreads::EsperaNoDestino(const std::function<void()>& chamada)
{
    if (NaThreadDoDestino())
        chamada();
    else
        QMetaObject::invokeMethod(&FContexto, chamada, Qt::BlockingQueuedConnection);
}

void TRelatorEntreThreads::AdicionaLinha(const QString& linha)
{
    if (NaThreadDoDestino()) {
        FDestino.AdicionaLinha(linha);
        return;
    }
    QMetaObject::invokeMethod(
        &FContexto, [this, linha] { FDestino.AdicionaLinha(linha); }, Qt::QueuedConnection);
}

void TRelatorEntreThreads::MostraMensagem(const QString& texto)
{
    EsperaNoDestino([this, &texto] { FDestino.MostraMensagem(texto); });
}

bool TRelatorEntreThreads::Pergunta(const QString& texto, const QString& titulo)
{
    bool resposta = false;
    EsperaNoDestino([this, &texto, &titulo, &resposta] { resposta = FDestino.Pergunta(texto, titulo); });
    return resposta;
}

void TRelatorEntreThreads::MostraErro(const QString& texto)
{
    EsperaNoDestino([this, &texto] { FDestino.MostraErro(texto); });
}

void TRelatorEntreThreads::IndicaOcupado(bool ocupado)
{
    EsperaNoDestino([this, ocupado] { FDestino.IndicaOcupado(ocupado); });
}
