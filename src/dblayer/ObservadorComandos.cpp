#include "dblayer/ObservadorComandos.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace {

// The observer is installed and removed while other threads send
// statements (a simulated cycle installs it on the cycle's thread while the
// queue tab may read on its own): each statement takes a reference to the
// one installed, under the lock, and calls it outside it.
std::mutex Trava;
std::shared_ptr<const TObservadorComandos> Instalado;
std::atomic<bool> HaInstalado = false;

} // namespace

void DefineObservadorComandos(TObservadorComandos observador)
{
    auto novo = observador ? std::make_shared<const TObservadorComandos>(std::move(observador)) : nullptr;
    const std::lock_guard trava(Trava);
    Instalado = std::move(novo);
    HaInstalado = static_cast<bool>(Instalado);
}

bool HaObservadorComandos() { return HaInstalado; }

void AvisaComandoEnviado(const TComandoEnviado& comando)
{
    if (!HaInstalado)
        return;
    std::shared_ptr<const TObservadorComandos> observador;
    {
        const std::lock_guard trava(Trava);
        observador = Instalado;
    }
    if (observador)
        (*observador)(comando);
}
